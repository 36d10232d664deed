// moxel_frames: the real game in a real window, driven by a script, for the
// frame-level figures: instructions per frame under callgrind, draw calls and
// vertices per frame, and the pacing of updates over a stretch of play.
//
// It starts the program as host/main.cpp does (GLFW window of 640x480, the
// runtime, the game object) and runs the host's own loop, gxtkApp::Run. Two
// things differ, both outside the game:
//   - the window system is wrapped: the pointer position comes from the
//     script, and with --clock fixed the clock is virtual (a sleep advances it
//     instead of waiting), so every pass runs exactly one update and one
//     render however slowly the process runs (under callgrind it runs some
//     fifty times slower, and a real clock would make it catch up seven
//     updates per render and drop the rest);
//   - the game object is a subclass whose update hook first plays the script
//     (pointer moves and button presses fed to the input device, as the
//     window system's callbacks would) and whose render hook counts frames.
// The window closes itself after the measured frames.
//
// Scenarios:
//   menu   the title menu at rest after loading and the slide-in
//   play   a game of type 3 started from the menu's button, then strokes
//          played on the power meter; --hole N builds hole N at once (hole 33
//          of type 3 holds 100 objects); measured while the ball is in flight
//   aim    the same game at its first hole, measured while the hero aims and
//          nothing is pressed
// A screen at rest draws no frame at all (the loop leaves its picture on
// screen), so the figures count passes of the loop and frames drawn apart;
// --redraw draws every pass all the same, to weigh a frame of a still screen
// (what the menu costs whenever it moves).
//
// Under callgrind, run with --instr-atstart=no: instrumentation is switched
// on for the measured frames only (start-up, loading and the script's lead-in
// are left out). See scripts/bench-callgrind.sh.
//
// Usage: moxel_frames menu|play|aim [--frames N] [--hole N] [--clock fixed|real]
//                                   [--pacing SECONDS] [--size WxH | --fullscreen] [--redraw]
// --fullscreen opens the window over the monitor in its own mode, as F11 does.
#include <GLFW/glfw3.h>
#if MOXEL_HAVE_CALLGRIND_H
#include <valgrind/callgrind.h>
#else
// Without valgrind's header the driver still runs; it only cannot switch
// callgrind's instrumentation.
#define CALLGRIND_START_INSTRUMENTATION
#define CALLGRIND_STOP_INSTRUMENTATION
#endif

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "game/game.h"
#include "game/program.h"
#include "graphics/graphics.h"
#include "host/base/glfw_window.h"
#include "input/input.h"
#include "runtime/runtime.h"

namespace {

constexpr int WINDOW_WIDTH = 640;
constexpr int WINDOW_HEIGHT = 480;
constexpr double UPDATE_SECONDS = 1.0 / 60.0;

// Script positions in logical units, from the logical screen's size (640 by
// 480 in the nominal window), turned into window pixels by the scale. The
// menu's type-3 button (0.6 w, 0.7 h at rest).
constexpr float TYPE3_BUTTON_X = 0.6f;
constexpr float TYPE3_BUTTON_Y = 0.7f;
// The power meter spans x from w - 128, y from h/2 - 96, 128 by 192: press
// near its top and drag down to set a strong stroke.
constexpr float METER_LEFT_OF_EDGE = 80.0f;
constexpr float METER_TOP_ABOVE_MIDDLE = 90.0f;
constexpr float METER_DRAG = 150.0f;
constexpr int DRAG_UPDATES = 10;
constexpr int PRESS_UPDATES = 2;
// Patience of each wait of the script, in updates, before it gives up.
constexpr int WAIT_LIMIT = 600;
// The menu's slide-in lasts 32 updates; a few more let everything settle.
constexpr int MENU_SETTLE_UPDATES = 40;

struct Options {
    std::string scenario = "menu";
    int frames = 100;
    int hole = 0;
    bool fixedClock = true;
    double pacingSeconds = 0.0;
    int width = WINDOW_WIDTH;
    int height = WINDOW_HEIGHT;
    bool redraw = false;
    bool fullscreen = false;
};

Options options;

// ---- The window system ----
// GLFW's, with a scripted pointer and, optionally, a virtual clock.
class BenchWindow : public host::GlfwWindowSystem {
  public:
    explicit BenchWindow(GLFWwindow* w) : GlfwWindowSystem(w) {}

    double Time() override { return fixed ? virtualNow : GlfwWindowSystem::Time(); }
    void Sleep(double seconds) override {
        if (fixed) {
            if (seconds > 0) virtualNow += seconds;
        } else {
            GlfwWindowSystem::Sleep(seconds);
        }
    }
    bool IsOpen() override { return !closing && GlfwWindowSystem::IsOpen(); }
    // The loop polls once in every pass that updates, before its updates.
    void PollEvents() override {
        if (onPass) onPass();
        GlfwWindowSystem::PollEvents();
    }
    void GetCursorPos(int* x, int* y) override {
        *x = cursorX;
        *y = cursorY;
    }

    bool fixed = true;
    double virtualNow = 0.0;
    bool closing = false;
    int cursorX = 0;
    int cursorY = 0;
    void (*onPass)() = nullptr;
};

BenchWindow* bench_window = nullptr;

// ---- What the script does next ----
enum class Phase { Loading, SettleMenu, PressType3, WaitPlay, Aim, Drag, Release, WaitFlight, Measure, Done };

const char* phase_name(Phase p) {
    switch (p) {
        case Phase::Loading:
            return "loading";
        case Phase::SettleMenu:
            return "menu";
        case Phase::PressType3:
            return "type-3 button";
        case Phase::WaitPlay:
            return "start of play";
        case Phase::Aim:
        case Phase::Drag:
        case Phase::Release:
            return "stroke";
        case Phase::WaitFlight:
            return "ball in flight";
        case Phase::Measure:
            return "measure";
        case Phase::Done:
            return "done";
    }
    return "?";
}

// Figures gathered over the measured frames.
struct Figures {
    int frames = 0;  // frames drawn
    int passes = 0;  // passes of the loop that updated
    int updates = 0;
    long drawCallsAtStart = 0;
    long drawVerticesAtStart = 0;
    long entries = 0;  // display-list entries summed over the measured updates
    int inFlightUpdates = 0;
    int objectsOnScreen = 0;
    std::vector<double> updateTimes;
    int updatesThisPass = 0;
    int passesWithSeveralUpdates = 0;
    int mostUpdatesInOnePass = 0;
};

Figures figures;

class BenchGame : public bb_Moxelpark_MyApp {
  public:
    int m_OnUpdate() override {
        Script();
        if (phase == Phase::Measure) {
            figures.updateTimes.push_back(host::window().Time());
            ++figures.updates;
            ++figures.updatesThisPass;
        }
        int result = bb_Moxelpark_MyApp::m_OnUpdate();
        if (phase == Phase::Measure) {
            figures.entries += f_DrawCount / DRAW_ENTRY_FLOATS;
            if (f_BallState == BALL_MOVING) ++figures.inFlightUpdates;
            if (MeasureDone()) Finish();
        }
        return result;
    }

    bool m_PictureChanged() override { return options.redraw || bb_Moxelpark_MyApp::m_PictureChanged(); }

    int m_OnRender() override {
        int result = bb_Moxelpark_MyApp::m_OnRender();
        if (phase == Phase::Measure || phase == Phase::Done) ++figures.frames;
        return result;
    }

    // Closes the pass before this one, whether or not it drew a frame.
    static void EndPass() {
        Figures& f = figures;
        if (f.updatesThisPass == 0) return;
        ++f.passes;
        if (f.updatesThisPass > 1) ++f.passesWithSeveralUpdates;
        f.mostUpdatesInOnePass = std::max(f.mostUpdatesInOnePass, f.updatesThisPass);
        f.updatesThisPass = 0;
    }

  private:
    bool MeasureDone() const {
        if (options.pacingSeconds > 0) {
            return !figures.updateTimes.empty() &&
                   host::window().Time() - figures.updateTimes.front() >= options.pacingSeconds;
        }
        return figures.updates >= options.frames;
    }

    void Press() { bb_input_device->OnKeyDown(KEY_LMB); }
    void Release() { bb_input_device->OnKeyUp(KEY_LMB); }
    // Points at the logical point (x, y).
    void Point(float x, float y) {
        bench_window->cursorX = static_cast<int>(std::ceil(x * f_ScaleX));
        bench_window->cursorY = static_cast<int>(std::ceil(y * f_ScaleY));
    }
    static float MeterX() { return bb_Moxelpark_jscrw - METER_LEFT_OF_EDGE; }
    static float MeterTop() { return bb_Moxelpark_jscrh * 0.5f - METER_TOP_ABOVE_MIDDLE; }

    void Enter(Phase next) {
        phase = next;
        waited = 0;
    }

    // A wait that has lasted too long: say so and go on as if it had ended.
    bool GiveUp() {
        if (++waited < WAIT_LIMIT) return false;
        std::fprintf(stderr, "moxel_frames: gave up waiting for %s\n", phase_name(phase));
        return true;
    }

    void StartMeasuring() {
        Enter(Phase::Measure);
        figures.drawCallsAtStart = bb_graphics_device->drawCalls;
        figures.drawVerticesAtStart = bb_graphics_device->drawVertices;
        bench_window->onPass = EndPass;
        for (int i = 1; i <= OBJECT_MAX; ++i) {
            if (f_GameMode == MODE_PLAY && f_Objects[i * OBJECT_ENTRY_FLOATS + OBJECT_KIND] > 0) {
                ++figures.objectsOnScreen;
            }
        }
        figures.updateTimes.reserve(static_cast<size_t>(options.pacingSeconds * 60 * 2) + options.frames +
                                    16);
        CALLGRIND_START_INSTRUMENTATION;
    }

    void Finish() {
        // The last pass's render still counts: it comes after this update.
        CALLGRIND_STOP_INSTRUMENTATION;
        Enter(Phase::Done);
        bench_window->closing = true;
    }

    void Script() {
        switch (phase) {
            case Phase::Loading:
                if (f_LoadStep == 0 || GiveUp()) Enter(Phase::SettleMenu);
                break;
            case Phase::SettleMenu:
                if (++waited < MENU_SETTLE_UPDATES) break;
                if (options.scenario == "menu") {
                    StartMeasuring();
                } else {
                    Point(TYPE3_BUTTON_X * bb_Moxelpark_jscrw, TYPE3_BUTTON_Y * bb_Moxelpark_jscrh);
                    Press();
                    Enter(Phase::PressType3);
                }
                break;
            case Phase::PressType3:
                if (++waited < PRESS_UPDATES) break;
                Release();
                Enter(Phase::WaitPlay);
                break;
            case Phase::WaitPlay:
                if ((f_GameMode == MODE_PLAY && f_LoadStep == 0) || GiveUp()) {
                    if (f_GameType != GAME_TYPES)
                        std::fprintf(stderr, "moxel_frames: game type %d\n", f_GameType);
                    if (options.hole > 0) {
                        f_Hole = options.hole;
                        m_GetLevel();
                    }
                    Enter(Phase::Aim);
                }
                break;
            case Phase::Aim:
                // Aiming at rest: the first hole as it starts, nothing pressed.
                if (options.scenario == "aim") {
                    if (f_BallState == BALL_AIMING || GiveUp()) StartMeasuring();
                    break;
                }
                Stroke();
                break;
            case Phase::Drag:
            case Phase::Release:
            case Phase::WaitFlight:
            case Phase::Measure:
                if (options.scenario != "aim") Stroke();
                break;
            case Phase::Done:
                break;
        }
    }

    // Plays a stroke whenever the ball rests: press near the meter's top, drag
    // down, release. While measuring, a stroke keeps the ball in flight; the
    // balls are topped up so that a long measurement never ends the game.
    void Stroke() {
        bool measuring = phase == Phase::Measure;
        switch (measuring ? strokePhase : phase) {
            case Phase::Aim:
                if (f_BallState != BALL_AIMING) break;
                if (f_Balls < 2) f_Balls = START_BALLS;
                Point(MeterX(), MeterTop());
                Press();
                Set(Phase::Drag, measuring);
                break;
            case Phase::Drag:
                ++waited;
                Point(MeterX(), MeterTop() + METER_DRAG * static_cast<float>(waited) / DRAG_UPDATES);
                if (waited >= DRAG_UPDATES) Set(Phase::Release, measuring);
                break;
            case Phase::Release:
                Release();
                Set(Phase::WaitFlight, measuring);
                break;
            case Phase::WaitFlight:
                if (measuring) {
                    if (f_BallState == BALL_AIMING) Set(Phase::Aim, true);
                } else if (f_BallState == BALL_MOVING || GiveUp()) {
                    strokePhase = Phase::WaitFlight;
                    StartMeasuring();
                }
                break;
            default:
                break;
        }
    }

    void Set(Phase next, bool measuring) {
        waited = 0;
        if (measuring) {
            strokePhase = next;
        } else {
            phase = next;
        }
    }

    Phase phase = Phase::Loading;
    Phase strokePhase = Phase::WaitFlight;
    int waited = 0;
};

bool parse_options(int argc, char** argv) {
    if (argc < 2) return false;
    options.scenario = argv[1];
    if (options.scenario != "menu" && options.scenario != "play" && options.scenario != "aim") return false;
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "--frames" && hasValue) {
            options.frames = std::atoi(argv[++i]);
        } else if (arg == "--hole" && hasValue) {
            options.hole = std::atoi(argv[++i]);
        } else if (arg == "--clock" && hasValue) {
            options.fixedClock = std::strcmp(argv[++i], "fixed") == 0;
        } else if (arg == "--redraw") {
            options.redraw = true;
        } else if (arg == "--fullscreen") {
            options.fullscreen = true;
        } else if (arg == "--size" && hasValue) {
            if (std::sscanf(argv[++i], "%dx%d", &options.width, &options.height) != 2) return false;
        } else if (arg == "--pacing" && hasValue) {
            options.pacingSeconds = std::atof(argv[++i]);
            options.fixedClock = false;
        } else {
            return false;
        }
    }
    return options.frames > 0 && options.width > 0 && options.height > 0;
}

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    size_t i = static_cast<size_t>(std::ceil(p * static_cast<double>(v.size()))) - 1;
    return v[std::min(i, v.size() - 1)];
}

void report() {
    const Figures& f = figures;
    int frames = std::max(f.frames, 1);
    std::printf("scenario=%s hole=%d clock=%s\n", options.scenario.c_str(), options.hole,
                options.fixedClock ? "fixed" : "real");
    std::printf("size=%dx%d passes=%d frames_drawn=%d updates=%d objects=%d in_flight_updates=%d\n",
                options.width, options.height, f.passes, f.frames, f.updates, f.objectsOnScreen,
                f.inFlightUpdates);
    std::printf("draw_calls_per_frame=%.2f vertices_per_frame=%.1f entries_per_update=%.1f\n",
                static_cast<double>(bb_graphics_device->drawCalls - f.drawCallsAtStart) / frames,
                static_cast<double>(bb_graphics_device->drawVertices - f.drawVerticesAtStart) / frames,
                static_cast<double>(f.entries) / std::max(f.updates, 1));
    if (options.pacingSeconds > 0 && f.updateTimes.size() > 1) {
        std::vector<double> deviations;
        std::vector<double> gaps;
        for (size_t i = 1; i < f.updateTimes.size(); ++i) {
            double gap = f.updateTimes[i] - f.updateTimes[i - 1];
            gaps.push_back(gap);
            deviations.push_back(std::fabs(gap - UPDATE_SECONDS));
        }
        std::printf(
            "pacing_seconds=%.1f gaps=%zu median_gap_ms=%.3f median_dev_ms=%.3f p99_dev_ms=%.3f "
            "max_dev_ms=%.3f\n",
            f.updateTimes.back() - f.updateTimes.front(), gaps.size(), percentile(gaps, 0.5) * 1e3,
            percentile(deviations, 0.5) * 1e3, percentile(deviations, 0.99) * 1e3,
            percentile(deviations, 1.0) * 1e3);
        std::printf("passes_with_several_updates=%d most_updates_in_one_pass=%d\n",
                    f.passesWithSeveralUpdates, f.mostUpdatesInOnePass);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (!parse_options(argc, argv)) {
        std::fprintf(
            stderr,
            "usage: %s menu|play|aim [--frames N] [--hole N] [--clock fixed|real] [--pacing SECONDS] "
            "[--size WxH | --fullscreen] [--redraw]\n",
            argv[0]);
        return 2;
    }
    if (!glfwInit()) {
        std::puts("glfwInit failed");
        return 1;
    }
    glfwWindowHint(GLFW_RESIZABLE, GLFW_TRUE);
    GLFWmonitor* monitor = options.fullscreen ? glfwGetPrimaryMonitor() : nullptr;
    const GLFWvidmode* mode = monitor ? glfwGetVideoMode(monitor) : nullptr;
    if (mode) {
        options.width = mode->width;
        options.height = mode->height;
    }
    GLFWwindow* window =
        glfwCreateWindow(options.width, options.height, "Moxelpark", mode ? monitor : nullptr, nullptr);
    if (!window) {
        std::puts("glfwCreateWindow failed");
        return 1;
    }
    glfwMakeContextCurrent(window);
    glfwSwapInterval(0);

    BenchWindow system(window);
    system.fixed = options.fixedClock;
    bench_window = &system;
    host::set_window(&system);

    // As bb_std_main, with the scripted game in place of bbMain's.
    gc_mark_roots = bb_mark_roots;
    gc_init1();
    bbInit();
    gc_init2();
    (new BenchGame())->g_new();
    app->Run();

    report();
    host::set_window(nullptr);
    glfwTerminate();
    return 0;
}
