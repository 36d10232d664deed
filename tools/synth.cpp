// synth: voices, mixing and WAV output for the sound effects (see synth.h).
#include "tools/synth.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace makedata {

namespace {

constexpr float PI = 3.14159265f;
constexpr float FADE_IN = 0.002f;  // seconds; keeps the first sample from clicking
constexpr float FADE_OUT = 0.01f;

// Gain of an envelope t seconds after the voice starts, with a short fade at the voice's own end.
float envelope(Envelope env, float t, float duration) {
    float g = env.attack > 0 && t < env.attack ? t / env.attack : std::exp(-env.decay * (t - env.attack));
    float left = duration - t;
    return left < FADE_OUT ? g * std::max(0.0f, left / FADE_OUT) : g;
}

float wave_at(Wave wave, float phase) {
    switch (wave) {
        case Wave::TRIANGLE:
            return 1.0f - 4.0f * std::fabs(phase - std::floor(phase + 0.5f));
        case Wave::SOFT_SQUARE:
            return std::tanh(3.0f * std::sin(2 * PI * phase)) / std::tanh(3.0f);
        default:
            return std::sin(2 * PI * phase);
    }
}

void put_u32(std::FILE* f, uint32_t v) {
    for (int i = 0; i < 4; ++i) std::fputc(int(v >> (8 * i) & 0xff), f);
}

void put_u16(std::FILE* f, uint16_t v) {
    std::fputc(v & 0xff, f);
    std::fputc(v >> 8, f);
}

}  // namespace

Sound::Sound(float seconds) : buf_(size_t(seconds * SAMPLE_RATE)) {}

void Sound::tone(float start, float duration, float f0, float f1, float amp, Envelope env, Wave wave) {
    size_t first = size_t(start * SAMPLE_RATE);
    size_t count = size_t(duration * SAMPLE_RATE);
    double phase = 0;
    for (size_t i = 0; i < count && first + i < buf_.size(); ++i) {
        float t = float(i) / SAMPLE_RATE;
        float freq = f0 * std::pow(f1 / f0, t / duration);
        buf_[first + i] += amp * envelope(env, t, duration) * wave_at(wave, float(phase));
        phase += double(freq) / SAMPLE_RATE;
        phase -= std::floor(phase);
    }
}

void Sound::bell(float start, float duration, float freq, float amp, float decay) {
    // Partials of a struck bar: ratios and relative loudness; higher ones decay faster.
    static const float ratio[] = {1.0f, 2.0f, 2.76f, 5.4f};
    static const float level[] = {1.0f, 0.45f, 0.35f, 0.15f};
    for (int i = 0; i < 4; ++i)
        tone(start, duration, freq * ratio[i], freq * ratio[i], amp * level[i],
             {0.002f, decay * (1 + 0.6f * i)});
}

void Sound::noise(float start, float duration, float amp, Envelope env, float s0, float s1, uint32_t seed) {
    size_t first = size_t(start * SAMPLE_RATE);
    size_t count = size_t(duration * SAMPLE_RATE);
    float low = 0;
    for (size_t i = 0; i < count && first + i < buf_.size(); ++i) {
        seed = seed * 1664525u + 1013904223u;
        float white = float(seed >> 8) / float(1u << 23) - 1.0f;
        float t = float(i) / SAMPLE_RATE;
        float smooth = s0 + (s1 - s0) * t / duration;
        low = low * smooth + white * (1 - smooth);
        // NOTE: a low-pass quietens the noise; dividing by sqrt((1-s)/(1+s)) keeps its loudness steady.
        float gain = 1.0f / std::sqrt((1 - smooth) / (1 + smooth));
        buf_[first + i] += amp * envelope(env, t, duration) * low * gain;
    }
}

std::vector<int16_t> Sound::finish() const {
    std::vector<float> out = buf_;
    const size_t n = out.size();
    const size_t fade_in = size_t(FADE_IN * SAMPLE_RATE), fade_out = size_t(FADE_OUT * SAMPLE_RATE);
    for (size_t i = 0; i < fade_in && i < n; ++i) out[i] *= float(i) / fade_in;
    for (size_t i = 0; i < fade_out && i < n; ++i) out[n - 1 - i] *= float(i) / fade_out;
    float loudest = 0;
    for (float s : out) loudest = std::max(loudest, std::fabs(s));
    float scale = loudest > 0 ? PEAK * 32767.0f / loudest : 0.0f;
    std::vector<int16_t> pcm(n);
    for (size_t i = 0; i < n; ++i) pcm[i] = int16_t(std::lround(out[i] * scale));
    return pcm;
}

bool write_wav(const std::string& path, const std::vector<int16_t>& samples) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const uint32_t data_bytes = uint32_t(samples.size() * 2);
    std::fputs("RIFF", f);
    put_u32(f, 36 + data_bytes);
    std::fputs("WAVEfmt ", f);
    put_u32(f, 16);
    put_u16(f, 1);  // PCM
    put_u16(f, 1);  // mono
    put_u32(f, SAMPLE_RATE);
    put_u32(f, SAMPLE_RATE * 2);  // byte rate
    put_u16(f, 2);                // block align
    put_u16(f, 16);               // bits per sample
    std::fputs("data", f);
    put_u32(f, data_bytes);
    for (int16_t s : samples) put_u16(f, uint16_t(s));
    return std::fclose(f) == 0;
}

}  // namespace makedata
