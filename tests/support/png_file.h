// PNG files written for tests of image loading, into a test's temporary folder.
#ifndef MOXEL_TESTS_SUPPORT_PNG_FILE_H
#define MOXEL_TESTS_SUPPORT_PNG_FILE_H

#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace test_support {

// Writes a PNG of w x h pixels with `channels` bytes each (rows top first).
inline std::string write_png(const TempDir& dir, const std::string& name, int w, int h, int channels,
                             const std::vector<unsigned char>& pixels) {
    std::string path = dir.file(name);
    EXPECT_NE(stbi_write_png(path.c_str(), w, h, channels, pixels.data(), w * channels), 0);
    return path;
}

// A w x h RGBA PNG of one opaque colour.
inline std::string write_solid_png(const TempDir& dir, const std::string& name, int w, int h, unsigned char r,
                                   unsigned char g, unsigned char b) {
    std::vector<unsigned char> px;
    for (int i = 0; i < w * h; ++i) px.insert(px.end(), {r, g, b, 255});
    return write_png(dir, name, w, h, 4, px);
}

}  // namespace test_support

#endif
