// wav_check: a strict reader of the game's WAV files for the tests: RIFF WAVE, the format chunk first,
// 16-bit mono PCM, sizes that agree with the file.
#ifndef MOXEL_TESTS_TOOLS_WAV_CHECK_H
#define MOXEL_TESTS_TOOLS_WAV_CHECK_H

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace wav_check {

// A strictly read RIFF WAVE file: 16-bit mono PCM only.
struct Wav {
    std::string error;  // empty when the file is valid
    int rate = 0;
    std::vector<int16_t> samples;
};

inline uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
inline uint16_t le16(const std::vector<uint8_t>& b, size_t at) {
    return uint16_t(b[at] | b[at + 1] << 8);
}

// A rejected file: only the reason is set.
inline Wav broken(const char* why) {
    Wav wav;
    wav.error = why;
    return wav;
}

inline Wav read_wav(const std::filesystem::path& path) {
    Wav wav;
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto tag = [&](size_t at, const char* t) {
        return at + 4 <= b.size() && std::equal(t, t + 4, b.begin() + at);
    };
    if (b.size() < 44 || !tag(0, "RIFF") || !tag(8, "WAVE")) return broken("not a RIFF WAVE file");
    if (le32(b, 4) != b.size() - 8) return broken("RIFF size does not match the file");
    if (!tag(12, "fmt ") || le32(b, 16) < 16) return broken("format chunk must come first");
    if (le16(b, 20) != 1) return broken("not PCM");
    if (le16(b, 22) != 1) return broken("not mono");
    wav.rate = int(le32(b, 24));
    if (le16(b, 34) != 16 || le16(b, 32) != 2 || le32(b, 28) != uint32_t(wav.rate) * 2)
        return broken("not 16-bit, or inconsistent block align or byte rate");
    size_t at = 20 + le32(b, 16);
    while (at + 8 <= b.size()) {
        uint32_t size = le32(b, at + 4);
        if (at + 8 + size > b.size()) return broken("chunk runs past the end of the file");
        if (tag(at, "data")) {
            if (size % 2) return broken("odd data size");
            for (size_t i = 0; i < size; i += 2) wav.samples.push_back(int16_t(le16(b, at + 8 + i)));
            return wav;
        }
        at += 8 + size + (size & 1);
    }
    return broken("no data chunk");
}

}  // namespace wav_check

#endif  // MOXEL_TESTS_TOOLS_WAV_CHECK_H
