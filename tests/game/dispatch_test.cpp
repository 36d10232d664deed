// The update hook: pointer and touch sampling, the press and key latches, the
// mode dispatcher and the overlays, in their fixed order.
#include <string>
#include <vector>

#include "harness.h"

namespace {

using game_test::DrawEntry;
using game_test::GameHarness;

// A game that records the handlers the update calls and whose actions are held
// as the test says.
class HandlerRecordingGame : public bb_Moxelpark_MyApp {
  public:
    std::vector<std::string> calls;
    std::vector<int> heldActions;

    int m_Menu() override { return Record("Menu"); }
    int m_LoadMenu() override { return Record("LoadMenu"); }
    int m_Game() override { return Record("Game"); }
    int m_InGame() override { return Record("InGame"); }
    int m_LoadGame() override {
        f_GameMode = MODE_PLAY;
        return Record("LoadGame");
    }
    int m_GameOver() override { return Record("GameOver"); }
    int m_CreditBox() override { return Record("CreditBox"); }
    int m_BadgesBox() override { return Record("BadgesBox"); }
    int m_ShowBadges() override { return Record("ShowBadges"); }
    int m_Loader() override {
        Record("Loader");
        return bb_Moxelpark_MyApp::m_Loader();
    }
    bool m_PlayKey(int action) override {
        for (int a : heldActions) {
            if (a == action) return true;
        }
        return false;
    }
    int Record(const char* what) {
        calls.push_back(what);
        return 0;
    }
};

HandlerRecordingGame* recording = nullptr;

void MakeHandlerRecordingGame() {
    recording = new HandlerRecordingGame();
    recording->g_new();
}

// A harness over a recording game, created and loaded, calls forgotten.
struct Recorded {
    Recorded() : h(640, 480, MakeHandlerRecordingGame) {
        h.StartAndLoad();
        recording->calls.clear();
    }
    GameHarness h;
    HandlerRecordingGame& game() { return *recording; }
};

TEST(Dispatch, EachModeRunsItsHandlersAndTheOverlaysInOrder) {
    struct Case {
        int mode;
        int gameOver;
        int credits;
        int badges;
        std::vector<std::string> calls;
        int modeAfter;
    } cases[] = {
        {MODE_MENU, 0, 0, 0, {"Menu", "GameOver", "ShowBadges"}, MODE_MENU},
        {MODE_MENU, 0, 1, 1, {"Menu", "GameOver", "CreditBox", "BadgesBox", "ShowBadges"}, MODE_MENU},
        // The menu is built from the next update on.
        {MODE_MENU_LOAD, 0, 0, 0, {"LoadMenu", "GameOver", "ShowBadges"}, MODE_MENU},
        {MODE_PLAY, 0, 0, 0, {"Game", "InGame", "ShowBadges"}, MODE_PLAY},
        {MODE_PLAY, 1, 0, 0, {"Game", "InGame", "GameOver", "ShowBadges"}, MODE_PLAY},
        {MODE_PLAY_LOAD, 0, 0, 0, {"LoadGame", "ShowBadges"}, MODE_PLAY},
        // The boxes belong to the menu only.
        {MODE_PLAY, 0, 1, 1, {"Game", "InGame", "ShowBadges"}, MODE_PLAY},
        // An unknown mode calls nothing but the overlays.
        {7, 0, 0, 0, {"ShowBadges"}, 7},
    };
    for (const Case& c : cases) {
        Recorded r;
        r.game().f_GameMode = c.mode;
        r.game().f_GameOver = c.gameOver;
        r.game().f_ShowCredits = c.credits;
        r.game().f_ShowBadges = c.badges;
        r.h.Update();
        EXPECT_EQ(r.game().calls, c.calls) << "mode " << c.mode;
        EXPECT_EQ(r.game().f_GameMode, c.modeAfter) << "mode " << c.mode;
    }
}

TEST(Dispatch, NoModeRunsWhileTheLoaderIsBusy) {
    Recorded r;
    r.game().f_GameMode = MODE_PLAY;
    r.game().f_LoadStep = 3;
    r.h.Update();
    EXPECT_EQ(r.game().calls, (std::vector<std::string>{"Loader", "ShowBadges"}));
    EXPECT_EQ(r.game().f_LoadStep, 4);
    EXPECT_EQ(r.game().f_GameMode, MODE_PLAY);
}

TEST(Dispatch, PointerAndTouchesAreSampledInLogicalUnits) {
    GameHarness h(1280, 960);  // scale 2
    h.StartAndLoad();
    ASSERT_FLOAT_EQ(h.game->f_ScaleX, 2.0f);

    h.SetPointer(301, 101);
    h.Update();
    EXPECT_EQ(h.game->f_MouseX, 150);
    EXPECT_EQ(h.game->f_MouseY, 50);
    EXPECT_EQ(h.game->f_PointerDown, 0);
    for (int i = 0; i < TOUCH_POINTS; ++i) {
        EXPECT_EQ(h.game->f_TouchDown[i], 0);
        EXPECT_EQ(h.game->f_TouchX[i], TOUCH_UP);
        EXPECT_EQ(h.game->f_TouchY[i], TOUCH_UP);
    }

    // A fresh press: no drag distance, a hit, touch 0 at the pointer.
    h.SetPointer(401, 201);
    h.MouseDown();
    h.Update();
    EXPECT_EQ(h.game->f_MouseX, 200);
    EXPECT_EQ(h.game->f_OldMouseX, 200);
    EXPECT_EQ(h.game->f_OldMouseY, 100);
    EXPECT_EQ(h.game->f_PointerDown, 1);
    EXPECT_EQ(h.game->f_PointerHit, 1);
    EXPECT_EQ(h.game->f_MouseWasDown, 1);
    EXPECT_EQ(h.game->f_TouchDown[0], 1);
    EXPECT_EQ(h.game->f_TouchX[0], 200);
    EXPECT_EQ(h.game->f_TouchY[0], 100);
    EXPECT_EQ(h.game->f_TouchX[1], TOUCH_UP);

    // Dragging: the old position is the previous update's; no new hit.
    h.SetPointer(421, 211);
    h.Update();
    EXPECT_EQ(h.game->f_OldMouseX, 200);
    EXPECT_EQ(h.game->f_MouseX, 210);
    EXPECT_EQ(h.game->f_MouseY, 105);
    EXPECT_EQ(h.game->f_PointerHit, 0);

    h.MouseUp();
    h.Update();
    EXPECT_EQ(h.game->f_PointerDown, 0);
    EXPECT_EQ(h.game->f_MouseWasDown, 0);
    EXPECT_EQ(h.game->f_TouchX[0], TOUCH_UP);
}

TEST(Dispatch, PointerLatchHoldsUntilEverythingIsReleased) {
    GameHarness h;
    h.StartAndLoad();
    h.MouseDown();
    h.Update();
    h.game->f_PointerUsed = 1;  // a control acted on the press
    h.Update(3);
    EXPECT_EQ(h.game->f_PointerUsed, 1);
    h.MouseUp();
    h.Update();
    EXPECT_EQ(h.game->f_PointerUsed, 0);
}

TEST(Dispatch, KeyLatchClearsOnlyWhenNoActionIsHeld) {
    Recorded r;
    r.game().heldActions = {ACTION_CONFIRM};
    r.game().f_KeyUsed = 1;
    r.h.Update();
    EXPECT_EQ(r.game().f_KeyUsed, 1);
    r.game().heldActions = {};
    r.h.Update();
    EXPECT_EQ(r.game().f_KeyUsed, 0);
}

TEST(Dispatch, BackClosesTheBoxesOnceWhileHeld) {
    Recorded r;
    r.game().f_ShowCredits = 1;
    r.game().f_ShowBadges = 1;
    r.game().heldActions = {ACTION_BACK};
    r.h.Update();
    EXPECT_EQ(r.game().f_ShowCredits, 0);
    EXPECT_EQ(r.game().f_ShowBadges, 0);
    EXPECT_EQ(r.game().f_KeyUsed, 1);
    EXPECT_EQ(r.game().f_PointerUsed, 1);
    // Still held: a box opened meanwhile stays open.
    r.game().f_ShowCredits = 1;
    r.h.Update();
    EXPECT_EQ(r.game().f_ShowCredits, 1);
    // Released, then pressed again: closes.
    r.game().heldActions = {};
    r.h.Update();
    r.game().heldActions = {ACTION_BACK};
    r.h.Update();
    EXPECT_EQ(r.game().f_ShowCredits, 0);
}

TEST(Dispatch, BackDoesNotCloseBoxesOutsideTheMenu) {
    Recorded r;
    r.game().f_GameMode = MODE_PLAY;
    r.game().f_ShowCredits = 1;
    r.game().heldActions = {ACTION_BACK};
    r.h.Update();
    EXPECT_EQ(r.game().f_ShowCredits, 1);
    EXPECT_EQ(r.game().f_KeyUsed, 0);
}

TEST(Dispatch, OnScreenPressesLastOneUpdateAndICadeHoldsStay) {
    GameHarness h;
    h.StartAndLoad();
    h.game->f_Pad[ACTION_UP] = PAD_TOUCHED;
    h.game->f_Pad[ACTION_LEFT] = PAD_HELD;
    h.Update();
    EXPECT_EQ(h.game->f_Pad[ACTION_UP], PAD_RELEASED);
    EXPECT_EQ(h.game->f_Pad[ACTION_LEFT], PAD_HELD);
}

TEST(Dispatch, TimingMeasuresUpdatesAndKeepsTheRateWithinOneMillisecond) {
    GameHarness h;
    h.StartAndLoad();
    h.window.now = 10.0;
    h.host->InvokeOnUpdate();
    h.window.now = 10.020;
    h.host->InvokeOnUpdate();
    EXPECT_EQ(h.game->f_UpdateFps, 50);
    EXPECT_EQ(h.game->f_UpdateLastMs, 10020);
    h.host->InvokeOnUpdate();  // same millisecond
    EXPECT_EQ(h.game->f_UpdateFps, 50);

    h.window.now = 11.0;
    h.Render();
    h.window.now = 11.010;
    h.Render();
    EXPECT_EQ(h.game->f_RenderFps, 100);
    int avg = h.game->f_RenderFpsAvg;
    h.Render();  // same millisecond: the rate stays, the average moves toward it
    EXPECT_EQ(h.game->f_RenderFps, 100);
    EXPECT_EQ(h.game->f_RenderFpsAvg, (9 * avg + 100) / 10);
}

TEST(Dispatch, DebugReadoutShowsTheRenderRateAtTheBottomLeft) {
    GameHarness h;
    h.StartAndLoad();
    bb_Moxelpark_DebugMode = 1;
    h.game->f_RenderFpsAvg = 59;
    h.game->m_CLS2D();
    h.Update();
    bb_Moxelpark_DebugMode = 0;
    // The readout's glyphs are the ones on its line; the menu draws text of its own.
    std::vector<DrawEntry> glyphs;
    for (const DrawEntry& e : h.EntriesOf(SLOT_FONT)) {
        if (e.y > 480.0f - 16.0f && e.x < 100.0f) glyphs.push_back(e);
    }
    ASSERT_EQ(glyphs.size(), 2u);
    EXPECT_FLOAT_EQ(glyphs[0].frame, '5' - 32);
    EXPECT_FLOAT_EQ(glyphs[1].frame, '9' - 32);
    EXPECT_FLOAT_EQ(glyphs[0].x, 16.0f);
    EXPECT_FLOAT_EQ(glyphs[0].y, 480.0f - 16.0f + 5.0f);  // top of the line at jscrh - 16
}

TEST(Dispatch, UpdatesAllocateNothingOnTheCollectedHeapOnceLoaded) {
    GameHarness h;
    h.StartAndLoad();
    bb_Moxelpark_DebugMode = 1;  // exercises text every update
    for (int mode : {MODE_MENU, MODE_PLAY}) {
        h.game->f_GameMode = mode;
        for (int i = 0; i < 300; ++i) {
            h.SetPointer(i % 640, (i * 7) % 480);
            if (i % 50 == 0) h.MouseDown();
            if (i % 50 == 25) h.MouseUp();
            // The update alone, bracketed as the host does, without the collector step.
            h.window.now += game_test::UPDATE_SECONDS;
            h.input->BeginUpdate();
            int before = gc_alloced_bytes;
            h.game->m_OnUpdate();
            EXPECT_EQ(gc_alloced_bytes, before) << "update " << i << " in mode " << mode;
            h.input->EndUpdate();
            gc_collect();
        }
    }
    bb_Moxelpark_DebugMode = 0;
}

}  // namespace
