// synth: the tiny synthesizer and WAV writer behind the game's sound effects.
//
// A sound is a buffer of float samples at SAMPLE_RATE; voices are mixed into it with start times and
// envelopes (a linear attack, then an exponential decay), and the finished buffer is faded at both ends,
// scaled so its loudest sample sits at PEAK of full scale (never clipped), and written as 16-bit mono PCM.
//
// Depends on: the C++ standard library only.
#ifndef MOXEL_TOOLS_SYNTH_H
#define MOXEL_TOOLS_SYNTH_H

#include <cstdint>
#include <string>
#include <vector>

namespace makedata {

constexpr int SAMPLE_RATE = 44100;
constexpr float PEAK = 0.8f;  // loudest sample, as a share of full scale

enum class Wave { SINE, TRIANGLE, SOFT_SQUARE };

struct Envelope {
    float attack;  // seconds to rise from 0 to full
    float decay;   // exponential decay rate per second after the attack (0 holds)
};

class Sound {
  public:
    explicit Sound(float seconds);

    // A tone gliding exponentially from f0 to f1 Hz over its duration.
    void tone(float start, float duration, float f0, float f1, float amp, Envelope env,
              Wave wave = Wave::SINE);
    // A bell-like ring: inharmonic partials, the higher ones dying sooner; stays bell-like when the
    // player raises its pitch.
    void bell(float start, float duration, float freq, float amp, float decay);
    // Noise through a one-pole low-pass; `smooth` from 0 (bright) to nearly 1 (dull), gliding from s0 to
    // s1 over the duration.
    void noise(float start, float duration, float amp, Envelope env, float s0, float s1, uint32_t seed);

    // Fades the ends, scales to PEAK and returns 16-bit samples.
    std::vector<int16_t> finish() const;

  private:
    std::vector<float> buf_;
};

// Writes 16-bit mono PCM as a canonical 44-byte-header WAV file; false on failure.
bool write_wav(const std::string& path, const std::vector<int16_t>& samples);

// Every sound effect of the game: file name under data/ and its samples.
struct SoundFile {
    std::string name;
    std::vector<int16_t> samples;
};
std::vector<SoundFile> make_sounds();  // sounds.cpp

}  // namespace makedata

#endif  // MOXEL_TOOLS_SYNTH_H
