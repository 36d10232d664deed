// Test fixtures for sound files: WAV bytes built chunk by chunk, sine-wave
// PCM, and the shared temporary folder.
#ifndef MOXEL_TESTS_AUDIO_WAV_FIXTURE_H
#define MOXEL_TESTS_AUDIO_WAV_FIXTURE_H

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace wavfix {

using Bytes = std::vector<uint8_t>;

constexpr int PCM = 1;

Bytes le16(uint32_t v);
Bytes le32(uint32_t v);
Bytes operator+(Bytes a, const Bytes& b);

// A chunk: tag, size field, body. The size field may lie (`claimed`), and an
// odd body may be followed by a pad byte.
Bytes chunk(const char* tag, const Bytes& body);
Bytes chunkClaiming(const char* tag, uint32_t claimed, const Bytes& body);
Bytes paddedChunk(const char* tag, const Bytes& body);

// The body of a "fmt " chunk: the 16 standard bytes, then `extra` more
// (an 18-byte chunk carries a 2-byte extension size).
Bytes fmtBody(int formatTag, int channels, uint32_t rate, int bits, int extra = 0);

// "RIFF", a size, "WAVE", then the chunks as given.
Bytes riff(const Bytes& chunks);

// A plain PCM file: "fmt " then "data".
Bytes simpleWav(int channels, uint32_t rate, int bits, const Bytes& data);

// Signed 16-bit little-endian sine, the same on every channel.
Bytes sine16(int frames, int channels, double freq, int rate, double amplitude);

// Bytes 0, 1, 2, ... as filler PCM whose content is easy to check.
Bytes ramp(size_t n);

// A fresh folder removed with its contents when destroyed.
using TempDir = test_support::TempDir;

}  // namespace wavfix

#endif
