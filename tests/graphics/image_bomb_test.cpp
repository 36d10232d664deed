// Damaged image files found by fuzzing load as no image, at once: a header
// claiming far more pixels than the file could hold (an 18-byte RLE TGA
// header made the decoder allocate and fill 48 MB, over a second per file),
// an image with no pixels, and a JPEG file that crashed the decoder. The
// game's own PNG files still load. (Inputs that only showed as oversized
// allocations are replayed by the fuzz stage from fuzz/regressions/.)
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <vector>

#include "graphics/surface.h"

namespace {

// The smallest such file: a TGA header alone, run-length true colour,
// 4000 x 4000 pixels of 24 bits, and no pixel data at all.
std::vector<unsigned char> TgaBomb() {
    return {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xa0, 0x0f, 0xa0, 0x0f, 24, 0};
}

TEST(ImageBomb, ATgaBombIsNotDecoded) {
    std::vector<unsigned char> file = TgaBomb();
    int w = 0, h = 0, depth = 0;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(loadImage(file.data(), static_cast<int>(file.size()), &w, &h, &depth), nullptr);
    // From a file on disk too (the path the game's loader takes).
    std::FILE* f = std::fopen("data/bomb-test.tga", "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(file.data(), 1, file.size(), f);
    std::fclose(f);
    EXPECT_EQ(loadImage(String("vendle://data/bomb-test.tga"), &w, &h, &depth), nullptr);
    std::remove("data/bomb-test.tga");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
}

// Found by fuzzing: a damaged PGM header ("32" wide, a control character
// where the height belongs) decodes to a picture 32 wide and 0 high.
TEST(ImageBomb, AnImageWithNoPixelsGivesNoImage) {
    const std::vector<unsigned char> file = {
        80,  53,  10,  51,  50,  32,  19,  50,  10,  50,  53,  53,  10,  0,   0,   0,   223, 0,   2,   254,
        255, 255, 255, 0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,
        43,  149, 146, 161, 70,  20,  103, 242, 127, 42,  0,   0,   0,   0,   0,   0,   0,   0,   0,   208,
        0,   0,   0,   0,   0,   0,   223, 223, 223, 0,   0,   0,   0,   0,   0,   111, 111, 0,   0,   0,
        0,   0,   138, 138, 0,   0,   0,   0,   0,   0,   208, 208, 208, 0,   223, 0,   223, 0,   223, 223,
        223, 223, 223, 0,   0,   0,   111, 111, 111, 111, 0,   0,   0,   138, 138, 138, 138, 0,   0,   0,
        0,   208, 208, 208, 208, 208, 0,   240, 15,  0,   0,   223, 223, 223, 0,   0,   0,   111, 111, 111,
        111, 0,   0,   0,   0,   0,   138, 138, 138, 138, 0,   0,   0,   208, 208, 255, 208, 208, 0,   0,
        0,   0,   223, 223, 223, 0,   0,   0,   0,   111, 111, 0,   0,   0,   0,   0,   0,   0,   0,   138,
        138, 0,   0,   0,   0,   0,   208, 208, 208, 0,   0,   0,   0,   223, 223, 0,   223, 223, 0,   0,
        0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,
        0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,
        0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,
        0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0};
    int w = -1, h = -1, depth = -1;
    EXPECT_EQ(loadImage(file.data(), static_cast<int>(file.size()), &w, &h, &depth), nullptr);
}

// A 600-byte JPEG file on which the system's stb_image reads far out of
// bounds (SEGV in stbi__jpeg_decode_block): only PNG content is decoded.
TEST(ImageBomb, ANonPngFileIsNotDecoded) {
    const std::vector<unsigned char> file = {
        255, 216, 255, 224, 0,   16,  74,  70,  73,  70,  0,   1,   1,   0,   0,   1,   0,   1,   0,   0,
        255, 219, 0,   67,  0,   3,   2,   2,   18,  0,   0,   0,   2,   2,   2,   3,   3,   3,   3,   4,
        6,   4,   4,   4,   4,   4,   8,   6,   6,   5,   6,   9,   8,   10,  10,  9,   8,   9,   9,   10,
        12,  15,  12,  10,  11,  14,  11,  9,   9,   13,  17,  13,  14,  15,  16,  16,  17,  16,  10,  12,
        18,  19,  18,  16,  19,  15,  16,  16,  16,  255, 219, 0,   67,  1,   3,   3,   3,   4,   3,   4,
        8,   4,   4,   8,   16,  11,  9,   11,  16,  16,  16,  16,  16,  16,  16,  16,  16,  16,  16,  16,
        16,  16,  16,  16,  16,  16,  16,  16,  16,  16,  16,  16,  16,  16,  16,  16,  16,  16,  16,  16,
        16,  16,  16,  16,  16,  16,  16,  16,  16,  16,  16,  16,  16,  16,  16,  16,  16,  16,  255, 192,
        0,   17,  8,   0,   32,  0,   32,  3,   1,   17,  0,   2,   17,  1,   3,   17,  1,   255, 196, 0,
        25,  0,   0,   2,   3,   1,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   6,   8,
        3,   5,   7,   0,   255, 228, 0,   55,  16,  0,   1,   3,   2,   5,   1,   5,   5,   5,   9,   0,
        0,   0,   0,   0,   0,   3,   1,   2,   4,   5,   6,   7,   17,  18,  19,  20,  8,   0,   21,  22,
        23,  24,  33,  35,  70,  99,  132, 9,   34,  40,  50,  100, 36,  37,  39,  67,  68,  131, 147, 148,
        178, 255, 196, 0,   26,  1,   0,   2,   2,   3,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,
        0,   0,   49,  6,   4,   7,   0,   3,   8,   255, 196, 0,   55,  17,  0,   1,   2,   4,   4,   3,
        5,   6,   4,   7,   0,   0,   0,   0,   0,   0,   1,   2,   17,  3,   4,   18,  33,  0,   5,   49,
        65,  19,  34,  97,  6,   20,  35,  50,  81,  21,  66,  98,  130, 145, 161, 22,  36,  37,  113, 38,
        99,  131, 146, 177, 193, 240, 255, 218, 0,   12,  3,   1,   0,   2,   17,  3,   17,  0,   63,  0,
        72,  110, 171, 171, 167, 249, 93,  63,  219, 212, 90,  45,  155, 119, 138, 164, 43,  142, 229, 56,
        104, 198, 189, 225, 28,  176, 138, 88,  84,  134, 142, 76,  129, 182, 152, 199, 16,  15,  112, 178,
        107, 19,  105, 85,  99,  153, 16,  139, 159, 187, 82,  149, 149, 205, 147, 155, 68,  137, 18,  34,
        60,  144, 170, 87,  9,   65,  42,  72,  84,  94,  84,  248, 166, 149, 165, 212, 84,  162, 165, 130,
        22,  142, 68,  210, 74,  230, 173, 112, 76,  16,  0,   58,  150, 14,  28,  22,  23,  54,  184, 59,
        11,  104, 110, 94,  218, 78,  33,  226, 31,  73,  179, 250, 77,  163, 219, 54,  205, 183, 44,  119,
        136, 228, 77,  86,  181, 106, 145, 220, 81,  149, 99,  211, 17,  85,  85,  41,  237, 69,  126, 76,
        128, 215, 145, 177, 162, 41,  214, 155, 61,  173, 148, 245, 123, 223, 56,  22,  93,  151, 118, 130,
        31,  104, 21,  30,  58,  188, 59,  57,  99,  73,  75,  196, 164, 4,   241, 28,  49,  226, 155, 197,
        138, 18,  34,  193, 240, 83,  72,  216, 220, 194, 173, 147, 25,  142, 91,  49,  148, 195, 150, 18,
        244, 204, 32,  249, 211, 162, 134, 229, 78,  228, 147, 233, 160, 213, 36,  14,  76,  32,  67,  150,
        153, 135, 55,  168, 166, 35,  195, 35,  67,  177, 233, 176, 29,  119, 220, 19,  124, 127, 255, 217};
    int w = -1, h = -1, depth = -1;
    EXPECT_EQ(loadImage(file.data(), static_cast<int>(file.size()), &w, &h, &depth), nullptr);
}

TEST(ImageBomb, TheGameOwnImagesStillLoad) {
    int w = 0, h = 0, depth = 0;
    unsigned char* pixels = loadImage(String("vendle://data/gfx-hd2.png"), &w, &h, &depth);
    ASSERT_NE(pixels, nullptr);
    EXPECT_GT(w, 0);
    unloadImage(pixels);
}

}  // namespace
