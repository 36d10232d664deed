// The run loop's timing and lifecycle rules, driven through a scripted window
// system: a clock that only moves when the loop sleeps or the script says so.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "audio/audio.h"
#include "graphics/graphics.h"
#include "graphics/surface.h"
#include "host/app.h"
#include "host/base/window.h"
#include "input/input.h"
#include "runtime/runtime.h"

namespace {

constexpr double PERIOD = 1.0 / 60.0;
constexpr double EPS = 1e-9;

struct Event {
    std::string what;
    double time;
};

// A window whose clock advances only by sleeping or by `script`, run at every poll or wait.
class ScriptedWindow : public host::NullWindowSystem {
  public:
    double now = 0.0;
    double close_at = 1.0;
    int width = 640;
    int height = 480;
    bool iconified = false;
    bool focused = true;
    int polls = 0;
    int waits = 0;
    int swaps = 0;
    std::function<void(ScriptedWindow&)> script;

    double Time() override { return now; }
    void Sleep(double seconds) override { now += seconds; }
    void PollEvents() override {
        ++polls;
        if (script) script(*this);
    }
    void WaitEvents() override {
        ++waits;
        // Waiting blocks until something happens: let a little time pass.
        now += 0.01;
        if (script) script(*this);
    }
    void SwapBuffers() override { ++swaps; }
    bool IsOpen() override { return now < close_at; }
    bool IsIconified() override { return iconified; }
    bool IsFocused() override { return focused; }
    void GetSize(int* w, int* h) override {
        *w = width;
        *h = height;
    }
};

ScriptedWindow* window = nullptr;
std::vector<Event>* events = nullptr;

class RecordingApp : public bb_app_App {
  public:
    int rate_on_create = 60;
    int rate_in_suspend = -1;
    int rate_in_resume = -1;
    int collections_at_last_event = 0;
    std::vector<int> collections_between;

    void record(const char* what) {
        events->push_back({what, window->now});
        collections_between.push_back(gc_collections - collections_at_last_event);
    }
    int m_OnCreate() override {
        collections_at_last_event = gc_collections;
        record("create");
        bb_app_SetUpdateRate(rate_on_create);
        return 0;
    }
    int m_OnUpdate() override {
        record("update");
        collections_at_last_event = gc_collections;
        return 0;
    }
    int m_OnRender() override {
        record("render");
        collections_at_last_event = gc_collections;
        return 0;
    }
    int m_OnSuspend() override {
        record("suspend");
        suspend_saw_rate = bb_app_device->f_updateRate;
        if (rate_in_suspend >= 0) bb_app_SetUpdateRate(rate_in_suspend);
        collections_at_last_event = gc_collections;
        return 0;
    }
    int m_OnResume() override {
        record("resume");
        resume_saw_rate = bb_app_device->updateRate;
        if (rate_in_resume >= 0) bb_app_SetUpdateRate(rate_in_resume);
        collections_at_last_event = gc_collections;
        return 0;
    }
    int resume_saw_rate = -1;
    int suspend_saw_rate = -1;
    // What m_PictureChanged answers; unset, every frame may differ.
    std::function<bool()> picture_changed;
    bool m_PictureChanged() override { return picture_changed ? picture_changed() : true; }
};

class RunLoopTest : public testing::Test {
  protected:
    void SetUp() override {
        window = &win;
        events = &log;
        host::set_window(&win);
        gc_mark_roots = bb_mark_roots;
        bb_graphics_device = nullptr;
        bb_input_device = nullptr;
        bb_audio_device = nullptr;
        bb_app_device = nullptr;
        bb_graphics_renderDevice = nullptr;
        gc_assign(bb_graphics_context, (new bb_graphics_GraphicsContext())->g_new());
        application = new RecordingApp();
        application->g_new();
        // No GL context here: the device skips its OpenGL set-up.
        app->graphics->mode = 0;
    }
    void TearDown() override {
        host::set_window(nullptr);
        gc_mark_roots = nullptr;
    }

    std::vector<double> times(const std::string& what) const {
        std::vector<double> t;
        for (const Event& e : log) {
            if (e.what == what) t.push_back(e.time);
        }
        return t;
    }
    int count(const std::string& what) const { return static_cast<int>(times(what).size()); }

    ScriptedWindow win;
    std::vector<Event> log;
    RecordingApp* application = nullptr;
};

TEST_F(RunLoopTest, FirstUpdateOnePeriodAfterTheRateIsSetAndOneRenderPerBatch) {
    win.close_at = 0.1;
    app->Run();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[0].what, "create");
    EXPECT_EQ(log[1].what, "render");  // the first frame comes before any update
    std::vector<double> updates = times("update");
    ASSERT_GE(updates.size(), 5u);
    EXPECT_NEAR(updates[0], PERIOD, EPS);
    for (size_t i = 1; i < updates.size(); ++i) EXPECT_NEAR(updates[i] - updates[i - 1], PERIOD, EPS);
    // Each pass runs one update here, then renders once.
    for (size_t i = 2; i + 1 < log.size(); i += 2) {
        EXPECT_EQ(log[i].what, "update");
        EXPECT_EQ(log[i + 1].what, "render");
    }
}

TEST_F(RunLoopTest, StallRunsSevenUpdatesThenDropsTheBacklog) {
    win.close_at = 1.0;
    bool stalled = false;
    win.script = [&](ScriptedWindow& w) {
        if (!stalled && w.now > 0.2) {
            stalled = true;
            w.now += 0.5;
        }
    };
    app->Run();
    // Find the pass after the stall: seven updates in a row at one instant, then a render.
    int run = 0;
    size_t end = 0;
    for (size_t i = 0; i < log.size(); ++i) {
        if (log[i].what == "update") {
            ++run;
        } else {
            if (run == 7) {
                end = i;
                break;
            }
            run = 0;
        }
    }
    ASSERT_EQ(run, 7);
    EXPECT_EQ(log[end].what, "render");
    const double stall_time = log[end].time;
    EXPECT_EQ(app->updatePeriod, PERIOD);
    // The next pass runs one update at once, and the cadence continues from there.
    ASSERT_LT(end + 4, log.size());
    EXPECT_EQ(log[end + 1].what, "update");
    EXPECT_NEAR(log[end + 1].time, stall_time, EPS);
    EXPECT_EQ(log[end + 2].what, "render");
    EXPECT_EQ(log[end + 3].what, "update");
    EXPECT_NEAR(log[end + 3].time, stall_time + PERIOD, EPS);
}

TEST_F(RunLoopTest, RateZeroRendersOncePerWakeUp) {
    application->rate_on_create = 0;
    win.close_at = 0.1;
    app->Run();
    EXPECT_EQ(count("update"), 0);
    // One render before the loop, then one per wait.
    EXPECT_EQ(count("render"), win.waits + 1);
    EXPECT_GT(win.waits, 5);
}

TEST_F(RunLoopTest, SuspendOnIconifyResumeOnlyWhenRestoredAndFocused) {
    win.close_at = 2.0;
    win.script = [](ScriptedWindow& w) {
        if (w.now > 0.3 && w.now < 0.5) w.iconified = true;
        if (w.now >= 0.5) w.iconified = false;
        w.focused = w.now < 0.3 || w.now >= 0.8;  // restored at 0.5, focused only at 0.8
    };
    app->Run();
    // The second suspension is the close's.
    ASSERT_EQ(count("suspend"), 2);
    ASSERT_EQ(count("resume"), 1);
    const double suspended_at = times("suspend")[0];
    const double resumed_at = times("resume")[0];
    EXPECT_GE(resumed_at, 0.8);
    for (double t : times("update")) EXPECT_FALSE(t > suspended_at && t < resumed_at) << t;
    for (double t : times("render")) EXPECT_FALSE(t > suspended_at && t < resumed_at) << t;
    // The first update after a resume falls one period after it.
    for (double t : times("update")) {
        if (t > resumed_at) {
            EXPECT_NEAR(t, resumed_at + PERIOD, EPS);
            break;
        }
    }
}

// Closing the window suspends the application once, last of all, so it keeps
// what it keeps on a suspension; a window closed while iconified already was.
TEST_F(RunLoopTest, ClosingTheWindowSuspendsOnceAndLast) {
    for (bool iconifiedAtClose : {false, true}) {
        SCOPED_TRACE(iconifiedAtClose ? "iconified" : "shown");
        log.clear();
        app->suspended = false;
        win.now = 0.0;
        win.iconified = false;
        win.close_at = 0.5;
        win.script = [iconifiedAtClose](ScriptedWindow& w) { w.iconified = iconifiedAtClose && w.now > 0.3; };
        bb_app_SetUpdateRate(60);
        app->Run();
        EXPECT_EQ(count("suspend"), 1);
        EXPECT_EQ(log.back().what, "suspend");
        EXPECT_TRUE(app->suspended);
    }
}

TEST_F(RunLoopTest, LosingFocusWithoutIconifyKeepsRunning) {
    win.close_at = 0.5;
    win.script = [](ScriptedWindow& w) { w.focused = w.now < 0.1; };
    app->Run();
    // Only the close suspends.
    EXPECT_EQ(count("suspend"), 1);
    EXPECT_EQ(log.back().what, "suspend");
    EXPECT_GT(count("update"), 25);
}

TEST_F(RunLoopTest, RateSetInSuspendHookIsWhatResumeReapplies) {
    application->rate_in_suspend = 5;
    win.close_at = 1.0;
    win.script = [](ScriptedWindow& w) { w.iconified = w.now > 0.2 && w.now < 0.4; };
    app->Run();
    ASSERT_EQ(count("resume"), 1);
    // Re-applied before the resume hook ran, and the rate the game ran at
    // until the window closed.
    EXPECT_EQ(application->resume_saw_rate, 5);
    EXPECT_EQ(application->suspend_saw_rate, 5);
    EXPECT_NEAR(app->updatePeriod, 0.2, EPS);

    // A rate set inside the resume hook wins.
    log.clear();
    win.now = 0.0;
    win.iconified = false;
    app->suspended = false;
    application->rate_in_resume = 60;
    win.script = [](ScriptedWindow& w) { w.iconified = w.now > 0.2 && w.now < 0.4; };
    bb_app_SetUpdateRate(60);
    app->Run();
    EXPECT_EQ(application->suspend_saw_rate, 60);
}

TEST_F(RunLoopTest, ZeroHeightWindowGetsNeitherUpdatesNorRenders) {
    win.close_at = 1.0;
    win.script = [](ScriptedWindow& w) { w.height = (w.now > 0.2 && w.now < 0.6) ? 0 : 480; };
    app->Run();
    for (double t : times("update")) EXPECT_FALSE(t > 0.21 && t < 0.6) << t;
    for (double t : times("render")) EXPECT_FALSE(t > 0.21 && t < 0.6) << t;
    EXPECT_GT(count("update"), 20);
}

TEST_F(RunLoopTest, CreateWaitsForAPositiveWindowSize) {
    win.width = 0;
    win.close_at = 0.2;
    win.script = [](ScriptedWindow& w) {
        if (w.waits >= 3) w.width = 640;
    };
    app->Run();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log[0].what, "create");
    EXPECT_EQ(win.waits >= 3, true);
}

TEST_F(RunLoopTest, CollectsAfterEveryEvent) {
    win.close_at = 0.2;
    application->rate_in_suspend = 5;
    win.script = [](ScriptedWindow& w) { w.iconified = w.now > 0.1 && w.now < 0.15; };
    app->Run();
    // Between any two consecutive hooks exactly one collection step ran.
    for (size_t i = 1; i < application->collections_between.size(); ++i) {
        EXPECT_EQ(application->collections_between[i], 1) << log[i].what << " at " << i;
    }
}

// A picture that stays the same is drawn once; updates keep their cadence.
TEST_F(RunLoopTest, UnchangedPictureIsNotDrawnAgain) {
    application->picture_changed = [] { return false; };
    win.close_at = 1.0;
    app->Run();
    EXPECT_EQ(count("render"), 1) << "only the first frame, before any update";
    EXPECT_EQ(win.swaps, 1);
    std::vector<double> updates = times("update");
    ASSERT_GE(updates.size(), 55u);
    for (size_t i = 1; i < updates.size(); ++i) EXPECT_NEAR(updates[i] - updates[i - 1], PERIOD, EPS);
}

// The first update that changes the picture is drawn in its own pass, and so is
// every pass after the window system asks for the picture again.
TEST_F(RunLoopTest, ChangedOrLostPictureIsDrawnInTheSamePass) {
    const struct {
        const char* what;
        std::function<void(ScriptedWindow&)> at_half;  // run at the poll of the pass at 0.5 s
        bool changes;                                  // the picture differs from then on
    } cases[] = {
        {"picture changes", [](ScriptedWindow&) {}, true},
        {"window exposed", [](ScriptedWindow&) { gxtkApp::OnWindowRefresh(); }, false},
        {"window resized", [](ScriptedWindow& w) { w.width = 800; }, false},
        {"size callback", [](ScriptedWindow&) { gxtkApp::OnWindowSize(640, 480); }, false},
        {"texture uploaded", [](ScriptedWindow&) { ++gxtkSurface::textureChanges; }, false},
    };
    for (const auto& c : cases) {
        win = ScriptedWindow();
        SetUp();
        log.clear();
        bool changed = false;
        double changed_at = -1;
        application->picture_changed = [&] { return changed; };
        win.close_at = 1.0;
        win.script = [&](ScriptedWindow& w) {
            if (changed_at < 0 && w.now >= 0.5) {
                changed_at = w.now;
                changed = c.changes;
                c.at_half(w);
            }
        };
        app->Run();
        std::vector<double> renders = times("render");
        ASSERT_GE(renders.size(), 2u) << c.what;
        EXPECT_NEAR(renders[1], changed_at, EPS) << c.what << ": drawn in the pass that saw it";
        if (c.changes) {
            // Every update from then on is followed by its frame.
            for (size_t i = 0; i + 1 < log.size(); ++i) {
                if (log[i].what == "update" && log[i].time >= changed_at) {
                    EXPECT_EQ(log[i + 1].what, "render") << c.what << " at " << log[i].time;
                }
            }
        } else {
            EXPECT_EQ(count("render"), 2) << c.what << ": once, then left on screen";
        }
        EXPECT_EQ(win.swaps, count("render")) << c.what;
    }
}

TEST_F(RunLoopTest, ResumeDrawsThePictureAgain) {
    application->picture_changed = [] { return false; };
    application->rate_in_suspend = 5;
    application->rate_in_resume = 60;
    win.close_at = 1.0;
    win.script = [](ScriptedWindow& w) { w.iconified = w.now > 0.3 && w.now < 0.5; };
    app->Run();
    ASSERT_EQ(count("resume"), 1);
    std::vector<double> renders = times("render");
    ASSERT_EQ(renders.size(), 2u);
    // The first pass after the resume updates one period later and draws.
    EXPECT_NEAR(renders[1], times("resume")[0] + PERIOD, EPS);
}

TEST_F(RunLoopTest, MouseButtonsArriveAsKeysOneToThree) {
    struct Case {
        int button;
        int key;
    } cases[] = {{0, 1}, {1, 2}, {2, 3}};
    for (const Case& c : cases) {
        gxtkApp::OnMouseButton(c.button, 1);
        EXPECT_TRUE(app->input->KeyDown(c.key)) << c.button;
        app->input->EndUpdate();
        gxtkApp::OnMouseButton(c.button, 0);
        EXPECT_FALSE(app->input->KeyDown(c.key)) << c.button;
    }
    gxtkApp::OnMouseButton(5, 1);  // other buttons are ignored
}

TEST_F(RunLoopTest, MilliSecsFollowsTheClock) {
    win.now = 1.2345;
    EXPECT_EQ(bb_app_Millisecs(), 1234);
    EXPECT_TRUE(app->AppTitle() == String("<TODO>"));
}

}  // namespace
