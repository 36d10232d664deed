// gxtkSurface: decoding, premultiplication, texture upload and release; and
// the device's three surface factories.
#include "graphics/surface.h"

#include <GL/gl.h>
#include <stb_image.h>

#include <cstdlib>

#include "graphics/graphics_device.h"
#include "host/files.h"
#include "runtime/gc.h"

int gxtkSurface::liveTextures = 0;
bool (*gxtkSurface::refuseTexture)(int width, int height) = nullptr;

namespace {

// A depth the decoder never delivers; the surface cannot be uploaded.
constexpr int EXIT_BAD_DEPTH = -1;
// Created surfaces are RGBA.
constexpr int CREATED_DEPTH = 4;

// OpenGL format of each depth (index 1 to 4).
const GLenum FORMAT_BY_DEPTH[] = {0, GL_LUMINANCE, GL_LUMINANCE_ALPHA, GL_RGB, GL_RGBA};

// Multiplies colour by alpha in place, rounding down; `channels` colour bytes
// precede the alpha byte of each pixel.
void premultiply(unsigned char* p, long pixels, int channels) {
    const int stride = channels + 1;
    for (long i = 0; i < pixels; ++i, p += stride) {
        const unsigned alpha = p[channels];
        for (int k = 0; k < channels; ++k) p[k] = static_cast<unsigned char>(p[k] * alpha / 255);
    }
}

// Drops error flags left by earlier calls, so the allocation's own result is read.
void clear_gl_errors() {
    while (glGetError() != GL_NO_ERROR) {
    }
}

// Allocates the bound texture at w x h; false when the driver refuses it.
bool allocate_texture(GLenum format, int w, int h) {
    if (gxtkSurface::refuseTexture && gxtkSurface::refuseTexture(w, h)) return false;
    clear_gl_errors();
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), w, h, 0, format, GL_UNSIGNED_BYTE, nullptr);
    return glGetError() == GL_NO_ERROR;
}

}  // namespace

int Pow2Size(int n) {
    int size = 1;
    // Stops before the int would overflow; no texture is that large anyway.
    while (size < n && size < (1 << 30)) size <<= 1;
    return size;
}

// ---------------------------------------------------------------------------
// Decoding

unsigned char* loadImage(String path, int* width, int* height, int* depth) {
    FILE* f = fopenFile(path, String("rb"));
    if (!f) return nullptr;
    unsigned char* pixels = stbi_load_from_file(f, width, height, depth, 0);
    std::fclose(f);
    return pixels;
}

unsigned char* loadImage(const unsigned char* buffer, int length, int* width, int* height, int* depth) {
    return stbi_load_from_memory(buffer, length, width, height, depth, 0);
}

void unloadImage(unsigned char* pixels) {
    stbi_image_free(pixels);
}

// ---------------------------------------------------------------------------
// gxtkSurface

gxtkSurface::gxtkSurface() : data(nullptr), width(0), height(0), depth(0), texture(0), uScale(0), vScale(0) {}

gxtkSurface::gxtkSurface(unsigned char* pixels, int w, int h, int bytesPerPixel)
    : data(pixels), width(w), height(h), depth(bytesPerPixel), texture(0), uScale(0), vScale(0) {}

gxtkSurface::~gxtkSurface() {
    Discard();
}

void gxtkSurface::SetData(unsigned char* pixels, int w, int h, int bytesPerPixel) {
    data = pixels;
    width = w;
    height = h;
    depth = bytesPerPixel;
}

int gxtkSurface::Discard() {
    if (texture != 0) {
        glDeleteTextures(1, &texture);
        texture = 0;
        --liveTextures;
    }
    if (data) {
        unloadImage(data);
        data = nullptr;
    }
    return 0;
}

bool gxtkSurface::OnUnsafeLoadComplete() {
    if (depth < 1 || depth > 4) std::exit(EXIT_BAD_DEPTH);
    const GLenum format = FORMAT_BY_DEPTH[depth];
    if (data && (depth == 2 || depth == 4)) premultiply(data, static_cast<long>(width) * height, depth - 1);

    glGenTextures(1, &texture);
    // Without a current context (unit tests of the game logic) no name comes back.
    if (texture != 0) ++liveTextures;
    glBindTexture(GL_TEXTURE_2D, texture);
    // Images are drawn pixel for pixel: never filtered, never mipmapped.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);

    int texWidth = width;
    int texHeight = height;
    if (!allocate_texture(format, texWidth, texHeight)) {
        // Older drivers take only power-of-two sizes.
        texWidth = Pow2Size(width);
        texHeight = Pow2Size(height);
        if (!allocate_texture(format, texWidth, texHeight)) {
            // The texture name stays with the surface; its destructor deletes it.
            if (data) {
                unloadImage(data);
                data = nullptr;
            }
            return false;
        }
    }

    if (data) {
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, format, GL_UNSIGNED_BYTE, data);
    }
    uScale = 1.0f / static_cast<float>(texWidth);
    vScale = 1.0f / static_cast<float>(texHeight);

    if (data) {
        unloadImage(data);
        data = nullptr;
    }
    return true;
}

// ---------------------------------------------------------------------------
// The device's surface factories

gxtkSurface* gxtkGraphics::LoadSurface(String path) {
    gxtkSurface* surface = new gxtkSurface();
    if (!LoadSurface__UNSAFE__(surface, path)) return nullptr;
    if (!surface->OnUnsafeLoadComplete()) return nullptr;
    return surface;
}

gxtkSurface* gxtkGraphics::LoadSurface__UNSAFE__(gxtkSurface* surface, String path) {
    int w = 0, h = 0, depth = 0;
    unsigned char* pixels = loadImage(path, &w, &h, &depth);
    if (!pixels) return nullptr;
    surface->SetData(pixels, w, h, depth);
    // Texture memory is invisible to the collector's byte counts; sweep soon
    // so that dropped images give theirs back.
    gc_force_sweep = true;
    return surface;
}

gxtkSurface* gxtkGraphics::CreateSurface(int w, int h) {
    gxtkSurface* surface = new gxtkSurface(nullptr, w, h, CREATED_DEPTH);
    if (!surface->OnUnsafeLoadComplete()) return nullptr;
    return surface;
}
