// Reading Ogg Vorbis files, encoded at test time with oggenc (vorbis-tools).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "audio/sound_file.h"
#include "tests/audio/wav_fixture.h"

using namespace wavfix;

namespace {

bool haveOggenc() {
    return std::system("command -v oggenc >/dev/null 2>&1") == 0;
}

// Encodes a WAV file to Ogg Vorbis; returns the Ogg file's path.
std::string encode(const TempDir& dir, const std::string& name, const Bytes& wav) {
    std::string in = dir.write(name + ".wav", wav);
    std::string out = dir.path(name + ".ogg");
    std::string cmd = "oggenc -Q -o '" + out + "' '" + in + "'";
    if (std::system(cmd.c_str()) != 0) return "";
    return out;
}

struct Decoded {
    short* pcm = nullptr;
    int length = 0, channels = 0, format = 0, hertz = 0;
    Decoded(const Decoded&) = delete;
    Decoded& operator=(const Decoded&) = delete;
    explicit Decoded(const std::string& path) {
        pcm = reinterpret_cast<short*>(loadSound(String(path.c_str()), &length, &channels, &format, &hertz));
    }
    ~Decoded() { unloadSound(reinterpret_cast<unsigned char*>(pcm)); }
};

class OggReaderTest : public testing::Test {
  protected:
    void SetUp() override {
        if (!haveOggenc()) GTEST_SKIP() << "oggenc (vorbis-tools) is not installed";
    }
    TempDir dir;
};

// 100000 frames outgrow the first 4096-frame block many times over.
TEST_F(OggReaderTest, LongMonoFileDecodesWhole) {
    constexpr int FRAMES = 100000;
    std::string path = encode(dir, "mono", simpleWav(1, 22050, 16, sine16(FRAMES, 1, 440.0, 22050, 0.5)));
    ASSERT_FALSE(path.empty());
    Decoded d(path);
    ASSERT_NE(d.pcm, nullptr);
    EXPECT_EQ(d.length, FRAMES);
    EXPECT_EQ(d.channels, 1);
    EXPECT_EQ(d.format, 2);
    EXPECT_EQ(d.hertz, 22050);
    // Lossy, but the tone is there to the end: the last block's peak is near 0.5.
    int peak = 0;
    for (int i = FRAMES - 4096; i < FRAMES; ++i) peak = std::max(peak, std::abs(static_cast<int>(d.pcm[i])));
    EXPECT_NEAR(peak / 32767.0, 0.5, 0.1);
}

TEST_F(OggReaderTest, StereoFileIsInterleaved) {
    constexpr int FRAMES = 9000;
    std::string path = encode(dir, "stereo", simpleWav(2, 44100, 16, sine16(FRAMES, 2, 300.0, 44100, 0.4)));
    ASSERT_FALSE(path.empty());
    Decoded d(path);
    ASSERT_NE(d.pcm, nullptr);
    EXPECT_EQ(d.length, FRAMES);
    EXPECT_EQ(d.channels, 2);
    EXPECT_EQ(d.hertz, 44100);
    // Both channels carry the same tone.
    long diff = 0;
    for (int i = 0; i < FRAMES; ++i) diff = std::max<long>(diff, std::labs(d.pcm[2 * i] - d.pcm[2 * i + 1]));
    EXPECT_LT(diff, 600);
}

TEST_F(OggReaderTest, DamagedOrMissingFilesGiveNull) {
    std::string path = encode(dir, "tone", simpleWav(1, 22050, 16, sine16(5000, 1, 440.0, 22050, 0.5)));
    ASSERT_FALSE(path.empty());
    FILE* f = std::fopen(path.c_str(), "rb");
    Bytes bytes(200);
    ASSERT_EQ(std::fread(bytes.data(), 1, bytes.size(), f), bytes.size());
    std::fclose(f);
    // The first pages only: a file that ends inside its headers.
    Decoded cut(dir.write("cut.ogg", Bytes(bytes.begin(), bytes.begin() + 40)));
    EXPECT_EQ(cut.pcm, nullptr);
    Decoded noise(dir.write("noise.ogg", ramp(5000)));
    EXPECT_EQ(noise.pcm, nullptr);
    Decoded missing(dir.path("missing.ogg"));
    EXPECT_EQ(missing.pcm, nullptr);
}

}  // namespace
