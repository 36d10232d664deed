// Reading sound files: the WAV reader's accepted layouts, the padding of odd
// chunks, damaged and crafted files, the extension test and the little-endian
// readers. No audio device is involved.
#include "audio/sound_file.h"

#include <AL/al.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "tests/audio/wav_fixture.h"

using namespace wavfix;

#ifndef MOXEL_SANITIZE
// Records the largest block requested from malloc while `trackMalloc` is set,
// to prove that no file makes the reader allocate what the file does not hold.
// (Sanitizer builds bring their own malloc; the check is left out there.)
extern "C" void* __libc_malloc(size_t size);
namespace {
bool trackMalloc = false;
size_t largestMalloc = 0;
}  // namespace
extern "C" void* malloc(size_t size) noexcept {
    if (trackMalloc && size > largestMalloc) largestMalloc = size;
    return __libc_malloc(size);
}
#endif

namespace {

struct Decoded {
    unsigned char* data = nullptr;
    int length = -7, channels = -7, format = -7, hertz = -7;

    Decoded() = default;
    Decoded(const Decoded&) = delete;
    Decoded& operator=(const Decoded&) = delete;
    ~Decoded() { unloadSound(data); }
};

void load(const std::string& path, Decoded& d) {
    d.data = loadSound(String(path.c_str()), &d.length, &d.channels, &d.format, &d.hertz);
}

class WavReaderTest : public testing::Test {
  protected:
    TempDir dir;
};

TEST_F(WavReaderTest, SixteenBitStereoGivesFramesChannelsFormatAndRate) {
    Bytes pcm = ramp(1000);
    Decoded d;
    load(dir.write("stereo.wav", simpleWav(2, 22050, 16, pcm)), d);
    ASSERT_NE(d.data, nullptr);
    EXPECT_EQ(d.length, 250);
    EXPECT_EQ(d.channels, 2);
    EXPECT_EQ(d.format, 2);
    EXPECT_EQ(d.hertz, 22050);
    EXPECT_EQ(std::memcmp(d.data, pcm.data(), pcm.size()), 0);
}

TEST_F(WavReaderTest, TrailingPartialFrameIsLeftOutOfTheLength) {
    Decoded d;
    load(dir.write("partial.wav", simpleWav(2, 22050, 16, ramp(1001))), d);
    ASSERT_NE(d.data, nullptr);
    EXPECT_EQ(d.length, 250);
}

TEST_F(WavReaderTest, EightBitMonoHasFormatOne) {
    Decoded d;
    load(dir.write("mono8.wav", simpleWav(1, 8000, 8, ramp(77))), d);
    ASSERT_NE(d.data, nullptr);
    EXPECT_EQ(d.length, 77);
    EXPECT_EQ(d.channels, 1);
    EXPECT_EQ(d.format, 1);
    EXPECT_EQ(d.hertz, 8000);
}

TEST_F(WavReaderTest, EmptyDataChunkLoadsWithNoFrames) {
    Decoded d;
    load(dir.write("empty.wav", simpleWav(1, 8000, 16, {})), d);
    ASSERT_NE(d.data, nullptr);
    EXPECT_EQ(d.length, 0);
}

// Layouts that must load, each with the same 400 bytes of 16-bit mono PCM.
TEST_F(WavReaderTest, AcceptedLayoutsLoadTheSameSound) {
    Bytes pcm = ramp(400);
    Bytes fmt = chunk("fmt ", fmtBody(PCM, 1, 11025, 16));
    struct Case {
        const char* name;
        Bytes file;
    } cases[] = {
        {"plain", riff(fmt + chunk("data", pcm))},
        {"fmt of 18 bytes", riff(chunk("fmt ", fmtBody(PCM, 1, 11025, 16, 2)) + chunk("data", pcm))},
        {"LIST between fmt and data", riff(fmt + chunk("LIST", ramp(26)) + chunk("data", pcm))},
        {"fact and LIST",
         riff(fmt + chunk("fact", le32(200)) + chunk("LIST", ramp(10)) + chunk("data", pcm))},
        {"chunks after data", riff(fmt + chunk("data", pcm) + chunk("LIST", ramp(12)))},
        // Odd chunks are padded to an even size, as RIFF writers do; the pad byte is skipped.
        {"odd LIST with its pad byte", riff(fmt + paddedChunk("LIST", ramp(27)) + chunk("data", pcm))},
        {"odd fmt with its pad byte",
         riff(paddedChunk("fmt ", fmtBody(PCM, 1, 11025, 16, 1)) + chunk("data", pcm))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Decoded d;
        load(dir.write("layout.wav", c.file), d);
        ASSERT_NE(d.data, nullptr);
        EXPECT_EQ(d.length, 200);
        EXPECT_EQ(d.hertz, 11025);
        EXPECT_EQ(std::memcmp(d.data, pcm.data(), pcm.size()), 0);
    }
}

// The file with the 4-byte tag at `at` replaced; checked indexing also keeps
// GCC's -O3 bounds analysis from misreading the copy.
Bytes retagged(Bytes file, size_t at, const char* tag) {
    for (size_t i = 0; i < 4; ++i) file.at(at + i) = static_cast<uint8_t>(tag[i]);
    return file;
}

// Files that must give null: wrong structure, unsupported encodings, damage.
TEST_F(WavReaderTest, RejectedFilesGiveNull) {
    Bytes pcm = ramp(400);
    Bytes fmt = chunk("fmt ", fmtBody(PCM, 1, 11025, 16));
    Bytes good = riff(fmt + chunk("data", pcm));
    const Bytes notRiff = retagged(good, 0, "RIFX");
    const Bytes notWave = retagged(good, 8, "AVI ");
    struct Case {
        const char* name;
        Bytes file;
    } cases[] = {
        {"empty file", {}},
        {"not RIFF", notRiff},
        {"not WAVE", notWave},
        {"LIST before fmt", riff(chunk("LIST", ramp(26)) + fmt + chunk("data", pcm))},
        {"float samples", riff(chunk("fmt ", fmtBody(3, 1, 11025, 32)) + chunk("data", pcm))},
        {"no data chunk", riff(fmt + chunk("LIST", ramp(26)))},
        {"data cut short", riff(fmt + chunkClaiming("data", 800, pcm))},
        // Without its pad byte the odd chunk misplaces every tag after it.
        {"odd LIST without its pad byte", riff(fmt + chunk("LIST", ramp(27)) + chunk("data", pcm))},
        {"ends after the data tag", riff(fmt) + Bytes{'d', 'a', 't', 'a'}},
        {"ends inside the data size", riff(fmt) + Bytes{'d', 'a', 't', 'a', 4, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Decoded d;
        load(dir.write("rejected.wav", c.file), d);
        EXPECT_EQ(d.data, nullptr);
    }
}

TEST_F(WavReaderTest, EveryTruncationOfAGoodFileGivesNull) {
    Bytes good =
        riff(chunk("fmt ", fmtBody(PCM, 2, 22050, 16, 2)) + chunk("LIST", ramp(6)) + chunk("data", ramp(64)));
    for (size_t n = 0; n < good.size(); ++n) {
        SCOPED_TRACE(n);
        Decoded d;
        load(dir.write("cut.wav", Bytes(good.begin(), good.begin() + static_cast<long>(n))), d);
        EXPECT_EQ(d.data, nullptr);
    }
    Decoded whole;
    load(dir.write("whole.wav", good), whole);
    EXPECT_NE(whole.data, nullptr);
}

// Headers that would divide by zero or describe no sound at all.
TEST_F(WavReaderTest, HeadersWithoutChannelsBitsOrRateGiveNull) {
    struct Case {
        const char* name;
        int channels;
        uint32_t rate;
        int bits;
    } cases[] = {
        {"0 channels", 0, 22050, 16}, {"0 bits", 1, 22050, 0}, {"4 bits", 1, 22050, 4},
        {"7 bits", 2, 22050, 7},      {"rate 0", 1, 0, 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Decoded d;
        load(dir.write("header.wav", riff(chunk("fmt ", fmtBody(PCM, c.channels, c.rate, c.bits)) +
                                          chunk("data", ramp(100)))),
             d);
        EXPECT_EQ(d.data, nullptr);
    }
}

// Chunks that claim more than the file holds: small files claiming up to
// 4 GiB must neither load nor make the reader allocate or read that much.
TEST_F(WavReaderTest, ChunksClaimingMoreThanTheFileAreNeverAllocated) {
    Bytes fmt = chunk("fmt ", fmtBody(PCM, 1, 22050, 16));
    struct Case {
        const char* name;
        Bytes file;
    } cases[] = {
        {"data claims 4 GiB", riff(fmt + chunkClaiming("data", 0xFFFFFFFFu, ramp(56)))},
        {"data claims 1 MiB", riff(fmt + chunkClaiming("data", 1u << 20, ramp(56)))},
        {"data claims one byte too many", riff(fmt + chunkClaiming("data", 57, ramp(56)))},
        {"LIST claims 4 GiB",
         riff(fmt + chunkClaiming("LIST", 0xFFFFFFF0u, ramp(20)) + chunk("data", ramp(20)))},
        {"LIST claims 1 MiB",
         riff(fmt + chunkClaiming("LIST", 1u << 20, ramp(20)) + chunk("data", ramp(20)))},
        {"fmt claims 4 GiB",
         riff(chunkClaiming("fmt ", 0xFFFFFFFFu, fmtBody(PCM, 1, 22050, 16)) + chunk("data", ramp(40)))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_LE(c.file.size(), 100u);
        std::string path = dir.write("hostile.wav", c.file);
        Decoded d;
#ifndef MOXEL_SANITIZE
        largestMalloc = 0;
        trackMalloc = true;
#endif
        load(path, d);
#ifndef MOXEL_SANITIZE
        trackMalloc = false;
        // stdio's own buffer is the largest thing a load may need here.
        EXPECT_GT(largestMalloc, 0u);  // the tracker is live
        EXPECT_LE(largestMalloc, 64u * 1024u);
#endif
        EXPECT_EQ(d.data, nullptr);
    }
}

TEST_F(WavReaderTest, MissingFileGivesNull) {
    Decoded d;
    load(dir.file("missing.wav"), d);
    EXPECT_EQ(d.data, nullptr);
}

TEST(SoundFileExtension, IsTheLowerCaseTextAfterTheLastDotOfTheName) {
    struct Case {
        const char* path;
        const char* ext;
    } cases[] = {
        {"sfx/Hit.WAV", "wav"}, {"music.Ogg", "ogg"}, {"sfx.d/hit", ""}, {"sfx.d\\hit", ""},
        {"noext", ""},          {"a.b.wav", "wav"},   {"trailing.", ""}, {"vendle://data/x.wav", "wav"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_TRUE(soundFileExtension(String(c.path)) == String(c.ext));
    }
}

TEST_F(WavReaderTest, ExtensionChoosesTheReader) {
    Bytes wav = simpleWav(1, 8000, 8, ramp(10));
    Decoded upper;
    load(dir.write("Hit.WAV", wav), upper);
    EXPECT_NE(upper.data, nullptr);
    // The same bytes under another name are not looked at.
    Decoded other;
    load(dir.write("hit.raw", wav), other);
    EXPECT_EQ(other.data, nullptr);
    Decoded none;
    load(dir.write("sfx.d/hit", wav), none);
    EXPECT_EQ(none.data, nullptr);
    // A WAV file named .ogg goes to the Vorbis reader, which rejects it.
    Decoded wrong;
    load(dir.write("hit.ogg", wav), wrong);
    EXPECT_EQ(wrong.data, nullptr);
}

TEST_F(WavReaderTest, LittleEndianReadersReportTheEndOfTheFile) {
    std::string path = dir.write(
        "bytes", Bytes{0x34, 0x12, 0xFF, 0xFF, 0x78, 0x56, 0x34, 0x12, 'd', 'a', 't', 'a', 1, 2, 3});
    FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(readShort(f), 0x1234);
    EXPECT_EQ(readShort(f), 0xFFFF);  // unsigned
    EXPECT_EQ(readInt(f), 0x12345678);
    EXPECT_TRUE(readTag(f) == String("data"));
    EXPECT_EQ(readInt(f), -1);  // 3 bytes left
    std::fclose(f);
    f = std::fopen(path.c_str(), "rb");
    std::fseek(f, 13, SEEK_SET);
    EXPECT_EQ(readTag(f).Length(), 0);
    std::fseek(f, 14, SEEK_SET);
    EXPECT_EQ(readShort(f), -1);
    std::fclose(f);
}

TEST(SoundBufferFormat, CoversMonoAndStereoInEightAndSixteenBits) {
    EXPECT_EQ(soundBufferFormat(1, 1), AL_FORMAT_MONO8);
    EXPECT_EQ(soundBufferFormat(1, 2), AL_FORMAT_STEREO8);
    EXPECT_EQ(soundBufferFormat(2, 1), AL_FORMAT_MONO16);
    EXPECT_EQ(soundBufferFormat(2, 2), AL_FORMAT_STEREO16);
    EXPECT_EQ(soundBufferFormat(2, 3), 0);
    EXPECT_EQ(soundBufferFormat(3, 1), 0);
    EXPECT_EQ(soundBufferFormat(0, 2), 0);
}

}  // namespace
