// The pause button and the pause panel: opening by touch, by the back action
// and by a suspend, the slide and the veil, the cursor, resume, quit and the
// sound setting, in both layouts.
#include <vector>

#include "play_support.h"

namespace {

using game_test::DrawEntry;
using game_test::PlayHarness;
using game_test::SfxCall;

constexpr int KEY_ESC = 27, KEY_ENTER_ = 13, KEY_LEFT_ = 37, KEY_UP_ = 38, KEY_RIGHT_ = 39, KEY_DOWN_ = 40;

struct Pause : PlayHarness {
    explicit Pause(int w = 640, int h = 480) : PlayHarness(w, h) {
        StartGame(2);
        game->sounds.clear();
    }
    bb_Moxelpark_MyApp* g() { return game; }
    // Opens by the back action and lets the panel slide all the way in.
    void OpenFully() {
        Key(KEY_ESC);
        h.Update(12);
        ASSERT_EQ(game->f_PauseY, 248);
    }
    std::vector<float> ClickRates() {
        std::vector<float> rates;
        for (const SfxCall& c : game->SoundsOf(SFX_CLICK)) rates.push_back(c.rate);
        return rates;
    }
    // The veil of the last update.
    bool Veil(DrawEntry* out) {
        for (const DrawEntry& e : h.EntriesOf(DRAW_KIND_RECT)) {
            if (e.x == 0.0f && e.y == 0.0f && e.w == bb_Moxelpark_jscrw && e.r == 0.0f && e.g == 0.0f) {
                *out = e;
                return true;
            }
        }
        return false;
    }
    // Whether an icon frame was drawn at a place in the last update.
    bool Icon(int frame, float x, float y) {
        for (const DrawEntry& e : h.EntriesOf(SLOT_ICONS)) {
            if (e.frame == static_cast<float>(frame) && e.x == x && e.y == y) return true;
        }
        return false;
    }
};

TEST(PauseMenu, TheBackActionOpensThePanelWhichSlidesDownOverTheVeil) {
    Pause p;
    bb_Moxelpark_MyApp* g = p.g();
    p.h.Update();
    EXPECT_TRUE(p.Icon(0, 16.0f, 16.0f));  // the pause button
    p.h.KeyDown(KEY_ESC);
    std::vector<int> ys;
    std::vector<float> veils;
    for (int i = 0; i < 14; ++i) {
        int before = g->f_PauseY;
        p.h.Update();
        ys.push_back(g->f_PauseY);
        DrawEntry veil{};
        ASSERT_TRUE(p.Veil(&veil));
        veils.push_back(veil.alpha);
        EXPECT_FLOAT_EQ(veil.alpha, static_cast<float>(before < 0 ? -before : before) / 384.0f);
    }
    // Held, the back action does not close it again.
    EXPECT_EQ(ys, (std::vector<int>{-40, -16, 8, 32, 56, 80, 104, 128, 152, 176, 200, 224, 248, 248}));
    EXPECT_EQ(g->f_Paused, 1);
    EXPECT_EQ(g->f_PauseChoice, 0);
    EXPECT_EQ(p.ClickRates(), std::vector<float>{1.0f});
    EXPECT_EQ(p.game->SoundsOf(SFX_CLICK)[0].volume, 0.5f);
    EXPECT_GT(veils.back(), veils[3]);
    // The panel: strips, resume in the middle with its highlight, quit and sound at the sides.
    EXPECT_TRUE(p.Icon(3, 320.0f, 248.0f));
    EXPECT_TRUE(p.Icon(6, 320.0f, 248.0f));
    EXPECT_TRUE(p.Icon(1, 180.0f, 184.0f));
    EXPECT_TRUE(p.Icon(4, 460.0f, 184.0f));
    bool panel = false;
    for (const DrawEntry& e : p.h.EntriesOf(DRAW_KIND_RECT))
        panel |= e.x == 180.0f && e.y == 196.0f && e.w == 280.0f;
    EXPECT_TRUE(panel);
}

TEST(PauseMenu, ThePauseButtonOpensTheBackActionResumesAndTheSlideReturns) {
    Pause p;
    bb_Moxelpark_MyApp* g = p.g();
    p.Press(16, 16);
    EXPECT_EQ(g->f_Paused, 1);
    EXPECT_EQ(g->f_PointerUsed, 1);
    EXPECT_EQ(g->f_PauseY, -40);
    p.Release();
    p.h.Update(12);
    // Touching the pause button again while open does nothing.
    p.game->sounds.clear();
    p.Tap(16, 16);
    EXPECT_TRUE(p.game->sounds.empty());
    EXPECT_EQ(g->f_PauseSlide, 1);
    // Back: the panel slides away by 24 and is gone once above -32.
    p.h.KeyDown(KEY_ESC);
    p.h.Update();
    EXPECT_EQ(g->f_PauseSlide, -1);
    EXPECT_EQ(p.ClickRates(), std::vector<float>{1.0f});
    std::vector<int> ys;
    while (g->f_Paused == 1 && ys.size() < 20) {
        p.h.Update();
        ys.push_back(g->f_PauseY);
    }
    EXPECT_EQ(ys, (std::vector<int>{224, 200, 176, 152, 128, 104, 80, 56, 32, 8, -16, -40}));
    EXPECT_EQ(g->f_Paused, 0);
    p.h.KeyUp(KEY_ESC);
    p.h.Update();
    // Reopened, it slides in from where it left off.
    p.Key(KEY_ESC);
    EXPECT_EQ(g->f_PauseY, -16 + 24);
}

// A phone keeps its screen awake only while a game runs, and its back gesture
// pauses a game under way: the window system hears which it is every update.
TEST(PauseMenu, TheWindowSystemHearsWhetherAGameRunsOrStands) {
    PlayHarness p;
    using host::Activity;
    auto now = [&p]() { return p.h.window.activity; };
    p.h.Update();
    EXPECT_EQ(now(), Activity::MENU);
    p.StartGame(2);
    EXPECT_EQ(now(), Activity::PLAYING);
    p.Key(KEY_ESC);
    EXPECT_EQ(now(), Activity::PAUSED);
    p.Key(KEY_ESC);
    for (int i = 0; i < 20 && p.game->f_Paused != 0; ++i) p.h.Update();
    EXPECT_EQ(now(), Activity::PLAYING);
    p.game->f_GameOver = 1;
    p.h.Update();
    EXPECT_EQ(now(), Activity::PAUSED);
    for (int i = 0; i < 300 && p.game->f_GameMode != MODE_MENU; ++i) p.h.Update();
    EXPECT_EQ(now(), Activity::MENU);
}

TEST(PauseMenu, TheResumeButtonAndConfirmResume) {
    {
        Pause p;
        p.OpenFully();
        p.Tap(320, 248);
        EXPECT_EQ(p.g()->f_PauseSlide, -1);
        EXPECT_EQ(p.g()->f_Paused, 1);
    }
    Pause q;
    q.OpenFully();
    q.Key(KEY_ENTER_);
    EXPECT_EQ(q.g()->f_PauseSlide, -1);
}

TEST(PauseMenu, TheCursorMovesOneStepPerPressWithoutWrapping) {
    Pause p;
    p.OpenFully();
    p.game->sounds.clear();
    struct Step {
        int key;
        int choice;
        std::vector<float> rates;
    } steps[] = {
        {KEY_RIGHT_, 1, {1.2f}}, {KEY_RIGHT_, 1, {}},    // from sound, right does nothing
        {KEY_LEFT_, 0, {0.8f}},  {KEY_UP_, -1, {0.8f}},  // up moves left from resume
        {KEY_LEFT_, -1, {}},     {KEY_UP_, -1, {}},      // from quit, left and up do nothing
        {KEY_DOWN_, 0, {0.8f}},  {KEY_LEFT_, -1, {0.8f}}, {KEY_RIGHT_, 0, {0.8f}},
        {KEY_RIGHT_, 1, {1.2f}}, {KEY_DOWN_, 0, {0.8f}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << "key " << s.key << " to " << s.choice);
        p.game->sounds.clear();
        p.h.KeyDown(s.key);
        p.h.Update(3);  // held: one step only
        EXPECT_EQ(p.g()->f_PauseChoice, s.choice);
        EXPECT_EQ(p.ClickRates(), s.rates);
        p.h.KeyUp(s.key);
        p.h.Update();
    }
    // The highlight follows the cursor.
    p.Key(KEY_LEFT_);
    EXPECT_TRUE(p.Icon(6, 180.0f, 184.0f));
    EXPECT_FALSE(p.Icon(6, 320.0f, 248.0f));
}

TEST(PauseMenu, QuitEndsTheGameEvenWhileTheBallMoves) {
    {
        Pause p;
        bb_Moxelpark_MyApp* g = p.g();
        p.Stroke(191);
        ASSERT_EQ(g->f_BallState, BALL_MOVING);
        p.Tap(16, 16);
        p.h.Update(12);
        ASSERT_EQ(g->f_BallState, BALL_MOVING);
        p.game->sounds.clear();
        p.Press(180, 184);
        EXPECT_EQ(g->f_GameOver, 1);
        EXPECT_EQ(g->f_Paused, 0);
        EXPECT_EQ(g->f_PauseY, -64);
        EXPECT_EQ(g->f_PauseSlide, -1);
        EXPECT_EQ(g->f_BallState, BALL_MOVING);
        EXPECT_EQ(p.ClickRates(), std::vector<float>{0.5f});
    }
    // By keys: left to quit, then confirm.
    Pause q;
    q.OpenFully();
    q.Key(KEY_LEFT_);
    q.h.KeyDown(KEY_ENTER_);
    q.h.Update();
    EXPECT_EQ(q.g()->f_GameOver, 1);
    EXPECT_EQ(q.g()->f_KeyUsed, 1);
    EXPECT_EQ(q.g()->f_Paused, 0);
}

TEST(PauseMenu, TheSoundToggleIsHeardAfterSwitchingOn) {
    Pause p;
    bb_Moxelpark_MyApp* g = p.g();
    g->f_Settings[SETTING_SOUND] = 1;
    p.OpenFully();
    p.Key(KEY_RIGHT_);
    // Off: the click goes to a silent player.
    int channel = g->f_SfxChannel;
    p.h.KeyDown(KEY_ENTER_);
    p.h.Update();
    EXPECT_EQ(g->f_Settings[SETTING_SOUND], 0);
    EXPECT_EQ(g->f_SfxChannel, channel);
    p.h.KeyUp(KEY_ENTER_);
    p.h.Update();
    EXPECT_TRUE(p.Icon(5, 460.0f, 184.0f));
    // On: the click is heard.
    p.Key(KEY_ENTER_);
    EXPECT_EQ(g->f_Settings[SETTING_SOUND], 1);
    EXPECT_EQ(g->f_SfxChannel, (channel + 1) % 24);
    EXPECT_TRUE(p.Icon(4, 460.0f, 184.0f));
    // By touch too; any other value becomes off.
    p.Tap(460, 184);
    EXPECT_EQ(g->f_Settings[SETTING_SOUND], 0);
    g->f_Settings[SETTING_SOUND] = 2;
    p.Tap(460, 184);
    EXPECT_EQ(g->f_Settings[SETTING_SOUND], 0);
}

TEST(PauseMenu, WithMusicTheSettingStepsThroughFourStatesWithAMark) {
    struct Restore {
        ~Restore() { bb_Moxelpark_HasMusic = 0; }
    } restore;
    Pause p;  // the start-up resets the switch
    bb_Moxelpark_HasMusic = 1;
    bb_Moxelpark_MyApp* g = p.g();
    g->f_Settings[SETTING_SOUND] = 0;
    p.OpenFully();
    for (int want : {1, 2, 3, 0, 1}) {
        p.Tap(460, 184);
        EXPECT_EQ(g->f_Settings[SETTING_SOUND], want);
        bool mark = p.Icon(want + 7, 480.0f, 184.0f);
        EXPECT_EQ(mark, want != 0) << want;
    }
}

TEST(PauseMenu, ASuspendDuringPlayReopensPaused) {
    Pause p;
    bb_Moxelpark_MyApp* g = p.g();
    p.h.Suspend();
    EXPECT_EQ(g->f_Paused, 1);
    EXPECT_EQ(g->f_PauseSlide, 1);
    EXPECT_EQ(g->f_PauseY, 240);
    p.h.Resume();
    p.h.Update();
    EXPECT_EQ(g->f_Paused, 1);
    EXPECT_EQ(g->f_PauseY, 240);  // already in place: no further slide
    EXPECT_TRUE(p.Icon(3, 320.0f, 240.0f));
    // Sliding out from there, the veil vanishes as the centre line passes 0.
    p.Key(KEY_ESC);
    bool sawClear = false;
    for (int i = 0; i < 30 && g->f_Paused == 1; ++i) {
        p.h.Update();
        DrawEntry veil{};
        if (p.Veil(&veil) && veil.alpha == 0.0f) sawClear = true;
    }
    EXPECT_TRUE(sawClear);
    EXPECT_EQ(g->f_Paused, 0);
}

TEST(PauseMenu, PortraitLayoutPutsTheSideButtonsAbove) {
    Pause p(480, 640);  // logical 360 by 480
    ASSERT_EQ(p.g()->f_Landscape, 0);
    p.OpenFully();
    EXPECT_TRUE(p.Icon(1, 84.0f, 152.0f));
    EXPECT_TRUE(p.Icon(4, 276.0f, 152.0f));
    bool panel = false;
    for (const DrawEntry& e : p.h.EntriesOf(DRAW_KIND_RECT))
        panel |= e.x == 52.0f && e.y == 168.0f && e.h == 160.0f;
    EXPECT_TRUE(panel);
    p.Tap(84, 152);
    EXPECT_EQ(p.g()->f_GameOver, 1);
}

}  // namespace
