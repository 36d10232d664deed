// Test fixtures for sound files.
#include "tests/audio/wav_fixture.h"

#include <stdlib.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace wavfix {

Bytes le16(uint32_t v) {
    return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
}

Bytes le32(uint32_t v) {
    return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
            static_cast<uint8_t>(v >> 24)};
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

static Bytes tag(const char* t) {
    return Bytes(t, t + 4);
}

Bytes chunkClaiming(const char* t, uint32_t claimed, const Bytes& body) {
    return tag(t) + le32(claimed) + body;
}

Bytes chunk(const char* t, const Bytes& body) {
    return chunkClaiming(t, static_cast<uint32_t>(body.size()), body);
}

Bytes paddedChunk(const char* t, const Bytes& body) {
    Bytes c = chunk(t, body);
    if (body.size() % 2 != 0) c.push_back(0);
    return c;
}

Bytes fmtBody(int formatTag, int channels, uint32_t rate, int bits, int extra) {
    uint32_t align = static_cast<uint32_t>(channels * (bits / 8));
    Bytes b = le16(formatTag) + le16(channels) + le32(rate) + le32(rate * align) + le16(align) + le16(bits);
    b.resize(b.size() + extra, 0);
    return b;
}

Bytes riff(const Bytes& chunks) {
    return tag("RIFF") + le32(static_cast<uint32_t>(chunks.size() + 4)) + tag("WAVE") + chunks;
}

Bytes simpleWav(int channels, uint32_t rate, int bits, const Bytes& data) {
    return riff(chunk("fmt ", fmtBody(PCM, channels, rate, bits)) + chunk("data", data));
}

Bytes sine16(int frames, int channels, double freq, int rate, double amplitude) {
    Bytes out;
    out.reserve(static_cast<size_t>(frames) * channels * 2);
    for (int i = 0; i < frames; ++i) {
        auto v =
            static_cast<int16_t>(std::lround(amplitude * 32767.0 * std::sin(2.0 * M_PI * freq * i / rate)));
        for (int c = 0; c < channels; ++c) {
            Bytes s = le16(static_cast<uint16_t>(v));
            out.insert(out.end(), s.begin(), s.end());
        }
    }
    return out;
}

Bytes ramp(size_t n) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(i);
    return b;
}

}  // namespace wavfix
