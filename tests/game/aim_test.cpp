// Aiming as the player means it: losing the window's input mid-aim plays
// nothing, a drag pulled out through the meter's bottom holds full power, keys
// and pad aim and play a whole stroke beside the pointer, and every hole is
// named by a caption that fades.
#include <string>
#include <vector>

#include "play_support.h"

namespace {

using game_test::DrawEntry;
using game_test::PlayHarness;

constexpr int METER_X = 600;  // inside the meter, away from the resting ball
constexpr int METER_TOP = 144;
constexpr int KEY_JOY_B = KEY_JOY0_A + 1;
constexpr int KEY_JOY_DPAD_DOWN = KEY_JOY0_A + 11;

// A game of type 2 at 640 by 480 with no objects and the cup out of the way.
struct Aim : PlayHarness {
    Aim() {
        StartGame(2);
        ClearObjects();
        game->f_CupX = 600.0f;
        game->sounds.clear();
    }
    bb_Moxelpark_MyApp* g() { return game; }
    int Strokes() const { return static_cast<int>(game->SoundsOf(SFX_STROKE).size()); }
    void Hold(int key, int updates) {
        h.KeyDown(key);
        h.Update(updates);
        h.KeyUp(key);
    }
    std::vector<DrawEntry> PathDots() {
        std::vector<DrawEntry> dots;
        for (const DrawEntry& e : h.EntriesOf(DRAW_KIND_OVAL)) {
            if (e.w == 3.0f) dots.push_back(e);
        }
        return dots;
    }
    float SliderY() {
        for (const DrawEntry& e : h.EntriesOf(SLOT_GFX)) {
            if (e.frame == 6.0f) return e.y;
        }
        return -1.0f;
    }
    // The glyphs drawn with y in [y0, y1], as text (spaces are not drawn).
    std::string TextBetween(float y0, float y1) {
        std::string s;
        for (const DrawEntry& e : h.EntriesOf(SLOT_FONT)) {
            if (e.y >= y0 && e.y <= y1) s += static_cast<char>(e.frame + 32.0f);
        }
        return s;
    }
};

// ---- Losing the input ----

TEST(Aim, LosingTheInputMidAimPlaysNothingSpendsNoBallAndLetsGoOfEverything) {
    struct Case {
        const char* name;
        bool byPointer;
    } cases[] = {{"a drag on the meter", true}, {"power set by keys", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Aim a;
        if (c.byPointer) {
            a.Press(METER_X, METER_TOP + 100);
        } else {
            a.h.KeyDown(KEY_DOWN);
            a.h.Update(40);
        }
        ASSERT_GT(a.g()->f_Power, 0.0f);
        // Focus goes; the window system then sends its own releases.
        gxtkApp::OnFocusLost();
        a.h.MouseUp();
        a.h.KeyUp(KEY_DOWN);
        EXPECT_EQ(a.h.input->KeyDown(KEY_LMB), 0);
        a.h.Update(3);
        EXPECT_EQ(a.g()->f_Power, 0.0f);
        EXPECT_EQ(a.g()->f_BallState, BALL_AIMING);
        EXPECT_EQ(a.g()->f_Balls, 8);
        EXPECT_EQ(a.Strokes(), 0);
        // Back in the window, fire finds nothing to play, and the meter works again.
        a.Key(KEY_SPACE);
        EXPECT_EQ(a.Strokes(), 0);
        a.Stroke(50);
        EXPECT_EQ(a.Strokes(), 1);
        EXPECT_EQ(a.g()->f_ShotPower, 66.0f);
    }
}

TEST(Aim, AKeyHeldWhenTheInputIsLostDoesNotActWhenItComesBack) {
    Aim a;
    a.Hold(KEY_DOWN, 20);
    a.h.KeyDown(KEY_SPACE);
    gxtkApp::OnFocusLost();
    a.h.Update();
    // A pad's button reads down again at the next poll: it must be let go first.
    a.h.KeyDown(KEY_JOY0_A);
    a.h.Update(2);
    EXPECT_EQ(a.Strokes(), 0);
    a.h.KeyUp(KEY_JOY0_A);
    a.h.Update();
    a.Hold(KEY_DOWN, 1);
    a.h.Update();
    a.Key(KEY_JOY0_A);
    EXPECT_EQ(a.Strokes(), 1);
}

// ---- The meter's bottom edge ----

TEST(Aim, ADragOutThroughTheMetersBottomHoldsFullPowerOtherEdgesCancel) {
    struct Case {
        const char* name;
        int x, y;
        float power;
    } cases[] = {
        {"just below the lowest bar", METER_X, METER_TOP + 205, 191.0f},
        {"on the bottom edge", METER_X, METER_TOP + 192, 191.0f},
        {"past the window's bottom", METER_X, 2000, 191.0f},
        {"below and off to the left", 300, 460, 191.0f},
        {"above the meter", METER_X, 100, 0.0f},
        {"out to the left", 400, METER_TOP + 150, 0.0f},
        {"past the window's right edge", 700, METER_TOP + 150, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Aim a;
        a.Press(METER_X, METER_TOP + 150);
        a.PointAt(c.x, c.y);
        a.h.Update();
        EXPECT_EQ(a.g()->f_Power, c.power);
        // The path and the slider show what the release will play.
        EXPECT_EQ(a.PathDots().size(), c.power > 0.0f ? 17u : 0u);
        EXPECT_EQ(a.SliderY(), METER_TOP + c.power);
        a.Release();
        EXPECT_EQ(a.Strokes(), c.power > 0.0f ? 1 : 0);
        if (c.power > 0.0f) {
            EXPECT_EQ(a.g()->f_ShotPower, 207.0f);
        }
    }
    // A press that begins below the meter is not the meter's.
    Aim a;
    a.Press(METER_X, METER_TOP + 205);
    EXPECT_EQ(a.g()->f_Power, 0.0f);
    a.Release();
    EXPECT_EQ(a.Strokes(), 0);
    // Back from below into the meter, the power follows the pointer again.
    a.Press(METER_X, METER_TOP + 150);
    a.PointAt(METER_X, 400);
    a.h.Update();
    a.PointAt(METER_X, METER_TOP + 40);
    a.h.Update();
    EXPECT_EQ(a.g()->f_Power, 40.0f);
}

// ---- Keys and pad ----

TEST(Aim, UpAndDownMoveThePowerOneBarATapAndFromEmptyToFullInASecondAndAHalf) {
    Aim a;
    a.Key(KEY_DOWN);
    EXPECT_EQ(a.g()->f_Power, 12.0f);
    a.Key(KEY_DOWN);
    EXPECT_EQ(a.g()->f_Power, 24.0f);
    a.Key(KEY_UP);
    EXPECT_EQ(a.g()->f_Power, 12.0f);
    a.Hold(KEY_UP, 10);
    EXPECT_EQ(a.g()->f_Power, 0.0f) << "never below empty";
    // Held: one bar, a short wait, then on to full in 90 updates from the press.
    a.h.KeyDown(KEY_DOWN);
    a.h.Update(60);
    EXPECT_GT(a.g()->f_Power, 100.0f);
    EXPECT_LT(a.g()->f_Power, 150.0f);
    a.h.Update(30);
    EXPECT_NEAR(a.g()->f_Power, 191.0f, 0.01f);
    a.h.Update(30);
    EXPECT_EQ(a.g()->f_Power, 191.0f) << "never past full";
    // The slider and the path show the power while it is set by keys.
    EXPECT_EQ(a.SliderY(), METER_TOP + 191.0f);
    EXPECT_EQ(a.PathDots().size(), 17u);
    a.h.KeyUp(KEY_DOWN);
    a.h.Update(5);
    EXPECT_EQ(a.Strokes(), 0) << "power set by keys waits for fire";
    // The letters and the pad's d-pad do the same.
    a.Hold(KEY_JOY0_A + 9, 1);  // d-pad up
    a.h.Update();
    EXPECT_EQ(a.g()->f_Power, 179.0f);
    a.Hold('W', 1);
    a.h.Update();
    a.Hold(KEY_JOY_DPAD_DOWN, 1);
    a.h.Update();
    a.Hold('S', 1);
    a.h.Update();
    EXPECT_EQ(a.g()->f_Power, 191.0f);
}

TEST(Aim, KeysTurnTheGolferFireThePowerSetAndTheSecondActionClearsIt) {
    Aim a;
    a.Key(KEY_LEFT);
    EXPECT_EQ(a.g()->f_Facing, -1);
    a.Key(KEY_LEFT);
    EXPECT_EQ(a.g()->f_Facing, -1) << "left faces left, it does not turn round";
    a.Key('D');
    EXPECT_EQ(a.g()->f_Facing, 1);
    a.Key('A');
    // Fire with no power plays nothing; the second action (X, Control, pad B) clears.
    a.Key(KEY_SPACE);
    EXPECT_EQ(a.Strokes(), 0);
    for (int clear : {int{'X'}, KEY_LCONTROL, KEY_JOY_B}) {
        a.Key(KEY_DOWN);
        ASSERT_EQ(a.g()->f_Power, 12.0f);
        a.Key(clear);
        EXPECT_EQ(a.g()->f_Power, 0.0f) << clear;
    }
    a.Hold(KEY_DOWN, 30);
    const float power = a.g()->f_Power;
    a.h.Update();
    a.Key(KEY_ENTER);
    EXPECT_EQ(a.Strokes(), 1);
    EXPECT_EQ(a.g()->f_ShotPower, power + 16.0f);
    EXPECT_EQ(a.g()->f_Balls, 7);
    EXPECT_LT(a.g()->f_BallVX, 0.0f) << "played to the left";
    // While the ball flies the keys do nothing.
    a.Key(KEY_DOWN);
    EXPECT_EQ(a.g()->f_Power, 0.0f);
}

TEST(Aim, WhicheverThePlayerTouchedLastSetsThePower) {
    // The pointer, then keys: the held press stops counting and fire plays.
    Aim a;
    a.Press(METER_X, METER_TOP + 100);
    a.Key(KEY_DOWN);
    EXPECT_EQ(a.g()->f_Power, 112.0f);
    a.Release();
    EXPECT_EQ(a.Strokes(), 0);
    a.Key('Z');
    EXPECT_EQ(a.Strokes(), 1);
    EXPECT_EQ(a.g()->f_ShotPower, 128.0f);

    // Keys, then the pointer: the drag sets the power and its release plays it.
    Aim b;
    b.Hold(KEY_DOWN, 40);
    b.Stroke(60);
    EXPECT_EQ(b.Strokes(), 1);
    EXPECT_EQ(b.g()->f_ShotPower, 76.0f);

    // A press elsewhere cancels power set by keys, as it cancels a drag.
    Aim c;
    c.Key(KEY_DOWN);
    c.Tap(100, 100);
    EXPECT_EQ(c.g()->f_Power, 0.0f);

    // Under the pause panel the keys work the panel, not the meter.
    Aim d;
    d.Key(KEY_DOWN);
    d.Key(KEY_ESCAPE);
    EXPECT_EQ(d.g()->f_Paused, 1);
    d.Key(KEY_DOWN);
    d.Key(KEY_SPACE);
    EXPECT_EQ(d.g()->f_Power, 0.0f);
    EXPECT_EQ(d.Strokes(), 0);
}

// ---- The hole's caption ----

TEST(Caption, EveryHoleIsNamedAndANewHoleSaysWhereItsBallsCameFrom) {
    Aim a;
    // Hole 1, named at the start of the game, with no line about balls.
    EXPECT_EQ(a.TextBetween(160.0f, 170.0f), "Hole1");
    std::vector<DrawEntry> glyphs = a.h.EntriesOf(SLOT_FONT);
    const float first = glyphs.back().alpha;
    a.h.Update(80);
    glyphs = a.h.EntriesOf(SLOT_FONT);
    EXPECT_LT(glyphs.back().alpha, first) << "fading";
    a.h.Update(40);
    EXPECT_EQ(a.TextBetween(160.0f, 170.0f), "") << "gone within two seconds";

    // Holed with two bonus objects untouched: hole 2 and its line.
    struct Case {
        int untouched;
        const char* line;
    } cases[] = {{2, "+2balls,+2foruntouchedbonusobjects"},
                 {1, "+2balls,+1foranuntouchedbonusobject"},
                 {0, "+2balls"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        Aim b;
        for (int n = 1; n <= c.untouched; ++n) b.PlaceObject(n, OBJECT_BONUS, -500.0f, -500.0f);
        b.g()->f_BallState = BALL_IN_CUP;
        b.g()->f_HoledTimer = 119;
        b.h.Update();
        EXPECT_EQ(b.g()->f_Hole, 2);
        EXPECT_EQ(b.TextBetween(160.0f, 170.0f), "Hole2");
        EXPECT_EQ(b.TextBetween(185.0f, 195.0f), c.line);
        // It takes no input: the meter under it still sets the power.
        b.Press(METER_X, 160);
        EXPECT_EQ(b.g()->f_Power, 16.0f);
    }
}

}  // namespace
