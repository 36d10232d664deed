// Pictures of the generated data read back in tests: a PNG decoded through
// the game's own image loading path into RGBA, and the ink (the pixels with
// any alpha) of a part of it.
#ifndef MOXEL_TESTS_SUPPORT_PICTURE_H
#define MOXEL_TESTS_SUPPORT_PICTURE_H

#include <algorithm>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "graphics/surface.h"

namespace test_support {

// A decoded RGBA image; empty when the file is missing or does not decode.
struct Picture {
    int w = 0, h = 0;
    std::vector<uint8_t> rgba;

    uint8_t alpha(int x, int y) const { return rgba[(size_t(y) * size_t(w) + size_t(x)) * 4 + 3]; }
    // Does the rectangle hold any visible pixel?
    bool inked(int x0, int y0, int fw, int fh) const {
        for (int y = y0; y < y0 + fh; ++y)
            for (int x = x0; x < x0 + fw; ++x)
                if (alpha(x, y)) return true;
        return false;
    }
};

// Decodes through the game's own image loading path, expanding its channels to RGBA.
inline Picture load(const std::filesystem::path& path) {
    Picture p;
    int depth = 0;
    unsigned char* data = loadImage(String(path.string().c_str()), &p.w, &p.h, &depth);
    if (!data) return Picture{};
    const size_t n = size_t(p.w) * size_t(p.h);
    p.rgba.resize(n * 4);
    for (size_t i = 0; i < n; ++i) {
        const unsigned char* px = data + i * size_t(depth);
        const bool colour = depth >= 3;
        p.rgba[i * 4 + 0] = px[0];
        p.rgba[i * 4 + 1] = colour ? px[1] : px[0];
        p.rgba[i * 4 + 2] = colour ? px[2] : px[0];
        p.rgba[i * 4 + 3] = depth == 2 ? px[1] : depth == 4 ? px[3] : 255;
    }
    unloadImage(data);
    return p;
}

// Ink bounds of a rectangle of a picture, in pixels from its corner, last
// row and column included; empty when nothing in it is inked.
struct Ink {
    int left = INT_MAX, right = -1, top = INT_MAX, bottom = -1;
    bool empty() const { return right < 0; }
};

inline Ink ink_of(const Picture& p, int x0, int y0, int w, int h) {
    Ink ink;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (!p.alpha(x0 + x, y0 + y)) continue;
            ink.left = std::min(ink.left, x);
            ink.right = std::max(ink.right, x);
            ink.top = std::min(ink.top, y);
            ink.bottom = std::max(ink.bottom, y);
        }
    }
    return ink;
}

}  // namespace test_support

#endif
