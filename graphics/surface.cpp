// gxtkSurface: decoding, premultiplication, texture upload and release; and
// the device's three surface factories.
#include "graphics/surface.h"

#include <stb_image.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "graphics/gl.h"
#include "graphics/graphics_device.h"
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

// Decoded bytes one byte of a PNG file can honestly stand for: deflate
// expands at most 1032 times. A header claiming more than this (plus the
// slack, for tiny files) is damaged or a decompression bomb: decoding it
// would allocate and fill up to gigabytes from a few bytes.
constexpr long long MAX_IMAGE_EXPANSION = 1032;
constexpr long long IMAGE_EXPANSION_SLACK = 1 << 20;

constexpr int PNG_SIGNATURE_BYTES = 8;
constexpr long PNG_CHUNK_OVERHEAD = 12;

// True when the decoded size of a w x h image of `channels` is credible for
// a file of `fileBytes`.
bool credible_size(int w, int h, int channels, long long fileBytes) {
    const long long decoded = static_cast<long long>(w) * h * channels;
    return decoded <= fileBytes * MAX_IMAGE_EXPANSION + IMAGE_EXPANSION_SLACK;
}

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

// True for PNG content whose chunks all fit in the file. The game's images
// are PNG files, and only PNG content is decoded: the other decoders of the
// system's stb_image crash on damaged files (its JPEG decoder reads far out
// of bounds in stbi__jpeg_decode_block). A chunk that claims more bytes than
// the file holds is refused because stb_image allocates a chunk's claimed
// length before reading it: a 600-byte file could make it reserve 2 GiB. A
// file cut off before its IEND chunk is refused too (the decoder cannot finish
// it anyway).
bool png_chunks_fit(const unsigned char* p, int n) {
    static const unsigned char SIGNATURE[PNG_SIGNATURE_BYTES] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (n < PNG_SIGNATURE_BYTES || std::memcmp(p, SIGNATURE, PNG_SIGNATURE_BYTES) != 0) return false;
    long at = PNG_SIGNATURE_BYTES;
    // Each chunk: 4 bytes length, 4 bytes type, the data, 4 bytes CRC.
    while (at + PNG_CHUNK_OVERHEAD <= n) {
        const uint32_t length =
            static_cast<uint32_t>(p[at]) << 24 | p[at + 1] << 16 | p[at + 2] << 8 | p[at + 3];
        if (length > static_cast<uint32_t>(n - at - PNG_CHUNK_OVERHEAD)) return false;
        if (std::memcmp(p + at + 4, "IEND", 4) == 0) return true;
        at += PNG_CHUNK_OVERHEAD + static_cast<long>(length);
    }
    // No IEND: the decoder would read a chunk length out of a cut-off tail.
    return false;
}

// The decoder's result, or null (and the pixels freed) for an empty image:
// stb_image returns a 32 x 0 picture for a damaged PGM header, and a failed
// load is null everywhere else.
unsigned char* checked(unsigned char* pixels, const int* w, const int* h) {
    if (pixels && (*w <= 0 || *h <= 0)) {
        stbi_image_free(pixels);
        return nullptr;
    }
    return pixels;
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

unsigned char* loadImage(const unsigned char* buffer, int length, int* width, int* height, int* depth) {
    if (!png_chunks_fit(buffer, length)) return nullptr;
    int w = 0, h = 0, channels = 0;
    if (!stbi_info_from_memory(buffer, length, &w, &h, &channels) || !credible_size(w, h, channels, length)) {
        return nullptr;
    }
    return checked(stbi_load_from_memory(buffer, length, width, height, depth, 0), width, height);
}

void unloadImage(unsigned char* pixels) {
    stbi_image_free(pixels);
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
    if (texture != 0) {
        glDeleteTextures(1, &texture);
        texture = 0;
        --liveTextures;
        ++textureChanges;
    }
    if (data) {
        unloadImage(data);
        data = nullptr;
    }
    return 0;
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
    const GLenum format = FORMAT_BY_DEPTH[depth];
    if (data && (depth == 2 || depth == 4)) premultiply(data, static_cast<long>(width) * height, depth - 1);

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

void gxtkSurface::Remake() {
    if (!textured) return;
    // The old name went with the context: nothing to delete.
    if (texture != 0) {
        texture = 0;
        --liveTextures;
    }
    if (path.Length() > 0) {
        int w = 0, h = 0, d = 0;
        unsigned char* pixels = loadImage(path, &w, &h, &d);
        // The same file gives the same picture; should it have gone, the
        // surface comes back blank at its old size rather than change shape.
        if (pixels && w == width && h == height && d == depth) {
            data = pixels;
        } else if (pixels) {
            unloadImage(pixels);
        }
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
    int w = 0, h = 0, depth = 0;
    unsigned char* pixels = loadImage(path, &w, &h, &depth);
    if (!pixels) return nullptr;
    surface->SetData(pixels, w, h, depth);
    surface->path = path;
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
