// Headless harness for the game object: the real game and its host, without
// a window, a GL context or a sound device.
//
// GameHarness starts the runtime as the program does (collector, bbInit,
// bbMain), installs a fake window system whose size, clock and pointer the
// test sets, and drives the game through the host's own event entry points
// (InvokeOnCreate, InvokeOnUpdate, ...), so every update is bracketed by the
// input device's BeginUpdate/EndUpdate and followed by a collector step.
// Keys, mouse buttons and characters are fed to the input device directly.
//
// Rendering: Render() runs the render hook without a render device, which
// performs the timing, the window-size check and the scale but draws nothing
// (GL tests draw for real). Images load from build/data and get no texture.
//
// The display list is read back as DrawEntry records.
#ifndef MOXEL_TESTS_GAME_HARNESS_H
#define MOXEL_TESTS_GAME_HARNESS_H

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "audio/audio.h"
#include "game/game.h"
#include "game/program.h"
#include "graphics/graphics.h"
#include "host/app.h"
#include "host/base/window.h"
#include "input/input.h"
#include "runtime/runtime.h"

namespace game_test {

// Milliseconds between two updates at 60 per second, rounded up.
constexpr double UPDATE_SECONDS = 1.0 / 60.0;

// A window system with no window: the test sets its size, clock and pointer.
class FakeGameWindow : public host::NullWindowSystem {
  public:
    double now = 0.0;
    int width = 640;
    int height = 480;
    int cursorX = 0;
    int cursorY = 0;
    bool open = true;
    bool iconified = false;
    // What the game last said the player is doing.
    host::Activity activity = host::Activity::MENU;

    double Time() override { return now; }
    void Sleep(double seconds) override { now += seconds; }
    bool IsOpen() override { return open; }
    bool IsIconified() override { return iconified; }
    bool IsFocused() override { return !iconified; }
    void GetSize(int* w, int* h) override {
        *w = width;
        *h = height;
    }
    void GetCursorPos(int* x, int* y) override {
        *x = cursorX;
        *y = cursorY;
    }
    void SetActivity(host::Activity a) override { activity = a; }
};

// One display-list entry, read back from f_DrawList.
struct DrawEntry {
    float kind;  // image slot, DRAW_KIND_RECT or DRAW_KIND_OVAL
    float x, y, rotation, w, h, frame, alpha, r, g, b;

    bool IsRect() const { return kind == DRAW_KIND_RECT; }
    bool IsOval() const { return kind == DRAW_KIND_OVAL; }
    bool IsImage(int slot) const { return kind == static_cast<float>(slot); }
};

// Starts the collector once per process; later harnesses reuse its lists.
inline void StartCollector() {
    static bool started = false;
    if (!started) {
        gc_init1();
        started = true;
    }
    gc_mark_roots = bb_mark_roots;
}

// Makes the application object in place of bbMain: `new` a subclass of the
// game and call its g_new (which creates the host).
using GameFactory = std::function<void()>;

class GameHarness {
  public:
    // Starts the runtime and creates the game object (not yet its create
    // event) over the fake window of the given size.
    explicit GameHarness(int width = 640, int height = 480, GameFactory make = nullptr) {
        window.width = width;
        window.height = height;
        Start(&window, make);
    }
    // The same over another window system (a real window in GL tests).
    GameHarness(host::WindowSystem* system, GameFactory make) { Start(system, make); }
    ~GameHarness() { host::set_window(nullptr); }
    GameHarness(const GameHarness&) = delete;
    GameHarness& operator=(const GameHarness&) = delete;

    // ---- Events ----
    void Create() { host->InvokeOnCreate(); }
    // Advances the clock by one update period, then runs n updates.
    void Update(int n = 1) {
        for (int i = 0; i < n; ++i) {
            window.now += UPDATE_SECONDS;
            host->InvokeOnUpdate();
        }
    }
    // The render hook without drawing (no render device): timing, size check, scale.
    void Render() {
        host->graphics->Validate();
        game->m_OnRender();
        gc_collect();
    }
    void Suspend() { host->InvokeOnSuspend(); }
    void Resume() { host->InvokeOnResume(); }
    // Create, one render, then updates until the loader is done; returns the
    // number of updates the wait screen was shown for.
    int StartAndLoad(int limit = 100) {
        Create();
        Render();
        return FinishLoading(limit);
    }
    int FinishLoading(int limit = 100) {
        int n = 0;
        while (game->f_LoadStep != 0 && n < limit) {
            Update();
            ++n;
        }
        return n;
    }
    // Changes the window size; the next Render sees it.
    void Resize(int width, int height) {
        window.width = width;
        window.height = height;
    }

    // ---- Input (window pixels; logical = pixels / scale) ----
    void SetPointer(int x, int y) {
        window.cursorX = x;
        window.cursorY = y;
    }
    void KeyDown(int key) { input->OnKeyDown(key); }
    void KeyUp(int key) { input->OnKeyUp(key); }
    void MouseDown() { input->OnKeyDown(KEY_LMB); }
    void MouseUp() { input->OnKeyUp(KEY_LMB); }
    // Presses at (x, y) for one update and releases for the next.
    void Click(int x, int y) {
        SetPointer(x, y);
        MouseDown();
        Update();
        MouseUp();
        Update();
    }
    void Type(int chr) { input->PutChar(chr); }

    // ---- Display list ----
    int EntryCount() const { return game->f_DrawCount / DRAW_ENTRY_FLOATS; }
    DrawEntry Entry(int i) const {
        const float* e = &game->f_DrawList[i * DRAW_ENTRY_FLOATS];
        return {e[DRAW_KIND],  e[DRAW_X],     e[DRAW_Y],   e[DRAW_ROTATION], e[DRAW_W],   e[DRAW_H],
                e[DRAW_FRAME], e[DRAW_ALPHA], e[DRAW_RED], e[DRAW_GREEN],    e[DRAW_BLUE]};
    }
    std::vector<DrawEntry> Entries() const {
        std::vector<DrawEntry> all;
        for (int i = 0; i < EntryCount(); ++i) all.push_back(Entry(i));
        return all;
    }
    // Entries of one kind (an image slot, DRAW_KIND_RECT or DRAW_KIND_OVAL).
    std::vector<DrawEntry> EntriesOf(float kind) const {
        std::vector<DrawEntry> some;
        for (int i = 0; i < EntryCount(); ++i) {
            if (Entry(i).kind == kind) some.push_back(Entry(i));
        }
        return some;
    }

    FakeGameWindow window;
    bb_Moxelpark_MyApp* game = nullptr;

  private:
    void Start(host::WindowSystem* system, const GameFactory& make) {
        host::set_window(system);
        StartCollector();
        bbInit();
        gc_init2();
        if (make) {
            make();
        } else {
            bbMain();
        }
        game = static_cast<bb_Moxelpark_MyApp*>(bb_app_device->f_app);
        host = bb_app_device;
        input = bb_input_device;
    }

  public:
    bb_app_AppDevice* host = nullptr;
    gxtkInput* input = nullptr;
};

}  // namespace game_test

#endif
