// gxtkSurface: decoding, premultiplication, texture upload and release; and
// the device's three surface factories.
#include "graphics/surface.h"

#include <cstdlib>
#include <vector>

#include "graphics/gl.h"
#include "graphics/gl_backend.h"
#include "graphics/graphics_device.h"
#include "graphics/picture_source.h"
#include "host/base/files.h"
#include "runtime/gc.h"

int gxtkSurface::liveTextures = 0;
unsigned gxtkSurface::textureChanges = 0;
bool (*gxtkSurface::refuseTexture)(int width, int height) = nullptr;
bool gxtkSurface::contextLost = false;
gxtkSurface* gxtkSurface::all = nullptr;

namespace {

// A depth the decoder never delivers; the surface cannot be uploaded.
constexpr int EXIT_BAD_DEPTH = -1;
// Created surfaces are RGBA.
constexpr int CREATED_DEPTH = 4;

// OpenGL format of each depth (index 1 to 4).
const GLenum FORMAT_BY_DEPTH[] = {0, GL_LUMINANCE, GL_LUMINANCE_ALPHA, GL_RGB, GL_RGBA};

// Allocates the bound texture at w x h; false when the driver refuses it.
bool allocate_texture(GLenum format, int w, int h) {
    if (gxtkSurface::refuseTexture && gxtkSurface::refuseTexture(w, h)) return false;
    return gfx::allocate_texture(format, w, h);
}

}  // namespace

int Pow2Size(int n) {
    int size = 1;
    // Stops before the int would overflow; no texture is that large anyway.
    while (size < n && size < (1 << 30)) size <<= 1;
    return size;
}

// ---- Decoding ----

unsigned char* loadImage(String path, int* width, int* height, int* depth) {
    // The whole file is read first, so the checks below know its size.
    std::vector<unsigned char> bytes;
    if (!fileBytes(path, &bytes)) return nullptr;
    return loadImage(bytes.data(), static_cast<int>(bytes.size()), width, height, depth);
}

// ---- gxtkSurface ----

gxtkSurface::gxtkSurface() : data(nullptr), width(0), height(0), depth(0), texture(0), uScale(0), vScale(0) {
    Enlist();
}

gxtkSurface::gxtkSurface(unsigned char* pixels, int w, int h, int bytesPerPixel)
    : data(pixels), width(w), height(h), depth(bytesPerPixel), texture(0), uScale(0), vScale(0) {
    Enlist();
}

gxtkSurface::~gxtkSurface() {
    Discard();
    Delist();
}

void gxtkSurface::Enlist() {
    next = all;
    if (all) all->prev = this;
    all = this;
}

void gxtkSurface::Delist() {
    if (prev) prev->next = next;
    if (next) next->prev = prev;
    if (all == this) all = next;
    prev = next = nullptr;
}

void gxtkSurface::SetData(unsigned char* pixels, int w, int h, int bytesPerPixel) {
    data = pixels;
    width = w;
    height = h;
    depth = bytesPerPixel;
}

int gxtkSurface::Discard() {
    textured = false;
    gfx::forget_picture(this);
    DeleteTexture();
    if (data) {
        unloadImage(data);
        data = nullptr;
    }
    return 0;
}

void gxtkSurface::DeleteTexture() {
    if (texture != 0) {
        glDeleteTextures(1, &texture);
        texture = 0;
        --liveTextures;
        ++textureChanges;
    }
}

bool gxtkSurface::OnUnsafeLoadComplete() {
    if (depth < 1 || depth > 4) std::exit(EXIT_BAD_DEPTH);
    textured = true;
    if (contextLost) {
        // The texture is made when the context comes back, from the file
        // again; the game meanwhile holds a surface of the right size.
        if (data) {
            unloadImage(data);
            data = nullptr;
        }
        return true;
    }
    if (data) premultiplyPixels(data, static_cast<long>(width) * height, depth);
    return MakeTexture();
}

bool gxtkSurface::MakeTexture() {
    const GLenum format = FORMAT_BY_DEPTH[depth];
    ++textureChanges;
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

bool gxtkSurface::ExpectPixels(int w, int h, int bytesPerPixel) {
    // A surface discarded meanwhile, or pixels of another size than the file
    // promised (it changed on the way), leave the surface as it is. While the
    // context is lost the pixels would go nowhere: the restore decodes anew.
    if (!textured || contextLost || w != width || h != height || bytesPerPixel < 1 || bytesPerPixel > 4) {
        return false;
    }
    if (bytesPerPixel != depth || texture == 0) {
        DeleteTexture();
        depth = bytesPerPixel;
        if (!MakeTexture()) {
            textured = false;
            return false;
        }
    }
    return true;
}

void gxtkSurface::PixelRows(const unsigned char* rows, int y, int count) {
    if (!textured || contextLost || texture == 0) return;
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, y, width, count, FORMAT_BY_DEPTH[depth], GL_UNSIGNED_BYTE, rows);
    ++textureChanges;
}

void gxtkSurface::Remake() {
    if (!textured) return;
    // The old name went with the context: nothing to delete.
    if (texture != 0) {
        texture = 0;
        --liveTextures;
    }
    if (path.Length() > 0) {
        unsigned char* pixels = nullptr;
        int w = 0, h = 0, d = 0;
        const gfx::Picture got = gfx::begin_picture(path, this, &pixels, &w, &h, &d);
        // The same file gives the same picture; should it have gone, the
        // surface comes back blank at its old size rather than change shape.
        if (got != gfx::Picture::NONE && (w != width || h != height || d != depth)) {
            gfx::forget_picture(this);
            if (pixels) unloadImage(pixels);
            pixels = nullptr;
        }
        data = pixels;
    }
    if (!OnUnsafeLoadComplete()) textured = false;
}

void gxtkSurface::RemakeAll() {
    for (gxtkSurface* s = all; s; s = s->next) s->Remake();
}

// ---- The device's surface factories ----

gxtkSurface* gxtkGraphics::LoadSurface(String path) {
    gxtkSurface* surface = new gxtkSurface();
    if (!LoadSurface__UNSAFE__(surface, path)) return nullptr;
    if (!surface->OnUnsafeLoadComplete()) return nullptr;
    return surface;
}

gxtkSurface* gxtkGraphics::LoadSurface__UNSAFE__(gxtkSurface* surface, String path) {
    unsigned char* pixels = nullptr;
    int w = 0, h = 0, depth = 0;
    if (gfx::begin_picture(path, surface, &pixels, &w, &h, &depth) == gfx::Picture::NONE) return nullptr;
    surface->SetData(pixels, w, h, depth);
    surface->path = path;
    // Texture memory is invisible to the collector's byte counts; sweep soon
    // so that dropped images give theirs back.
    gc_force_sweep = true;
    return surface;
}

int gxtkGraphics::PicturesComing() {
    return gfx::pictures_coming();
}

gxtkSurface* gxtkGraphics::CreateSurface(int w, int h) {
    gxtkSurface* surface = new gxtkSurface(nullptr, w, h, CREATED_DEPTH);
    if (!surface->OnUnsafeLoadComplete()) return nullptr;
    return surface;
}
