// Micro-benchmarks of the game's per-update work (Google Benchmark).
//
// They report figures; they are not tests and fail nothing. Run from the
// build directory (the game's images load from ./data):
//   cd build-bench && ./bench/moxel_micro
// The render benchmark needs an X server (xvfb-run); without one it is skipped.
//
//   PlayUpdate/100       one update of play: type 3, hole 33 (100 objects), ball moving
//   MenuUpdate           one update of the title menu at rest
//   RenderFullList/...   one render of a full display list (2,499 entries) into a real window
//   CollectorStep/...    a collector step (idle, and a full cycle) with 10,000 live objects
//   String...            the string work of every update: the score, the balls left, their text
#include <GLFW/glfw3.h>
#include <benchmark/benchmark.h>

#include <memory>

#include "graphics/graphics.h"
#include "host/base/glfw_window.h"
#include "tests/game/harness.h"

namespace {

using game_test::GameHarness;

constexpr int BENCH_GAME_TYPE = 3;
constexpr int BENCH_HOLE = 33;  // type 3, hole 33: 99 targets + bonus, capped at 100 objects
constexpr int LIVE_OBJECTS = 10000;
constexpr int FULL_LIST_ENTRIES = DRAW_LIST_FULL / DRAW_ENTRY_FLOATS + 1;  // 2,499
static_assert(FULL_LIST_ENTRIES == 2499, "a full display list holds 2,499 entries");

// A ball in mid-flight, away from the walls and the ground, moving right and up.
constexpr float FLIGHT_X = 200.0f;
constexpr float FLIGHT_Y = 150.0f;
constexpr float FLIGHT_VX = 6.0f;
constexpr float FLIGHT_VY = -4.0f;

// Starts a game of `type` on hole `hole` in a loaded, rendered harness.
void start_play(GameHarness& h, int type, int hole) {
    h.StartAndLoad();
    h.Render();
    h.game->f_GameType = type;
    h.game->f_GameMode = MODE_PLAY_LOAD;
    h.Update();
    h.game->f_Hole = hole;
    h.game->m_GetLevel();
}

void put_ball_in_flight(bb_Moxelpark_MyApp* g) {
    g->f_BallState = BALL_MOVING;
    g->f_BallX = FLIGHT_X;
    g->f_BallY = FLIGHT_Y;
    g->f_BallVX = FLIGHT_VX;
    g->f_BallVY = FLIGHT_VY;
}

int object_count(bb_Moxelpark_MyApp* g) {
    int n = 0;
    for (int i = 1; i <= OBJECT_MAX; ++i)
        n += g->f_Objects[i * OBJECT_ENTRY_FLOATS + OBJECT_KIND] > 0 ? 1 : 0;
    return n;
}

// ---- One update of play ----
// As the host runs it (input bracket, game, collector step). The ball is put
// back in mid-flight before every update so each one moves it and tests it
// against every object; objects struck stay struck, as they do in a hole.
void PlayUpdate(benchmark::State& state) {
    GameHarness h;
    start_play(h, BENCH_GAME_TYPE, BENCH_HOLE);
    for (auto _ : state) {
        put_ball_in_flight(h.game);
        h.Update();
    }
    state.counters["objects"] = object_count(h.game);
    state.counters["entries"] = h.EntryCount();
}
BENCHMARK(PlayUpdate)->Name("PlayUpdate/100");

// One update of the title menu after its slide-in.
void MenuUpdate(benchmark::State& state) {
    GameHarness h;
    h.StartAndLoad();
    h.Render();
    h.Update(40);
    for (auto _ : state) h.Update();
    state.counters["entries"] = h.EntryCount();
}
BENCHMARK(MenuUpdate);

// ---- One render of a full display list ----
// Into a real 640x480 window: the replay, the device's batching and the buffer
// swap (llvmpipe's fill included).
// images: every entry a frame of the "gfx" sheet (runs batch into one call);
// mixed:  images, rectangles and ovals interleaved (every change of kind flushes).
void RenderFullList(benchmark::State& state) {
    static bool ready = glfwInit();
    if (!ready) {
        state.SkipWithError("no X server (run under xvfb-run)");
        return;
    }
    bool mixed = state.range(0) != 0;
    GLFWwindow* window = glfwCreateWindow(640, 480, "Moxelpark", nullptr, nullptr);
    if (!window) {
        state.SkipWithError("no window");
        return;
    }
    glfwMakeContextCurrent(window);
    glfwSwapInterval(0);
    {
        host::GlfwWindowSystem system(window);
        GameHarness h(&system, nullptr);
        h.Create();
        h.host->InvokeOnRender();
        while (h.game->f_LoadStep != 0) h.host->InvokeOnUpdate();
        h.host->InvokeOnRender();

        bb_Moxelpark_MyApp* g = h.game;
        g->m_CLS2D(0, 0, 80, 1);
        for (int i = 0; i < FULL_LIST_ENTRIES; ++i) {
            float x = static_cast<float>(16 + (i * 37) % 608);
            float y = static_cast<float>(16 + (i * 53) % 448);
            g->m_Alpha(i % 2 == 0 ? 1.0f : 0.5f);
            switch (mixed ? i % 3 : 0) {
                case 0:
                    g->m_DrawImg(SLOT_GFX, x, y, static_cast<float>(4 + i % 2));
                    break;
                case 1:
                    g->m_Rect(x, y, 12, 6);
                    break;
                default:
                    g->m_Oval(x, y, 3, 3);
                    break;
            }
        }
        if (h.EntryCount() != FULL_LIST_ENTRIES) state.SkipWithError("display list not full");

        gxtkGraphics* device = h.host->graphics;
        long calls = device->drawCalls;
        long vertices = device->drawVertices;
        for (auto _ : state) h.host->InvokeOnRender();
        double n = static_cast<double>(state.iterations());
        state.counters["draw_calls"] = static_cast<double>(device->drawCalls - calls) / n;
        state.counters["vertices"] = static_cast<double>(device->drawVertices - vertices) / n;
    }
    glfwDestroyWindow(window);
}
BENCHMARK(RenderFullList)->Arg(0)->Arg(1)->ArgName("mixed")->Unit(benchmark::kMicrosecond);

// What the run loop asks the window system every pass (iconified?) and
// the graphics device at every update and render (the size, through
// Validate): under X11 each is a round trip to the X server.
void WindowQueries(benchmark::State& state) {
    static bool ready = glfwInit();
    if (!ready) {
        state.SkipWithError("no X server (run under xvfb-run)");
        return;
    }
    GLFWwindow* window = glfwCreateWindow(640, 480, "Moxelpark", nullptr, nullptr);
    if (!window) {
        state.SkipWithError("no window");
        return;
    }
    {
        host::GlfwWindowSystem system(window);
        int w = 0, h = 0;
        for (auto _ : state) {
            system.GetSize(&w, &h);
            benchmark::DoNotOptimize(system.IsIconified());
        }
    }
    glfwDestroyWindow(window);
}
BENCHMARK(WindowQueries)->Name("WindowQueries/size+iconified");

// ---- The collector with 10,000 live objects reachable from a root ----

class Leaf : public Object {};

class Holder : public Object {
  public:
    Array<Leaf*> leaves;
    void mark() override { gc_mark_q(leaves); }
};

Holder* live_holder = nullptr;

void mark_bench_roots() {
    bb_mark_roots();
    gc_enqueue(live_holder);
}

// Makes LIVE_OBJECTS objects reachable from the roots and settles the heap.
void make_live_objects() {
    game_test::StartCollector();
    gc_mark_roots = mark_bench_roots;
    // Stored as a root is stored: through the write barrier.
    gc_assign(live_holder, new Holder());
    gc_assign(live_holder->leaves, Array<Leaf*>(LIVE_OBJECTS));
    for (int i = 0; i < LIVE_OBJECTS; ++i) gc_assign(live_holder->leaves[i], new Leaf());
    gc_force_sweep = true;
    gc_collect();
}

void drop_live_objects() {
    live_holder = nullptr;
    gc_mark_roots = bb_mark_roots;
    gc_force_sweep = true;
    gc_collect();
    gc_force_sweep = true;
    gc_collect();
}

// The step every event pays when nothing was allocated: what the game's
// update and render cost the collector in steady state.
void CollectorStepIdle(benchmark::State& state) {
    make_live_objects();
    for (auto _ : state) gc_collect();
    drop_live_objects();
}
BENCHMARK(CollectorStepIdle)->Name("CollectorStep/idle/10000");

// A full cycle (mark everything live, sweep, flip, free the dead): what a
// step costs when a sweep falls due.
void CollectorFullCycle(benchmark::State& state) {
    make_live_objects();
    for (auto _ : state) {
        // One dead object per cycle, so that each also frees something, as a
        // cycle after an update that allocated does.
        benchmark::DoNotOptimize(new Leaf());
        gc_force_sweep = true;
        gc_collect();
    }
    state.counters["live"] = gc_list_count(gc_unmarked_list) + gc_list_count(gc_queued_list);
    drop_live_objects();
}
BENCHMARK(CollectorFullCycle)->Name("CollectorStep/full/10000")->Unit(benchmark::kMicrosecond);

// ---- Strings of every update of play ----
// The eight-digit score, the balls-left text, and the score's glyphs appended
// to the display list.

struct TextFixture {
    TextFixture() {
        h.StartAndLoad();
        h.Render();
    }
    GameHarness h;
};

void StringScore(benchmark::State& state) {
    TextFixture f;
    String zero("0");
    int score = 12345;
    for (auto _ : state) {
        String s = f.h.game->m_rstr(score, 8, zero);
        benchmark::DoNotOptimize(s.Length());
    }
}
BENCHMARK(StringScore)->Name("String/rstr_score");

void StringBallsLeft(benchmark::State& state) {
    String space(" ");
    int balls = 7;
    for (auto _ : state) {
        String s = space + String(balls);
        benchmark::DoNotOptimize(s.Length());
    }
}
BENCHMARK(StringBallsLeft)->Name("String/balls_left");

void StringScoreText(benchmark::State& state) {
    TextFixture f;
    bb_Moxelpark_MyApp* g = f.h.game;
    String zero("0");
    for (auto _ : state) {
        g->m_CLS2D(0, 0, 80, 1);
        g->m_SetSize(2.0f);
        g->m_Text(LOGICAL_WIDTH * 0.5f, 32.0f, g->m_rstr(12345, 8, zero), 1.0f, 1.0f);
    }
    state.counters["entries"] = f.h.EntryCount();
}
BENCHMARK(StringScoreText)->Name("String/score_text");

}  // namespace

BENCHMARK_MAIN();
