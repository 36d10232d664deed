// Unit tests of the data builder's building blocks: the canvas, the synthesizer and the WAV writer.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>

#include "tests/support/temp_dir.h"
#include "tests/tools/wav_check.h"
#include "tools/art.h"
#include "tools/raster.h"
#include "tools/synth.h"

namespace {

using namespace makedata;

const Rgba RED = rgb(255, 0, 0);

int opaque_pixels(const Canvas& c) {
    int n = 0;
    for (const Rgba& p : c.pixels()) n += p.a == 255;
    return n;
}

TEST(Canvas, ShapesGrowWithTheResolutionFactor) {
    for (int factor : {1, 2, 4}) {
        Canvas c(8, 8, factor);
        c.rect(1, 1, 2, 3, RED);
        EXPECT_EQ(opaque_pixels(c), 6 * factor * factor) << "factor " << factor;
        EXPECT_EQ(c.at(factor, factor).r, 255);
        EXPECT_EQ(c.at(factor - 1, factor).a, 0);
    }
}

TEST(Canvas, PartlyCoveredPixelsKeepTheirColourAndGetPartialAlpha) {
    Canvas c(2, 1, 1);
    c.rect(0, 0, 0.5f, 1, RED);
    EXPECT_NEAR(c.at(0, 0).a, 128, 8);
    EXPECT_EQ(c.at(0, 0).r, 255);  // straight alpha: no darkened edges
    Canvas over(1, 1, 1);
    over.rect(0, 0, 1, 1, rgb(0, 0, 0));
    over.rect(0, 0, 1, 1, rgb(255, 255, 255, 128));
    EXPECT_EQ(over.at(0, 0).a, 255);
    EXPECT_NEAR(over.at(0, 0).g, 128, 2);
}

TEST(Canvas, PixelGridsStayCrispAtEveryFactor) {
    Canvas c(2, 1, 4);
    c.grid(0, 0, {"#."}, {{'#', RED}});
    for (int x = 0; x < 8; ++x) EXPECT_EQ(c.at(x, 2).a, x < 4 ? 255 : 0) << x;
}

TEST(Canvas, DrawingIsClippedToTheCurrentFrame) {
    Canvas c(6, 2, 1);
    c.set_frame(2, 0, 2, 2);
    c.rect(-5, -5, 100, 100, RED);
    for (int x = 0; x < 6; ++x) EXPECT_EQ(c.at(x, 1).a, (x == 2 || x == 3) ? 255 : 0) << x;
}

TEST(Canvas, HaloReachesItsRadiusAndNoFurther) {
    Canvas c(9, 9, 1);
    c.dot(4, 4, RED);
    Canvas h = halo(c, 1.5f, rgb(0, 0, 0, 200));
    EXPECT_EQ(h.at(5, 5).a, 200);  // diagonal neighbour, distance 1.4
    EXPECT_EQ(h.at(4, 6).a, 0);    // distance 2
    EXPECT_EQ(h.at(4, 4).a, 200);
}

TEST(ArtSheets, SplitBandCutsSideBySideGrids) {
    auto grids = split_band("\n#. .#\n.# #.\n", 2);
    ASSERT_EQ(grids.size(), 2u);
    EXPECT_EQ(grids[0], (std::vector<std::string>{"#.", ".#"}));
    EXPECT_EQ(grids[1], (std::vector<std::string>{".#", "#."}));
}

TEST(Synth, FinishScalesTheLoudestSampleToPeakAndSilencesBothEnds) {
    Sound s(0.5f);
    s.tone(0, 0.5f, 440, 440, 3.0f, {0, 0});  // far over full scale before scaling
    std::vector<int16_t> pcm = s.finish();
    int peak = 0;
    for (int16_t v : pcm) peak = std::max(peak, std::abs(int(v)));
    EXPECT_EQ(peak, int(std::lround(PEAK * 32767)));
    EXPECT_EQ(pcm.front(), 0);
    EXPECT_EQ(pcm.back(), 0);
    EXPECT_EQ(pcm.size(), size_t(SAMPLE_RATE / 2));
}

TEST(Synth, ToneSoundsAtItsFrequency) {
    for (float freq : {110.0f, 441.0f, 2000.0f}) {
        Sound s(1.0f);
        s.tone(0, 1.0f, freq, freq, 0.5f, {0, 0});
        std::vector<int16_t> pcm = s.finish();
        int rising = 0;
        for (size_t i = 1; i < pcm.size(); ++i) rising += pcm[i - 1] < 0 && pcm[i] >= 0;
        EXPECT_NEAR(rising, freq, 2) << freq << " Hz";
    }
}

TEST(Synth, WrittenWavReadsBackSampleForSample) {
    const std::vector<int16_t> samples = {0, 1, -1, 32767, -32768, 1234, -4321};
    const test_support::TempDir dir("moxel-synth-test");
    const std::filesystem::path file = dir.file("synth.wav");
    ASSERT_TRUE(write_wav(file.string(), samples));
    wav_check::Wav wav = wav_check::read_wav(file);
    EXPECT_EQ(wav.error, "");
    EXPECT_EQ(wav.rate, SAMPLE_RATE);
    EXPECT_EQ(wav.samples, samples);
}

}  // namespace
