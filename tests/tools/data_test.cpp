// Tests of the generated data directory: what the game's loader and sound reader will meet at start-up.
//
// The expectations come from the game's loader table (file names, frame grids, frame counts, the frames
// the screens draw) and are written out here on purpose rather than taken from the tool, so a slip in the
// tool's own table shows up as a failure.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "audio/sound_file.h"
#include "graphics/surface.h"
#include "tests/support/picture.h"
#include "tests/support/temp_dir.h"
#include "tests/tools/wav_check.h"

namespace {

using test_support::Ink;
using test_support::ink_of;
using test_support::load;
using test_support::Picture;
using wav_check::read_wav;
using wav_check::Wav;

const std::filesystem::path DATA = MOXEL_DATA_DIR;

struct Sheet {
    const char* name;
    int frame_w, frame_h, frames;
    std::vector<int> drawn;  // frames the game draws: each must show something
};

const std::vector<Sheet> SHEETS = {
    {"gfx", 32, 32, 16, {0, 1, 2, 4, 5, 6}},
    {"BadgesA", 64, 64, 64, {0}},
    {"fonts/editundo", 16, 16, 128, {}},
    {"common/icade", 64, 64, 2, {0, 1}},
    {"common/WexoLogo", 256, 256, 1, {0}},
    {"common/dpad", 32, 32, 16, {0, 1, 4, 5, 6, 9}},
    {"common/Buttons", 64, 64, 16, {0, 1, 2, 15}},
    {"parts", 8, 8, 16, {}},
    {"common/icons", 32, 32, 16, {0, 1, 3, 4, 5, 6, 7, 8, 9, 10}},
    {"logo", 256, 128, 1, {0}},
    {"menu", 256, 256, 4, {0, 1, 2}},
};

struct Variant {
    int factor;
    const char* suffix;
};
const Variant VARIANTS[] = {{1, ""}, {2, "-hd"}, {4, "-hd2"}};

TEST(GeneratedImages, EverySheetDecodesAtEveryFactorAndHoldsItsFrameGrid) {
    for (const Sheet& s : SHEETS) {
        for (const Variant& v : VARIANTS) {
            std::string file = std::string(s.name) + v.suffix + ".png";
            SCOPED_TRACE(file);
            Picture p = load(DATA / file);
            ASSERT_GT(p.w, 0) << "missing or undecodable";
            const int fw = s.frame_w * v.factor, fh = s.frame_h * v.factor;
            // The loader grabs frames left to right, wrapping at the sheet's width.
            EXPECT_EQ(p.w % fw, 0);
            EXPECT_GE((p.w / fw) * (p.h / fh), s.frames);
            const int columns = p.w / fw;
            for (int f : s.drawn)
                EXPECT_TRUE(p.inked((f % columns) * fw, (f / columns) * fh, fw, fh))
                    << "frame " << f << " empty";
        }
    }
}

TEST(GeneratedImages, LargerVariantsAreTwiceAndFourTimesThePlainSize) {
    for (const Sheet& s : SHEETS) {
        Picture plain = load(DATA / (std::string(s.name) + ".png"));
        for (const Variant& v : VARIANTS) {
            Picture p = load(DATA / (std::string(s.name) + v.suffix + ".png"));
            EXPECT_EQ(p.w, plain.w * v.factor) << s.name << v.suffix;
            EXPECT_EQ(p.h, plain.h * v.factor) << s.name << v.suffix;
        }
    }
}

TEST(GeneratedImages, PixelGridArtStaysCrispInTheLargerVariants) {
    // The font and the particles are pixel grids: their larger variants are exact block copies.
    for (const char* name : {"fonts/editundo", "parts"}) {
        Picture plain = load(DATA / (std::string(name) + ".png"));
        for (const Variant& v : VARIANTS) {
            Picture big = load(DATA / (std::string(name) + v.suffix + ".png"));
            ASSERT_EQ(big.w, plain.w * v.factor) << name << v.suffix;
            int mismatches = 0;
            for (int y = 0; y < big.h; ++y)
                for (int x = 0; x < big.w; ++x)
                    for (int ch = 0; ch < 4; ++ch)
                        mismatches += big.rgba[(size_t(y) * big.w + x) * 4 + ch] !=
                                      plain.rgba[(size_t(y / v.factor) * plain.w + x / v.factor) * 4 + ch];
            EXPECT_EQ(mismatches, 0) << name << v.suffix;
        }
    }
}

TEST(GeneratedFont, PrintableGlyphsAreSmallInkedAndCentredInTheirCells) {
    constexpr int CELL = 16;
    Picture font = load(DATA / "fonts/editundo.png");
    ASSERT_EQ(font.w % CELL, 0);
    const int columns = font.w / CELL;
    int line_top = CELL, line_bottom = -1;
    for (int code = 33; code <= 159; ++code) {
        SCOPED_TRACE("character " + std::to_string(code));
        int frame = code - 32;
        Ink ink = ink_of(font, (frame % columns) * CELL, (frame / columns) * CELL, CELL, CELL);
        ASSERT_FALSE(ink.empty());
        EXPECT_LE(ink.right - ink.left + 1, 6);
        EXPECT_LE(ink.bottom - ink.top + 1, 9);
        // The game puts the pen on the cell's centre, 8 pixels in.
        EXPECT_LE(std::abs(ink.left + ink.right + 1 - CELL), 2) << "off centre across";
        if (code <= 126) {
            line_top = std::min(line_top, ink.top);
            line_bottom = std::max(line_bottom, ink.bottom);
        }
    }
    // All printable glyphs share one line box of at most 9 rows, centred in the cell within a pixel.
    EXPECT_LE(line_bottom - line_top + 1, 9);
    EXPECT_LE(std::abs(line_top + line_bottom + 1 - CELL), 2);
    EXPECT_TRUE(ink_of(font, 0, 0, CELL, CELL).empty()) << "space must be blank";
}

TEST(GeneratedFont, FrameworkStripHas96PaddedGlyphs) {
    Picture strip = load(DATA / "tesk_font.png");
    ASSERT_GT(strip.w, 0);
    ASSERT_EQ(strip.w % 96, 0);
    const int fw = strip.w / 96;
    for (int i = 0; i < 96; ++i) {
        SCOPED_TRACE("glyph " + std::to_string(i));
        EXPECT_FALSE(strip.inked(i * fw, 0, 1, strip.h)) << "left border";
        EXPECT_FALSE(strip.inked(i * fw + fw - 1, 0, 1, strip.h)) << "right border";
        if (i > 0) {
            EXPECT_TRUE(strip.inked(i * fw + 1, 0, fw - 2, strip.h));
        }
    }
}

TEST(GeneratedSounds, EveryEffectIsShortUnclippedAudible16BitMono) {
    const char* const names[] = {"001", "010", "011", "012", "013", "014", "015",
                                 "016", "017", "018", "095", "098", "099"};
    for (const char* n : names) {
        SCOPED_TRACE(std::string("sfx/") + n + ".wav");
        Wav wav = read_wav(DATA / "sfx" / (std::string(n) + ".wav"));
        ASSERT_EQ(wav.error, "");
        // The game's own reader takes it the same way.
        int frames = 0, channels = 0, format = 0, hertz = 0;
        unsigned char* pcm = loadSound(String((DATA / "sfx" / (std::string(n) + ".wav")).string().c_str()),
                                       &frames, &channels, &format, &hertz);
        ASSERT_NE(pcm, nullptr);
        EXPECT_EQ(channels, 1);
        EXPECT_EQ(format, SOUND_FORMAT_16BIT);
        EXPECT_EQ(hertz, wav.rate);
        EXPECT_EQ(size_t(frames), wav.samples.size());
        unloadSound(pcm);
        ASSERT_GT(wav.rate, 0);
        EXPECT_GT(wav.samples.size(), 0u);
        EXPECT_LT(double(wav.samples.size()) / wav.rate, 1.5);
        int peak = 0, run = 0, longest_run = 0;
        for (int16_t s : wav.samples) {
            peak = std::max(peak, std::abs(int(s)));
            run = (s >= 32767 || s <= -32767) ? run + 1 : 0;
            longest_run = std::max(longest_run, run);
        }
        EXPECT_GT(peak, 8000) << "too quiet or silent";
        EXPECT_LE(longest_run, 3) << "clipped";
        // Starting or stopping away from zero clicks.
        EXPECT_LT(std::abs(int(wav.samples.front())), 1000);
        EXPECT_LT(std::abs(int(wav.samples.back())), 1000);
    }
}

TEST(GeneratedSounds, ReaderRejectsBrokenFiles) {
    // Guard the strict reader itself: the checks above are only as good as it is.
    const test_support::TempDir scratch("moxel-wav-test");
    const std::filesystem::path dir = scratch.path();
    std::ifstream in(DATA / "sfx" / "098.wav", std::ios::binary);
    const std::vector<char> good((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GE(good.size(), 44u);
    struct Case {
        const char* what;
        size_t at;
        char value;
        bool truncate;
    };
    const Case cases[] = {{"RIFF tag", 0, 'X', false},
                          {"format tag", 20, 3, false},
                          {"stereo", 22, 2, false},
                          {"8-bit", 34, 8, false},
                          {"short file", 0, 0, true}};
    for (const Case& c : cases) {
        std::vector<char> bytes = good;
        if (c.truncate)
            bytes.resize(bytes.size() - 10);
        else
            bytes[c.at] = c.value;
        std::ofstream(dir / "broken.wav", std::ios::binary)
            .write(bytes.data(), std::streamsize(bytes.size()));
        EXPECT_NE(read_wav(dir / "broken.wav").error, "") << c.what;
    }
}

TEST(GeneratedData, ToolWritesIdenticalFilesOnEveryRun) {
    const test_support::TempDir scratch("moxel-data-again");
    const std::filesystem::path again = scratch.path();
    std::string command = std::string("\"") + MOXEL_MAKEDATA + "\" \"" + again.string() + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0);
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(DATA)) {
        if (!entry.is_regular_file()) continue;
        ++files;
        std::filesystem::path twin = again / std::filesystem::relative(entry.path(), DATA);
        std::ifstream a(entry.path(), std::ios::binary), b(twin, std::ios::binary);
        ASSERT_TRUE(b.good()) << twin;
        EXPECT_TRUE(std::equal(std::istreambuf_iterator<char>(a), std::istreambuf_iterator<char>(),
                               std::istreambuf_iterator<char>(b), std::istreambuf_iterator<char>()))
            << entry.path();
    }
    EXPECT_EQ(files, 11 * 3 + 1 + 13);  // sheets in three variants, the strip font, the sounds
}

}  // namespace
