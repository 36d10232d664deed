// What comes out of the speakers: OpenAL Soft's wave backend writes the mixed
// output to a WAV file, which this test reads back. A played sample is heard,
// half the volume gives half the amplitude, and a stopped channel falls silent.
#include <AL/alc.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "audio/audio.h"
#include "runtime/runtime.h"
#include "tests/audio/wav_fixture.h"

using namespace wavfix;
using namespace std::chrono_literals;

namespace {

constexpr int RATE = 44100;
constexpr int WAVE_FORMAT_FLOAT = 3;
constexpr int WAVE_FORMAT_EXTENSIBLE = 0xFFFE;
// Level (full scale 1.0) above which a 10 ms block counts as sound.
constexpr double SOUND_LEVEL = 0.02;
constexpr int BLOCK = RATE / 100;
constexpr auto SUSPENDED = std::chrono::milliseconds(800);

// The captured output as one peak level per 10 ms block.
struct Capture {
    std::vector<double> blocks;
    bool ok = false;
    std::string problem;
};

uint32_t u32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

uint16_t u16(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

Capture readCapture(const std::string& path) {
    Capture cap;
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0) {
        cap.problem = "no RIFF file";
        return cap;
    }
    int tag = 0, channels = 0, bits = 0;
    size_t dataAt = 0, dataSize = 0;
    for (size_t at = 12; at + 8 <= b.size();) {
        uint32_t size = u32(b, at + 4);
        if (std::memcmp(&b[at], "fmt ", 4) == 0) {
            tag = u16(b, at + 8);
            channels = u16(b, at + 10);
            bits = u16(b, at + 22);
            if (tag == WAVE_FORMAT_EXTENSIBLE) tag = u16(b, at + 32);  // the subformat's first field
        } else if (std::memcmp(&b[at], "data", 4) == 0) {
            dataAt = at + 8;
            dataSize = std::min<size_t>(size, b.size() - dataAt);
            break;
        }
        at += 8 + size + (size & 1);
    }
    if (!dataAt || channels <= 0 || !(bits == 16 || (bits == 32 && tag == WAVE_FORMAT_FLOAT))) {
        cap.problem = "unexpected output format";
        return cap;
    }
    size_t frameBytes = static_cast<size_t>(channels) * bits / 8;
    size_t frames = dataSize / frameBytes;
    for (size_t start = 0; start + BLOCK <= frames; start += BLOCK) {
        double peak = 0;
        for (size_t f = start; f < start + BLOCK; ++f) {
            for (int c = 0; c < channels; ++c) {
                size_t at = dataAt + f * frameBytes + static_cast<size_t>(c) * bits / 8;
                double v;
                if (bits == 16) {
                    v = static_cast<int16_t>(u16(b, at)) / 32768.0;
                } else {
                    float fv;
                    std::memcpy(&fv, &b[at], sizeof fv);
                    v = fv;
                }
                peak = std::max(peak, std::fabs(v));
            }
        }
        cap.blocks.push_back(peak);
    }
    cap.ok = true;
    return cap;
}

struct Burst {
    size_t first, last;  // blocks
    double peak;
};

// Runs of blocks with sound; gaps under 50 ms do not split a run.
std::vector<Burst> bursts(const std::vector<double>& blocks) {
    std::vector<Burst> out;
    for (size_t i = 0; i < blocks.size(); ++i) {
        if (blocks[i] < SOUND_LEVEL) continue;
        if (!out.empty() && i - out.back().last <= 5) {
            out.back().last = i;
            out.back().peak = std::max(out.back().peak, blocks[i]);
        } else {
            out.push_back({i, i, blocks[i]});
        }
    }
    return out;
}

void waitForEnd(gxtkAudio* audio, int channel) {
    auto end = std::chrono::steady_clock::now() + 5s;
    while (audio->ChannelState(channel) != CHANNEL_STOPPED && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(5ms);
    }
}

void markDevice() {
    gc_enqueue(bb_audio_device);
}

// OpenAL Soft reads its configuration once per process, so every capture is
// one test: sounds at two volumes, a loop stopped, and a suspension in which
// the device rests (writes nothing) rather than mixing silence.
TEST(AudioCapture, PlayedSoundIsHeardAtItsVolumeAndStopsWhenStoppedAndTheDeviceRestsWhenSuspended) {
    TempDir dir;
    std::string out = dir.file("mix.wav");
    std::string conf = dir.file("alsoft.conf");
    {
        std::ofstream c(conf);
        c << "[general]\ndrivers=wave\nfrequency=" << RATE
          << "\nchannels=stereo\nsample-type=float32\noutput-limiter=false\ndither=false\n"
          << "[wave]\nfile=" << out << "\n";
    }
    // Read once, when OpenAL Soft starts: set before the first OpenAL call.
    setenv("ALSOFT_CONF", conf.c_str(), 1);
    unsetenv("ALSOFT_DRIVERS");
    ALCdevice* device = alcOpenDevice(nullptr);
    ASSERT_NE(device, nullptr);
    ALCcontext* context = alcCreateContext(device, nullptr);
    ASSERT_NE(context, nullptr);
    ASSERT_TRUE(alcMakeContextCurrent(context));

    gc_init1();
    gc_mark_roots = markDevice;
    bb_audio_SetAudioDevice(new gxtkAudio());
    gxtkAudio* audio = bb_audio_device;
    bb_audio_Sound* tone = bb_audio_LoadSound(
        String(dir.write("tone.wav", simpleWav(1, RATE, 16, sine16(RATE / 4, 1, 440, RATE, 0.5))).c_str()));
    ASSERT_NE(tone, nullptr);

    // Full volume, then half, each played to its end; then a loop stopped after 0.3 s.
    std::this_thread::sleep_for(100ms);
    bb_audio_PlaySound(tone, 0, 0);
    waitForEnd(audio, 0);
    std::this_thread::sleep_for(200ms);
    bb_audio_SetChannelVolume(0, 0.5f);
    bb_audio_PlaySound(tone, 0, 0);
    waitForEnd(audio, 0);
    std::this_thread::sleep_for(200ms);
    bb_audio_PlaySound(tone, 1, 1);
    std::this_thread::sleep_for(300ms);
    bb_audio_StopChannel(1);
    std::this_thread::sleep_for(600ms);
    // Suspended, the device rests: the file stops growing. (Not resumed here:
    // the wave writer puts its next samples over its own header then.)
    audio->OnSuspend();
    std::this_thread::sleep_for(50ms);
    const auto restingSize = std::filesystem::file_size(out);
    std::this_thread::sleep_for(SUSPENDED);
    EXPECT_EQ(std::filesystem::file_size(out), restingSize) << "the mixer went on while suspended";

    alcMakeContextCurrent(nullptr);
    alcDestroyContext(context);
    alcCloseDevice(device);

    Capture cap = readCapture(out);
    ASSERT_TRUE(cap.ok) << cap.problem;
    std::vector<Burst> heard = bursts(cap.blocks);
    ASSERT_EQ(heard.size(), 3u);
    // The mixer pans a centred mono source at some fixed gain; only the ratio matters.
    EXPECT_GT(heard[0].peak, 0.2);
    EXPECT_NEAR(heard[1].peak / heard[0].peak, 0.5, 0.05);
    EXPECT_NEAR(heard[2].peak / heard[0].peak, 1.0, 0.05);
    // The loop lasted about 0.3 s, and everything after it is silence.
    size_t loopBlocks = heard[2].last - heard[2].first + 1;
    EXPECT_GE(loopBlocks, 15u);
    EXPECT_LE(loopBlocks, 60u);
    ASSERT_GE(cap.blocks.size() - heard[2].last, 30u);
    double tail =
        *std::max_element(cap.blocks.begin() + static_cast<long>(heard[2].last) + 5, cap.blocks.end());
    EXPECT_LT(tail, 1e-4);
}

}  // namespace
