// The action layer and the optional controls: every action's sources, the
// iCade mode and its letters, the joystick's thresholds, and, with their
// configuration switches on, the on-screen pad and the tilt indicator.
#include <cstdio>
#include <vector>

#include "host/base/files.h"
#include "play_support.h"

namespace {

using game_test::DrawEntry;
using game_test::PlayHarness;

constexpr int ACTIONS[] = {ACTION_UP,     ACTION_LEFT,   ACTION_RIGHT,  ACTION_DOWN, ACTION_CONFIRM,
                           ACTION_FACE_B, ACTION_FACE_X, ACTION_FACE_Y, ACTION_BACK};

// Restores the configuration switches a test turns on.
struct Switches {
    ~Switches() {
        bb_Moxelpark_iCadeControls = 0;
        bb_Moxelpark_OnScreenControls = 0;
        bb_Moxelpark_AccelerometerControls = 0;
    }
};

// A game under way, so that pad presses reach nothing but the play screen.
struct Controls : PlayHarness {
    Controls(int w = 640, int h = 480) : PlayHarness(w, h) { StartGame(2); }
    // Releases a key once an update has seen it down, so it reads up at once.
    void Lift(int key) {
        h.input->EndUpdate();
        h.KeyUp(key);
    }
    // The actions active now.
    std::vector<int> Active() {
        std::vector<int> on;
        for (int a : ACTIONS) {
            if (game->m_PlayKey(a)) on.push_back(a);
        }
        return on;
    }
};

TEST(Controls, EachKeySourceDrivesOnlyItsAction) {
    struct Case {
        int action;
        std::vector<int> keys;  // in the order the action tests them
        bool letter[4];         // which of them are letter keys
    } cases[] = {
        {ACTION_UP, {38, 87, 265}, {false, true, false}},
        {ACTION_LEFT, {37, 65, 264}, {false, true, false}},
        {ACTION_RIGHT, {39, 68, 266}, {false, true, false}},
        {ACTION_DOWN, {40, 83, 267}, {false, true, false}},
        {ACTION_CONFIRM, {90, 74, 32, 13, 256}, {true, true, false, false}},
        {ACTION_FACE_B, {88, 75, 17, 257}, {true, true, false, false}},
        {ACTION_FACE_X, {67, 76, 16, 258}, {true, true, false, false}},
        {ACTION_FACE_Y, {86, 73, 259}, {true, true, false}},
        {ACTION_BACK, {27, 46, 8, 263}, {false, false, false, false}},
    };
    Switches restore;
    Controls c;
    for (int icade : {0, 1, 2}) {
        bb_Moxelpark_iCadeControls = icade;
        for (const Case& k : cases) {
            for (size_t i = 0; i < k.keys.size(); ++i) {
                SCOPED_TRACE(testing::Message() << "iCade " << icade << " key " << k.keys[i]);
                c.h.KeyDown(k.keys[i]);
                // In iCade mode letters are the cabinet's; any other flag leaves only back.
                bool counts = icade == 0 || (icade == 1 && !(i < 4 && k.letter[i])) ||
                              (icade == 2 && k.action == ACTION_BACK);
                EXPECT_EQ(c.Active(), counts ? std::vector<int>{k.action} : std::vector<int>{});
                c.Lift(k.keys[i]);
            }
        }
    }
}

TEST(Controls, PadEntriesStickThresholdsAndActionsThatDoNotExist) {
    Controls c;
    bb_Moxelpark_MyApp* g = c.game;
    struct PadCase {
        int entry, action;
    } pads[] = {{0, ACTION_UP},           {3, ACTION_LEFT},     {5, ACTION_RIGHT},
                {8, ACTION_DOWN},         {10, ACTION_CONFIRM}, {11, ACTION_FACE_B},
                {12, ACTION_FACE_X},      {13, ACTION_FACE_Y},  {PAD_BACK_A, ACTION_BACK},
                {PAD_BACK_B, ACTION_BACK}};
    for (const PadCase& p : pads) {
        for (int value : {PAD_TOUCHED, PAD_HELD}) {
            g->f_Pad[p.entry] = value;
            EXPECT_EQ(c.Active(), std::vector<int>{p.action}) << "entry " << p.entry;
            g->f_Pad[p.entry] = PAD_RELEASED;
        }
    }
    // Entry 14 belongs to no action, and neither do other numbers.
    g->f_Pad[14] = PAD_HELD;
    EXPECT_FALSE(g->m_PlayKey(14));
    EXPECT_FALSE(g->m_PlayKey(1));
    EXPECT_FALSE(g->m_PlayKey(-1));
    g->f_Pad[14] = PAD_RELEASED;
    c.h.KeyDown(38);
    EXPECT_FALSE(g->m_PlayKey(100));
    c.Lift(38);

    // The main stick leans past 0.4 (strictly).
    struct StickCase {
        int axis;
        float value;
        std::vector<int> active;
    } sticks[] = {
        {0, -0.41f, {ACTION_LEFT}},
        {0, -0.4f, {}},
        {0, 0.4f, {}},
        {0, 0.41f, {ACTION_RIGHT}},
        {1, -0.41f, {ACTION_UP}},
        {1, -0.4f, {}},
        {1, 0.4f, {}},
        {1, 0.41f, {ACTION_DOWN}},
        {2, 1.0f, {}},  // the third axis is not the main stick
    };
    for (const StickCase& s : sticks) {
        c.h.input->joyAxes[s.axis] = s.value;
        EXPECT_EQ(c.Active(), s.active) << "axis " << s.axis << " at " << s.value;
        c.h.input->joyAxes[s.axis] = 0.0f;
    }
}

TEST(Controls, ICadeLettersPressAndReleaseInEitherCase) {
    Switches restore;
    Controls c;
    bb_Moxelpark_MyApp* g = c.game;
    g->m_iCade(1);
    ASSERT_EQ(bb_Moxelpark_iCadeControls, 1);
    struct Letters {
        int entry;
        char press, release;
    } letters[] = {{0, 'W', 'E'},  {3, 'A', 'Q'},  {5, 'D', 'C'},  {8, 'X', 'Z'},
                   {10, 'H', 'R'}, {11, 'J', 'N'}, {12, 'K', 'P'}, {13, 'Y', 'T'},
                   {14, 'U', 'F'}, {15, 'I', 'M'}, {16, 'O', 'G'}, {17, 'L', 'V'}};
    for (const Letters& l : letters) {
        for (int lower : {0, 1}) {
            SCOPED_TRACE(testing::Message()
                         << l.press << l.release << (lower ? " press lower" : " press upper"));
            int shift = 'a' - 'A';
            c.h.Type(l.press + (lower ? shift : 0));
            c.h.Update();
            EXPECT_EQ(g->f_Pad[l.entry], PAD_HELD);
            // Held across updates until the release letter comes.
            c.h.Update();
            EXPECT_EQ(g->f_Pad[l.entry], PAD_HELD);
            c.h.Type(l.release + (lower ? 0 : shift));
            c.h.Update();
            EXPECT_EQ(g->f_Pad[l.entry], PAD_RELEASED);
        }
    }
    // Other characters are ignored; several letters in one update all count.
    for (int chr : {int{'B'}, int{'b'}, int{'1'}, int{' '}, 200, 0x10000 + 38}) c.h.Type(chr);
    c.h.Type('w');
    c.h.Type('d');
    c.h.Update();
    EXPECT_EQ(g->f_Pad[0], PAD_HELD);
    EXPECT_EQ(g->f_Pad[5], PAD_HELD);
    for (int i = 0; i < PAD_ENTRIES; ++i) {
        if (i != 0 && i != 5) {
            EXPECT_EQ(g->f_Pad[i], PAD_RELEASED) << "entry " << i;
        }
    }
    EXPECT_EQ(g->f_LastChar, 0);
}

TEST(Controls, WithICadeOnTheWKeyIsTheCabinetsUpPress) {
    Switches restore;
    Controls c;
    bb_Moxelpark_MyApp* g = c.game;
    g->m_iCade(1);
    // A keyboard W gives its key and its character: the key is skipped, the character decoded.
    c.h.KeyDown(87);
    c.h.Type('W');
    c.h.Update();
    c.Lift(87);
    c.h.Update();
    EXPECT_TRUE(g->m_PlayKey(ACTION_UP));  // still held: no E has come
    c.h.Type('E');
    c.h.Update();
    EXPECT_FALSE(g->m_PlayKey(ACTION_UP));
}

TEST(Controls, SwitchingICadeEmptiesTheQueueOrReleasesThePad) {
    Switches restore;
    Controls c;
    bb_Moxelpark_MyApp* g = c.game;
    // Switching on drops what was typed before.
    c.h.Type('W');
    g->m_iCade(1);
    EXPECT_EQ(g->f_LastChar, 0);
    c.h.Update();
    EXPECT_EQ(g->f_Pad[0], PAD_RELEASED);
    // Switching off releases every entry; other values change nothing.
    c.h.Type('W');
    c.h.Update();
    ASSERT_EQ(g->f_Pad[0], PAD_HELD);
    g->m_iCade(7);
    EXPECT_EQ(bb_Moxelpark_iCadeControls, 1);
    EXPECT_EQ(g->f_Pad[0], PAD_HELD);
    g->m_iCade(0);
    EXPECT_EQ(bb_Moxelpark_iCadeControls, 0);
    for (int i = 0; i < PAD_ENTRIES; ++i) EXPECT_EQ(g->f_Pad[i], PAD_RELEASED);
    // Off, letters are not decoded.
    c.h.Type('W');
    c.h.Update();
    EXPECT_EQ(g->f_Pad[0], PAD_RELEASED);
}

// ---- The on-screen pad, in a build with it switched on ----

TEST(OnScreenPad, TheSavedPlaceAndSizeAreClamped) {
    struct Case {
        int w, h;
        int x, y, size;
        int wantX, wantY, wantSize;
    } cases[] = {
        {640, 480, 0, 0, 30, 32, 32, 25},
        {640, 480, 1000, 1000, 1, 608, 448, 8},
        {640, 480, 100, 100, 10, 100, 100, 10},
        {900, 700, 1000, 100, 12, 585, 100, 12},  // 617.1 - 32 truncated
    };
    for (const Case& k : cases) {
        Switches restore;
        Controls c(k.w, k.h);  // the start-up resets the switches
        bb_Moxelpark_OnScreenControls = 1;
        bb_Moxelpark_MyApp* g = c.game;
        g->f_Settings[SETTING_PAD_X] = k.x;
        g->f_Settings[SETTING_PAD_Y] = k.y;
        g->f_Settings[SETTING_PAD_SIZE] = k.size;
        c.h.Update();
        EXPECT_EQ(g->f_Settings[SETTING_PAD_X], k.wantX);
        EXPECT_EQ(g->f_Settings[SETTING_PAD_Y], k.wantY);
        EXPECT_EQ(g->f_Settings[SETTING_PAD_SIZE], k.wantSize);
        EXPECT_EQ(g->f_PadX, k.wantX);
        EXPECT_EQ(g->f_PadY, static_cast<int>(bb_Moxelpark_jscrh - static_cast<float>(k.wantY)));
        EXPECT_FLOAT_EQ(g->f_PadScale, static_cast<float>(k.wantSize) / 10.0f);
    }
    // Not shown over the menu. The games above are in progress, and a start
    // would resume the last one: the menu is a start without a kept game.
    std::remove(KEPT_GAME_FILE_NAME);
    Switches restore;
    PlayHarness menu;
    bb_Moxelpark_OnScreenControls = 1;
    menu.game->f_Settings[SETTING_PAD_SIZE] = 30;
    menu.h.Update();
    EXPECT_EQ(menu.game->f_Settings[SETTING_PAD_SIZE], 30);
}

struct Pad : Controls {
    Pad() {
        bb_Moxelpark_OnScreenControls = 1;
        game->f_Settings[SETTING_PAD_X] = 100;
        game->f_Settings[SETTING_PAD_Y] = 100;  // centre at (100, 380)
        game->f_Settings[SETTING_PAD_SIZE] = 10;
        h.Update();
    }
    Switches restore;
};

TEST(OnScreenPad, ArrowsAndButtonsPressTheirEntryForOneUpdate) {
    struct Case {
        int x, y, entry;
        bool whilePaused;
    } cases[] = {
        {68, 380, ACTION_LEFT, false},   {100, 348, ACTION_UP, false},     {100, 412, ACTION_DOWN, false},
        {132, 380, ACTION_RIGHT, false}, {564, 356, ACTION_CONFIRM, true}, {516, 404, ACTION_FACE_B, true},
    };
    for (const Case& k : cases) {
        for (int paused : {0, 1}) {
            SCOPED_TRACE(testing::Message() << "entry " << k.entry << " paused " << paused);
            Pad p;
            bb_Moxelpark_MyApp* g = p.game;
            g->f_Paused = paused;
            g->f_PauseSlide = 1;
            p.Press(k.x, k.y);
            int want = (paused == 0 || k.whilePaused) ? PAD_TOUCHED : PAD_RELEASED;
            EXPECT_EQ(g->f_Pad[k.entry], want);
            p.Release();
            EXPECT_EQ(g->f_Pad[k.entry], PAD_RELEASED);
        }
    }
    // The pad is drawn over the play screen: the centre, frame 5.
    Pad p;
    bool centre = false;
    for (const DrawEntry& e : p.h.EntriesOf(SLOT_DPAD))
        centre |= e.frame == 5.0f && e.x == 100.0f && e.y == 380.0f;
    EXPECT_TRUE(centre);
}

TEST(OnScreenPad, TheCentreDragsThePadOnlyWhilePaused) {
    Pad p;
    bb_Moxelpark_MyApp* g = p.game;
    p.Press(110, 370);
    EXPECT_EQ(g->f_Settings[SETTING_PAD_X], 100);
    p.Release();
    g->f_Paused = 1;
    g->f_PauseSlide = 1;
    p.Press(110, 370);
    EXPECT_EQ(g->f_Settings[SETTING_PAD_X], 110);
    EXPECT_EQ(g->f_Settings[SETTING_PAD_Y], 110);
    p.h.Update();
    EXPECT_EQ(g->f_PadX, 110);
    EXPECT_EQ(g->f_PadY, 370);
}

// This host has one pointer, so the pinch is exercised on the touch fields directly.
TEST(OnScreenPad, PinchingStepsTheSizeByTenths) {
    Pad p;
    bb_Moxelpark_MyApp* g = p.game;
    g->f_Paused = 1;
    auto pinch = [&](int x0, int x1) {
        g->f_TouchDown[0] = g->f_TouchDown[1] = 1;
        g->f_TouchX[0] = x0;
        g->f_TouchX[1] = x1;
        g->f_TouchY[0] = g->f_TouchY[1] = 50;
        g->OnScreenPad();
    };
    pinch(100, 164);  // 64 apart: step -4, nothing changes yet
    EXPECT_EQ(g->f_PinchStep, -4);
    EXPECT_EQ(g->f_Settings[SETTING_PAD_SIZE], 10);
    pinch(100, 196);  // 96 apart: step -6, two tenths larger
    EXPECT_EQ(g->f_Settings[SETTING_PAD_SIZE], 12);
    pinch(196, 100);  // the order of the fingers does not matter
    EXPECT_EQ(g->f_Settings[SETTING_PAD_SIZE], 12);
    pinch(100, 150);  // 50 apart: step -3, three tenths smaller
    EXPECT_EQ(g->f_Settings[SETTING_PAD_SIZE], 9);
    // Lifting the second finger ends the pinch; the next one starts afresh.
    g->f_TouchDown[1] = 0;
    g->f_TouchX[1] = TOUCH_UP;
    g->OnScreenPad();
    EXPECT_EQ(g->f_Pinching, 0);
    pinch(100, 300);
    EXPECT_EQ(g->f_Settings[SETTING_PAD_SIZE], 9);
    // Without the panel open nothing is resized.
    g->f_Paused = 0;
    pinch(100, 400);
    EXPECT_EQ(g->f_Settings[SETTING_PAD_SIZE], 9);
}

// ---- The tilt indicator, in a build with it switched on ----

TEST(TiltIndicator, SmoothsTowardTheTiltCalibratesAndIsOffWithICade) {
    Switches restore;
    Controls c;
    bb_Moxelpark_AccelerometerControls = 1;
    bb_Moxelpark_MyApp* g = c.game;
    // This device reads level (0, 0); a calibration taken elsewhere shows as tilt.
    g->f_AccelZeroX = 0.5f;
    g->f_AccelZeroY = -0.25f;
    c.h.Update();
    EXPECT_EQ(g->f_TiltX, -0.5f);
    EXPECT_EQ(g->f_TiltY, 0.25f);
    EXPECT_FLOAT_EQ(g->f_TiltSmoothX, -0.125f);
    EXPECT_FLOAT_EQ(g->f_TiltSmoothY, 0.0625f);
    std::vector<DrawEntry> dots = c.h.EntriesOf(DRAW_KIND_OVAL);
    ASSERT_FALSE(dots.empty());
    EXPECT_FLOAT_EQ(dots.back().x, 24.0f - 2.5f);
    EXPECT_FLOAT_EQ(dots.back().y, 456.0f + 1.25f);
    c.h.Update(40);
    EXPECT_EQ(g->f_TiltSmoothX, -0.5f);  // snapped once within 0.005
    EXPECT_EQ(g->f_TiltSmoothY, 0.25f);
    // Holding the calibrate button takes the present reading as level.
    c.Press(24, 456);
    EXPECT_EQ(g->f_AccelZeroX, 0.0f);
    EXPECT_EQ(g->f_AccelZeroY, 0.0f);
    c.Release();
    EXPECT_EQ(g->f_TiltX, 0.0f);
    // An iCade cabinet has no tilt.
    g->f_AccelZeroX = 0.5f;
    c.h.Update();
    ASSERT_NE(0.0f, g->f_TiltSmoothX);
    g->m_iCade(1);
    c.h.Update();
    EXPECT_EQ(g->f_TiltX, 0.0f);
    EXPECT_EQ(g->f_TiltSmoothX, 0.0f);
    EXPECT_EQ(g->f_TiltSmoothY, 0.0f);
}

}  // namespace
