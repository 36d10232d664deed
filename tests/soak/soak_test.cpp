// Soak: plays for N minutes of game time (MOXEL_SOAK_MINUTES, default 1; the
// full run is 10) through the update and render hooks, with a real GL context
// (textures are real) and OpenAL Soft's null device (sound buffers are real),
// and checks that nothing grows from the start of the run to its end:
//   - the collector's live bytes after a full sweep (gc_alloced_bytes),
//   - live textures (gxtkSurface::liveTextures),
//   - OpenAL buffers in use (audio_live_buffers),
//   - the process's resident memory (/proc/self/statm).
//
// The scripted player plays random strokes, pauses and resumes, quits from
// the pause panel, lets games end, is suspended and resumed (which saves),
// and goes back to the menu to start again; the window changes size every
// few seconds, which makes the loader reload the images at another
// resolution. Each measure's peak over the first window of the run is
// compared with its peak over the last window; a window is long enough to
// hold every window size and every screen at least once.
//
// Full run (in build/): MOXEL_SOAK_MINUTES=10 xvfb-run -a tests/soak/soak_test
// MOXEL_SOAK_TRACE=1 prints every game second's measures.
#include <AL/al.h>
#include <AL/alc.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "audio/audio_device.h"
#include "graphics/surface.h"
#include "tests/game/scripted_player.h"

namespace {

using game_test::PlayHarness;
using game_test::ScriptedPlayer;

constexpr int UPDATES_PER_SECOND = 60;
constexpr int DEFAULT_MINUTES = 1;
// Game seconds between window-size changes, and the sizes cycled through
// (every resolution factor, landscape and portrait, and a tiny window).
constexpr int RESIZE_SECONDS = 3;
constexpr int SIZES[][2] = {{640, 480}, {1280, 960}, {2560, 1920}, {480, 640}, {320, 200}, {1024, 600}};
constexpr int SIZE_COUNT = sizeof SIZES / sizeof SIZES[0];
// The player's habits, in game seconds.
constexpr int PAUSE_EVERY_SECONDS = 17;  // open the pause panel, wait, resume
constexpr int QUIT_EVERY_SECONDS = 41;   // quit the game from the pause panel
constexpr int SUSPEND_EVERY_SECONDS = 29;
constexpr int MENU_SECONDS = 2;  // time on the menu before the next game
// Peaks are compared over windows of this many game seconds (or a third of a shorter run).
constexpr int WINDOW_SECONDS = 60;
// Allowed growth from the first window's peak to the last's.
constexpr double GC_MARGIN = 0.05;
constexpr long GC_SLACK_BYTES = 64 * 1024;
constexpr double RSS_MARGIN = 0.05;
constexpr long RSS_SLACK_BYTES = 8L * 1024 * 1024;
// A sample dropped by a reload while its channel still sounds keeps its
// buffer until the sound ends: a few such buffers may be live at a sample.
constexpr int BUFFER_SLACK = 8;

struct Sample {
    long gcBytes;
    int textures;
    int buffers;
    long rssBytes;
};

long ResidentBytes() {
    long pages = 0, resident = 0;
    FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f) return 0;
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
    return resident * sysconf(_SC_PAGESIZE);
}

int SoakMinutes() {
    const char* env = std::getenv("MOXEL_SOAK_MINUTES");
    int minutes = env ? std::atoi(env) : DEFAULT_MINUTES;
    return minutes > 0 ? minutes : DEFAULT_MINUTES;
}

// The peaks of each measure over samples [from, to).
Sample Peak(const std::vector<Sample>& s, size_t from, size_t to) {
    Sample p = {0, 0, 0, 0};
    for (size_t i = from; i < to; ++i) {
        p.gcBytes = std::max(p.gcBytes, s[i].gcBytes);
        p.textures = std::max(p.textures, s[i].textures);
        p.buffers = std::max(p.buffers, s[i].buffers);
        p.rssBytes = std::max(p.rssBytes, s[i].rssBytes);
    }
    return p;
}

// A GL context (on a hidden window) and an OpenAL context on the null device,
// current for the whole run, so textures and sound buffers are real.
class Devices {
  public:
    Devices() {
        setenv("ALSOFT_DRIVERS", "null", 1);
        device_ = alcOpenDevice(nullptr);
        if (device_) context_ = alcCreateContext(device_, nullptr);
        if (context_) alcMakeContextCurrent(context_);
        if (!glfwInit()) return;
        glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
        window_ = glfwCreateWindow(640, 480, "Moxelpark soak", nullptr, nullptr);
        if (window_) glfwMakeContextCurrent(window_);
    }
    ~Devices() {
        if (window_) glfwDestroyWindow(window_);
        // NOTE: no glfwTerminate, as in the GL tests: it unloads Mesa's driver,
        // and LeakSanitizer would then report the driver's memory as leaked
        // from an unknown module at exit (the program pins the driver instead).
        alcMakeContextCurrent(nullptr);
        if (context_) alcDestroyContext(context_);
        if (device_) alcCloseDevice(device_);
    }
    bool ok() const { return window_ && context_; }
    // What the host's buffer swap does: the driver runs and retires the frame.
    void Swap() { glfwSwapBuffers(window_); }

  private:
    ALCdevice* device_ = nullptr;
    ALCcontext* context_ = nullptr;
    GLFWwindow* window_ = nullptr;
};

// The soak run: the harness, the player and the clock of game seconds.
class Soak {
  public:
    explicit Soak(Devices& devices)
        : devices_(devices), player_(new ScriptedPlayer(play_, 7, ScriptedPlayer::Aiming::RANDOM)) {}
    ~Soak() { delete player_; }

    // One game second: 60 updates, each followed by a render, as the host runs them.
    void Second() {
        for (int i = 0; i < UPDATES_PER_SECOND; ++i) Tick();
        ++seconds_;
        if (seconds_ % RESIZE_SECONDS == 0) {
            const int* size = SIZES[(seconds_ / RESIZE_SECONDS) % SIZE_COUNT];
            play_.h.Resize(size[0], size[1]);
        }
        if (seconds_ % SUSPEND_EVERY_SECONDS == 0) {
            play_.h.Suspend();
            play_.h.Resume();
            ++suspends;
            // A suspend during play reopens the game paused: play on.
            if (g()->f_GameMode == MODE_PLAY && g()->f_Paused != 0) {
                for (int i = 0; i < UPDATES_PER_SECOND; ++i) Tick();
                Key(KEY_ESCAPE);
            }
        }
        if (InGame() && seconds_ % PAUSE_EVERY_SECONDS == 0) PauseAndResume();
        if (InGame() && seconds_ % QUIT_EVERY_SECONDS == 0) Quit();
    }

    // Live measures after a full collection.
    Sample Measure() {
        gc_force_sweep = true;
        gc_collect();
        // The device deletes discarded buffers before every load and play; do
        // it now, so only buffers still held by a sample or a sounding channel count.
        bb_audio_device->FlushDiscarded();
        // Free heap pages go back to the system first, so resident memory
        // measures what is held, not what the allocator happens to keep.
        malloc_trim(0);
        return {gc_alloced_bytes, gxtkSurface::liveTextures, audio_live_buffers, ResidentBytes()};
    }

    int games = 0, quits = 0, pauses = 0, suspends = 0;
    // Mode, game-over flag and pause flag in one number, for the trace.
    int Mode() { return g()->f_GameMode * 100 + g()->f_GameOver * 10 + g()->f_Paused; }

  private:
    bb_Moxelpark_MyApp* g() { return play_.game; }
    bool InGame() { return g()->f_GameMode == MODE_PLAY && g()->f_GameOver == 0 && g()->f_Paused == 0; }

    // One update with the player's input, then one render.
    void Tick() {
        if (InGame()) {
            player_->Step();
        } else {
            if (g()->f_GameMode == MODE_MENU && g()->f_LoadStep == 0 &&
                ++menuUpdates_ > MENU_SECONDS * UPDATES_PER_SECOND) {
                menuUpdates_ = 0;
                delete player_;
                player_ = new ScriptedPlayer(play_, 7 + games, ScriptedPlayer::Aiming::RANDOM);
                player_->StartGame(1 + games % GAME_TYPES);
                ++games;
            } else {
                play_.h.Update();
            }
        }
        // The harness's window system has no window: swap the real one here.
        play_.h.host->InvokeOnRender();
        devices_.Swap();
    }

    // A key held for one update and released for the next.
    void Key(int key) {
        play_.h.KeyDown(key);
        Tick();
        play_.h.KeyUp(key);
        Tick();
    }

    void PauseAndResume() {
        Key(KEY_ESCAPE);
        for (int i = 0; i < UPDATES_PER_SECOND; ++i) Tick();
        Key(KEY_ESCAPE);
        ++pauses;
    }

    // Quit from the pause panel by keys: left to its quit button, then confirm.
    void Quit() {
        Key(KEY_ESCAPE);
        for (int i = 0; i < UPDATES_PER_SECOND / 2; ++i) Tick();
        Key(KEY_LEFT);
        Key(KEY_ENTER);
        ++quits;
    }

    Devices& devices_;
    PlayHarness play_;
    ScriptedPlayer* player_;
    int seconds_ = 0;
    int menuUpdates_ = 0;
};

TEST(Soak, MemoryTexturesAndSoundBuffersStayBounded) {
    Devices devices;
    ASSERT_TRUE(devices.ok()) << "the soak needs an X server (xvfb-run) and OpenAL Soft";
    const int seconds = SoakMinutes() * 60;
    Soak soak(devices);

    std::vector<Sample> samples;
    for (int s = 0; s < seconds; ++s) {
        soak.Second();
        samples.push_back(soak.Measure());
        if (std::getenv("MOXEL_SOAK_TRACE")) {
            const Sample& m = samples.back();
            std::printf("mode=%d t=%d gc=%ld tex=%d buf=%d rss=%ldK\n", soak.Mode(), s + 1, m.gcBytes,
                        m.textures, m.buffers, m.rssBytes / 1024);
        }
    }

    const size_t window = static_cast<size_t>(std::min(WINDOW_SECONDS, seconds / 3));
    const Sample first = Peak(samples, 0, window);
    const Sample last = Peak(samples, samples.size() - window, samples.size());
    std::printf("soak: %d s of game time, %d games, %d quits, %d pauses, %d suspends\n", seconds, soak.games,
                soak.quits, soak.pauses, soak.suspends);
    std::printf(
        "soak: peaks first/last window: gc %ld/%ld bytes, textures %d/%d, buffers %d/%d, rss %ld/%ld KiB\n",
        first.gcBytes, last.gcBytes, first.textures, last.textures, first.buffers, last.buffers,
        first.rssBytes / 1024, last.rssBytes / 1024);

    // The run did what it claims: games were played, quit, paused and suspended.
    EXPECT_GE(soak.games, 2);
    EXPECT_GE(soak.pauses, 1);
    EXPECT_GE(soak.suspends, 1);
    EXPECT_GT(first.textures, 0) << "no texture was ever live: is the GL context current?";
    EXPECT_GT(first.buffers, 0) << "no sound buffer was ever live: is OpenAL's null device there?";

    EXPECT_LE(last.gcBytes, static_cast<long>(first.gcBytes * (1 + GC_MARGIN)) + GC_SLACK_BYTES);
    EXPECT_LE(last.textures, first.textures);
    EXPECT_LE(last.buffers, first.buffers + BUFFER_SLACK);
#ifndef MOXEL_SANITIZE
    // AddressSanitizer holds freed memory in its quarantine (256 MB) on
    // purpose, so resident memory grows there without a leak; LeakSanitizer
    // checks that build instead.
    EXPECT_LE(last.rssBytes, static_cast<long>(first.rssBytes * (1 + RSS_MARGIN)) + RSS_SLACK_BYTES);
#endif
}

}  // namespace
