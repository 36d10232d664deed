// PNG decoding through stb_image, its safety checks, and premultiplication.
#include "graphics/image_decode.h"

#include <stb_image.h>

#include <cstdint>
#include <cstring>

namespace {

// Decoded bytes one byte of a PNG file can honestly stand for: deflate
// expands at most 1032 times. A header claiming more than this (plus the
// slack, for tiny files) is damaged or a decompression bomb: decoding it
// would allocate and fill up to gigabytes from a few bytes.
constexpr long long MAX_IMAGE_EXPANSION = 1032;
constexpr long long IMAGE_EXPANSION_SLACK = 1 << 20;

constexpr int PNG_SIGNATURE_BYTES = 8;
constexpr long PNG_CHUNK_OVERHEAD = 12;

// Depths that carry alpha in their last byte.
constexpr int DEPTH_LUMINANCE_ALPHA = 2;
constexpr int DEPTH_RGBA = 4;

// True when the decoded size of a w x h image of `channels` is credible for
// a file of `fileBytes`.
bool credible_size(int w, int h, int channels, long long fileBytes) {
    const long long decoded = static_cast<long long>(w) * h * channels;
    return decoded <= fileBytes * MAX_IMAGE_EXPANSION + IMAGE_EXPANSION_SLACK;
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

bool imageHeader(const unsigned char* buffer, int length, int* width, int* height, int* depth) {
    if (!png_chunks_fit(buffer, length)) return false;
    int w = 0, h = 0, channels = 0;
    if (!stbi_info_from_memory(buffer, length, &w, &h, &channels) || !credible_size(w, h, channels, length)) {
        return false;
    }
    if (w <= 0 || h <= 0) return false;
    *width = w;
    *height = h;
    *depth = channels;
    return true;
}

unsigned char* loadImage(const unsigned char* buffer, int length, int* width, int* height, int* depth) {
    int w = 0, h = 0, channels = 0;
    if (!imageHeader(buffer, length, &w, &h, &channels)) return nullptr;
    return checked(stbi_load_from_memory(buffer, length, width, height, depth, 0), width, height);
}

void unloadImage(unsigned char* pixels) {
    stbi_image_free(pixels);
}

void premultiplyPixels(unsigned char* p, long count, int depth) {
    if (depth != DEPTH_LUMINANCE_ALPHA && depth != DEPTH_RGBA) return;
    const int channels = depth - 1;
    for (long i = 0; i < count; ++i, p += depth) {
        const unsigned alpha = p[channels];
        for (int k = 0; k < channels; ++k) p[k] = static_cast<unsigned char>(p[k] * alpha / 255);
    }
}
