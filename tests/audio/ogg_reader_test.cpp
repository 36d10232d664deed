// Reading Ogg Vorbis files, encoded at test time with oggenc (vorbis-tools).
#include <dirent.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "audio/ogg_pages.h"
#include "audio/sound_file.h"
#include "tests/audio/wav_fixture.h"

// The reference decoding below goes through the same library's own file API.
#define STB_VORBIS_HEADER_ONLY
#include <stb_vorbis.h>

using namespace wavfix;

namespace {

bool haveOggenc() {
    return std::system("command -v oggenc >/dev/null 2>&1") == 0;
}

// Encodes a WAV file to Ogg Vorbis (with oggenc's `options`); returns the Ogg file's path.
std::string encode(const TempDir& dir, const std::string& name, const Bytes& wav,
                   const std::string& options = "") {
    std::string in = dir.write(name + ".wav", wav);
    std::string out = dir.file(name + ".ogg");
    std::string cmd = "oggenc -Q " + options + " -o '" + out + "' '" + in + "'";
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
    Decoded missing(dir.file("missing.ogg"));
    EXPECT_EQ(missing.pcm, nullptr);
}

}  // namespace

namespace {

Bytes readFile(const std::string& path) {
    Bytes bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return bytes;
    int c;
    while ((c = std::fgetc(f)) != EOF) bytes.push_back(static_cast<uint8_t>(c));
    std::fclose(f);
    return bytes;
}

// Offset and size of every page of a well-formed Ogg file.
std::vector<std::pair<size_t, size_t>> pages(const Bytes& ogg) {
    std::vector<std::pair<size_t, size_t>> found;
    for (size_t at = 0; at + 27 <= ogg.size();) {
        size_t segments = ogg[at + 26], size = 27 + segments;
        for (size_t i = 0; i < segments; ++i) size += ogg[at + 27 + i];
        found.emplace_back(at, size);
        at += size;
    }
    return found;
}

// Writes a fresh CRC into the page at `at`, as a deliberate forger would.
void resign(Bytes& ogg, size_t at, size_t size) {
    uint32_t crc = oggPageCrc(&ogg[at], size);
    for (int i = 0; i < 4; ++i) ogg[at + 22 + i] = static_cast<uint8_t>(crc >> (8 * i));
}

// Nine seconds of tone: several audio pages after the two header pages.
class OggValidationTest : public OggReaderTest {
  protected:
    void SetUp() override {
        OggReaderTest::SetUp();
        if (IsSkipped()) return;
        path = encode(dir, "tone", simpleWav(1, 22050, 16, sine16(FRAMES, 1, 440.0, 22050, 0.5)), "-s 7");
        ASSERT_FALSE(path.empty());
        ogg = readFile(path);
        ASSERT_GE(pages(ogg).size(), 4u);
    }
    // Loads `bytes` as an .ogg file: whether the reader gives PCM.
    bool loads(const Bytes& bytes) {
        Decoded d(dir.write("case.ogg", bytes));
        return d.pcm != nullptr;
    }
    static constexpr int FRAMES = 200000;
    std::string path;
    Bytes ogg;
};

// The regression inputs in fuzz/regressions/ogg crashed the system stb_vorbis
// on opening (one with damaged pages, one with valid CRCs and a comment count
// larger than its packet). Without the checks this test dies; with them both
// give null.
TEST_F(OggValidationTest, FilesThatCrashedTheDecoderGiveNull) {
    DIR* folder = opendir(MOXEL_OGG_REGRESSIONS);
    ASSERT_NE(folder, nullptr);
    int checked = 0;
    while (dirent* entry = readdir(folder)) {
        if (entry->d_name[0] == '.') continue;
        Bytes bytes = readFile(std::string(MOXEL_OGG_REGRESSIONS) + "/" + entry->d_name);
        ASSERT_FALSE(bytes.empty()) << entry->d_name;
        EXPECT_FALSE(loads(bytes)) << entry->d_name;
        ++checked;
    }
    closedir(folder);
    EXPECT_GE(checked, 2);
}

// The checks leave a valid file's decoding as it was: frame for frame what the
// library's own file decoder makes of it.
TEST_F(OggValidationTest, ValidFileDecodesAsTheLibraryDoes) {
    int refChannels = 0, refRate = 0;
    short* ref = nullptr;
    int refFrames = stb_vorbis_decode_filename(path.c_str(), &refChannels, &refRate, &ref);
    ASSERT_EQ(refFrames, FRAMES);
    Decoded d(path);
    ASSERT_NE(d.pcm, nullptr);
    EXPECT_EQ(d.length, refFrames);
    EXPECT_EQ(d.channels, refChannels);
    EXPECT_EQ(d.hertz, refRate);
    EXPECT_EQ(std::memcmp(d.pcm, ref, sizeof(short) * static_cast<size_t>(refFrames)), 0);
    std::free(ref);
}

TEST_F(OggValidationTest, AnyChangedByteGivesNull) {
    auto all = pages(ogg);
    const size_t lastPage = all.back().first;
    const size_t offsets[] = {
        0,                  // "OggS"
        4,                  // version
        5,                  // flags of the first page
        14,                 // serial of the first page
        22,                 // the CRC itself
        26,                 // segment count
        27,                 // a lacing value
        40,                 // channel count in the identification header
        all[1].first + 60,  // the comment header
        ogg.size() / 2,     // audio
        lastPage + 6,       // the last page's granule position
        ogg.size() - 1,     // the last byte
    };
    for (size_t at : offsets) {
        Bytes changed = ogg;
        changed[at] ^= 0x10;
        EXPECT_FALSE(loads(changed)) << "byte " << at;
    }
}

TEST_F(OggValidationTest, CutFilesGiveNull) {
    const size_t lastPage = pages(ogg).back().first;
    struct Case {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"cut inside the last page's body", Bytes(ogg.begin(), ogg.end() - 10)},
        {"cut inside the last page's header", Bytes(ogg.begin(), ogg.begin() + lastPage + 10)},
        {"cut inside the first page", Bytes(ogg.begin(), ogg.begin() + 40)},
        {"empty", Bytes()},
    };
    for (const Case& c : cases) EXPECT_FALSE(loads(c.bytes)) << c.name;
}

// Some encoders chain streams one after the other, and taggers or copies can
// leave bytes after the last page: the first stream decodes as it would alone.
TEST_F(OggValidationTest, ChainedStreamsAndTrailingBytesDecodeTheFirstStream) {
    std::string other =
        encode(dir, "other", simpleWav(1, 22050, 16, sine16(3000, 1, 300.0, 22050, 0.5)), "-s 8");
    ASSERT_FALSE(other.empty());
    const Bytes second = readFile(other);
    Decoded alone(path);
    ASSERT_NE(alone.pcm, nullptr);
    struct Case {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"a chained stream", ogg + second},
        {"the same stream twice", ogg + ogg},
        {"a chained stream cut short", ogg + Bytes(second.begin(), second.begin() + 100)},
        {"trailing text", ogg + Bytes{'j', 'u', 'n', 'k'}},
        {"trailing zeros", ogg + Bytes(100, 0)},
    };
    for (const Case& c : cases) {
        Decoded d(dir.write("case.ogg", c.bytes));
        ASSERT_NE(d.pcm, nullptr) << c.name;
        EXPECT_EQ(d.length, FRAMES) << c.name;
        EXPECT_EQ(std::memcmp(d.pcm, alone.pcm, sizeof(short) * FRAMES), 0) << c.name;
    }
    // Before the end-of-stream page every byte must still be a whole page.
    Bytes unended = ogg;
    const auto last = pages(unended).back();
    unended[last.first + 5] &= static_cast<uint8_t>(~0x04);
    resign(unended, last.first, last.second);
    EXPECT_TRUE(loads(unended)) << "a stream that ends with the file needs no end mark";
    EXPECT_FALSE(loads(unended + Bytes{'j', 'u', 'n', 'k'})) << "junk where a page should follow";
}

// Changes made with fresh CRCs, as a forged file would carry: the header
// fields the decoder trusts are checked, and so is the decoded length.
TEST_F(OggValidationTest, ForgedHeadersGiveNull) {
    auto all = pages(ogg);
    const size_t first = all[0].second, comment = all[1].first + 27 + ogg[all[1].first + 26];
    const size_t vendorLength = ogg[comment + 7] | ogg[comment + 8] << 8;
    const size_t commentCount = comment + 11 + vendorLength;
    const size_t lastPage = all.back().first;
    struct Case {
        const char* name;
        size_t page, pageSize, at;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"0 channels", 0, first, 28 + 11, {0}},
        {"9 channels", 0, first, 28 + 11, {9}},
        {"rate 0", 0, first, 28 + 12, {0, 0, 0, 0}},
        {"not a Vorbis header", 0, first, 28 + 1, {'V'}},
        {"comment count past the packet", all[1].first, all[1].second, commentCount, {0, 0, 0x10, 0}},
        {"vendor length past the packet", all[1].first, all[1].second, comment + 7, {0xff, 0xff, 0, 0}},
        // 2^28 + 1 frames: more than the bound for any file, and this file's size
        // times 4096 is smaller still.
        {"length over the bound", lastPage, all.back().second, lastPage + 6, {1, 0, 0, 0x10, 0, 0, 0, 0}},
    };
    Bytes unchanged = ogg;
    resign(unchanged, 0, first);
    EXPECT_TRUE(loads(unchanged)) << "a page signed again as it was";
    for (const Case& c : cases) {
        Bytes forged = ogg;
        std::copy(c.bytes.begin(), c.bytes.end(), forged.begin() + static_cast<long>(c.at));
        resign(forged, c.page, c.pageSize);
        EXPECT_FALSE(loads(forged)) << c.name;
    }
}

}  // namespace
