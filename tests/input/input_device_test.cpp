// The input device fed directly: key table, hit counts, the combined Shift and
// Control keys, the character queue, and the pointer and joystick poll through
// a fake window system.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <climits>

#include "input/input.h"
#include "tests/input/fake_input_window.h"

namespace {

class InputTest : public testing::Test {
  protected:
    void SetUp() override {
        static bool heap_ready = false;
        if (!heap_ready) gc_init1();
        heap_ready = true;
        // Nothing is collected in these tests, so the device needs no root.
        in = new gxtkInput();
        bb_input_device = in;
        host::set_window(&window);
    }
    void TearDown() override {
        host::set_window(nullptr);
        bb_input_device = nullptr;
    }

    void Tap(int key) {
        in->OnKeyDown(key);
        in->OnKeyUp(key);
    }

    FakeInputWindow window;
    gxtkInput* in = nullptr;
};

TEST(TransKey, SamePhysicalKeysGiveTheProgramsCodes) {
    const struct {
        int glfw;
        int code;
    } cases[] = {
        {GLFW_KEY_ESCAPE, 27},
        {GLFW_KEY_ENTER, 13},
        {GLFW_KEY_TAB, 9},
        {GLFW_KEY_BACKSPACE, 8},
        {GLFW_KEY_INSERT, 45},
        {GLFW_KEY_DELETE, 46},
        {GLFW_KEY_RIGHT, 39},
        {GLFW_KEY_LEFT, 37},
        {GLFW_KEY_DOWN, 40},
        {GLFW_KEY_UP, 38},
        {GLFW_KEY_PAGE_UP, 33},
        {GLFW_KEY_PAGE_DOWN, 34},
        {GLFW_KEY_HOME, 36},
        {GLFW_KEY_END, 35},
        {GLFW_KEY_F1, 112},
        {GLFW_KEY_F12, 123},
        {GLFW_KEY_LEFT_SHIFT, 160},
        {GLFW_KEY_RIGHT_SHIFT, 161},
        {GLFW_KEY_LEFT_CONTROL, 162},
        {GLFW_KEY_RIGHT_CONTROL, 163},
        {GLFW_KEY_SPACE, 32},
        {GLFW_KEY_0, 48},
        {GLFW_KEY_9, 57},
        {GLFW_KEY_A, 65},
        {GLFW_KEY_Z, 90},
        {GLFW_KEY_SEMICOLON, 186},
        {GLFW_KEY_EQUAL, 187},
        {GLFW_KEY_COMMA, 188},
        {GLFW_KEY_MINUS, 189},
        {GLFW_KEY_PERIOD, 190},
        {GLFW_KEY_SLASH, 191},
        {GLFW_KEY_GRAVE_ACCENT, 192},
        {GLFW_KEY_LEFT_BRACKET, 219},
        {GLFW_KEY_BACKSLASH, 220},
        {GLFW_KEY_RIGHT_BRACKET, 221},
        {GLFW_KEY_APOSTROPHE, 222},
        // Keys the program has no code for.
        {GLFW_KEY_F13, 0},
        {GLFW_KEY_F25, 0},
        {GLFW_KEY_LEFT_ALT, 0},
        {GLFW_KEY_RIGHT_SUPER, 0},
        {GLFW_KEY_KP_0, 0},
        {GLFW_KEY_KP_ENTER, 0},
        {GLFW_KEY_WORLD_1, 0},
        {GLFW_KEY_CAPS_LOCK, 0},
        {GLFW_KEY_MENU, 0},
        {'a', 0},
        {GLFW_KEY_UNKNOWN, 0},
        {GLFW_KEY_LAST + 1, 0},
        {INT_MIN, 0},
        {INT_MAX, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(gxtkInput::TransKey(c.glfw), c.code) << "GLFW key " << c.glfw;
}

TEST(KeyToChar, EditingKeysQueueMarkedCharacters) {
    const struct {
        int code;
        int chr;
    } cases[] = {
        {8, 8},           {9, 9},           {13, 13},         {27, 27},         {33, 65536 + 33},
        {34, 65536 + 34}, {35, 65536 + 35}, {36, 65536 + 36}, {37, 65536 + 37}, {40, 65536 + 40},
        {45, 65536 + 45}, {46, 127},        {32, 0},          {65, 0},          {160, 0},
        {16, 0},          {1, 0},           {0, 0},           {-1, 0},          {512, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(gxtkInput::KeyToChar(c.code), c.chr) << "code " << c.code;
}

// A tap, or a touchpad click, delivers its press and release in one event poll.
TEST_F(InputTest, TapsWithinOnePollReadDownForExactlyOneUpdate) {
    for (int key : {65, KEY_LMB, KEY_LSHIFT}) {
        Tap(key);
        Tap(key);
        in->BeginUpdate();
        EXPECT_EQ(in->KeyDown(key), 1) << key;
        EXPECT_EQ(in->KeyHit(key), 2) << key;
        in->EndUpdate();
        in->BeginUpdate();
        EXPECT_EQ(in->KeyDown(key), 0) << key;
        EXPECT_EQ(in->KeyHit(key), 0) << key;
        in->EndUpdate();
    }
    // A release in a later poll than its press takes effect at once, as before.
    in->OnKeyDown(65);
    in->EndUpdate();
    in->OnKeyUp(65);
    EXPECT_EQ(in->KeyDown(65), 0);
    EXPECT_EQ(in->KeyDown(KEY_SHIFT), 0);
}

TEST_F(InputTest, DroppingTheHeldKeysForgetsThemAndTheirReleases) {
    in->OnKeyDown(KEY_LMB);
    in->OnKeyDown(KEY_LSHIFT);
    Tap(65);
    in->PutChar('a');
    EXPECT_FALSE(in->HeldDropped());
    in->DropHeld();
    for (int key : {KEY_LMB, KEY_LSHIFT, KEY_SHIFT, 65}) {
        EXPECT_EQ(in->KeyDown(key), 0) << key;
        EXPECT_EQ(in->KeyHit(key), 0) << key;
    }
    EXPECT_EQ(in->GetChar(), 0);
    EXPECT_TRUE(in->HeldDropped());
    // The window system's releases that follow find nothing held.
    in->OnKeyUp(KEY_LMB);
    in->OnKeyUp(KEY_LSHIFT);
    in->BeginUpdate();
    EXPECT_TRUE(in->HeldDropped()) << "the next update is told";
    EXPECT_EQ(in->KeyDown(KEY_LMB), 0);
    in->EndUpdate();
    EXPECT_FALSE(in->HeldDropped());
    // A new press counts as ever.
    in->OnKeyDown(KEY_LMB);
    EXPECT_EQ(in->KeyHit(KEY_LMB), 1);
}

TEST_F(InputTest, HeldKeyHitsOnceAndStaysDownAcrossUpdates) {
    in->OnKeyDown(65);
    in->OnKeyDown(65);  // a second press of a held key is not a hit
    for (int update = 0; update < 3; ++update) {
        in->BeginUpdate();
        EXPECT_EQ(bb_input_KeyDown(65), 1);
        EXPECT_EQ(bb_input_KeyHit(65), update == 0 ? 1 : 0);
        in->EndUpdate();
    }
    in->OnKeyUp(65);
    EXPECT_EQ(bb_input_KeyDown(65), 0);
}

TEST_F(InputTest, EitherSideKeyHoldsTheCombinedKey) {
    const struct {
        int left, right, combined;
    } pairs[] = {{KEY_LSHIFT, KEY_RSHIFT, KEY_SHIFT}, {KEY_LCONTROL, KEY_RCONTROL, KEY_CONTROL}};
    for (const auto& p : pairs) {
        in->OnKeyDown(p.left);
        in->OnKeyDown(p.right);
        EXPECT_EQ(in->KeyHit(p.combined), 1) << p.combined;
        in->EndUpdate();
        in->OnKeyUp(p.right);
        EXPECT_EQ(in->KeyDown(p.combined), 1) << p.combined;
        in->OnKeyUp(p.left);
        EXPECT_EQ(in->KeyDown(p.combined), 0) << p.combined;
        // The right key alone works too, and releasing it releases the combined key.
        in->OnKeyDown(p.right);
        EXPECT_EQ(in->KeyDown(p.combined), 1) << p.combined;
        EXPECT_EQ(in->KeyHit(p.combined), 1) << p.combined;
        in->EndUpdate();
        in->OnKeyUp(p.right);
        EXPECT_EQ(in->KeyDown(p.combined), 0) << p.combined;
    }
    EXPECT_EQ(in->KeyDown(KEY_LSHIFT) + in->KeyDown(KEY_RCONTROL), 0);
}

TEST_F(InputTest, OutOfRangeCodesReadUpAndAreIgnored) {
    for (int key : {0, -1, 512, 100000, INT_MIN, INT_MAX}) {
        in->OnKeyDown(key);
        EXPECT_EQ(in->KeyDown(key), 0) << key;
        EXPECT_EQ(in->KeyHit(key), 0) << key;
        in->OnKeyUp(key);
    }
    in->OnKeyDown(511);
    EXPECT_EQ(in->KeyDown(511), 1);
}

TEST_F(InputTest, TouchZeroIsTheLeftButtonAndOtherTouchesNeverDown) {
    in->OnKeyDown(KEY_LMB);
    EXPECT_EQ(in->KeyDown(KEY_TOUCH0), 1);
    EXPECT_EQ(in->KeyHit(KEY_TOUCH0), 1);
    EXPECT_EQ(bb_input_TouchDown(0), 1);
    EXPECT_EQ(bb_input_TouchHit(0), 1);
    EXPECT_EQ(bb_input_MouseDown(0), 1);
    EXPECT_EQ(bb_input_MouseHit(0), 1);
    EXPECT_EQ(bb_input_TouchDown(1), 0);
    EXPECT_EQ(bb_input_MouseDown(1), 0);
    in->OnKeyDown(KEY_MMB);
    EXPECT_EQ(bb_input_MouseDown(2), 1);
}

TEST_F(InputTest, CharacterQueueHoldsThirtyTwoPerUpdate) {
    for (int c = 1; c <= INPUT_CHAR_QUEUE + 1; ++c) in->PutChar('@' + c);
    for (int c = 1; c <= INPUT_CHAR_QUEUE; ++c) EXPECT_EQ(bb_input_GetChar(), '@' + c);
    EXPECT_EQ(bb_input_GetChar(), 0);  // the 33rd was dropped
    EXPECT_EQ(bb_input_GetChar(), 0);

    // Unread characters do not survive the update; the next one starts afresh.
    in->EndUpdate();
    in->PutChar('x');
    in->PutChar('y');
    EXPECT_EQ(bb_input_GetChar(), 'x');
    in->EndUpdate();
    EXPECT_EQ(bb_input_GetChar(), 0);
}

TEST_F(InputTest, PointerIsPolledAtUpdateStart) {
    window.cursorX = 123;
    window.cursorY = -45;
    EXPECT_EQ(bb_input_MouseX(), 0.0f);  // not before the update begins
    in->BeginUpdate();
    EXPECT_EQ(bb_input_MouseX(), 123.0f);
    EXPECT_EQ(bb_input_MouseY(), -45.0f);
    EXPECT_EQ(bb_input_TouchX(5), 123.0f);
    EXPECT_EQ(bb_input_TouchY(5), -45.0f);
    EXPECT_EQ(bb_input_AccelX() + bb_input_AccelY() + bb_input_AccelZ(), 0.0f);
    EXPECT_EQ(bb_input_EnableKeyboard(), 0);
    EXPECT_EQ(bb_input_DisableKeyboard(), 0);
}

TEST_F(InputTest, PlacedTouchesReadTheirOwnPlaceAndTheRestThePointer) {
    window.cursorX = 10;
    window.cursorY = 20;
    in->BeginUpdate();
    in->SetTouch(0, 500, 500);  // touch 0 is the pointer: not placed apart
    in->SetTouch(2, 300, 40);
    in->SetTouch(INPUT_TOUCHES, 1, 1);  // beyond the device's touches: ignored
    EXPECT_EQ(bb_input_TouchX(0), 10.0f);
    EXPECT_EQ(bb_input_TouchX(2), 300.0f);
    EXPECT_EQ(bb_input_TouchY(2), 40.0f);
    EXPECT_EQ(bb_input_TouchX(1), 10.0f);
    EXPECT_EQ(bb_input_TouchY(INPUT_TOUCHES), 20.0f);
}

// Six raw axis values, distinct so a mix-up shows.
constexpr float A0 = 0.1f, A1 = 0.2f, A2 = 0.3f, A3 = 0.4f, A4 = 0.5f, A5 = 0.6f, A6 = 0.7f, A7 = 0.8f;

TEST_F(InputTest, JoystickAxesAreRemappedByTheirCount) {
    const struct {
        std::vector<float> raw;
        // Left x, y, z; right x, y (as read: negated), z.
        float lx, ly, lz, rx, ry, rz;
    } cases[] = {
        {{}, 0, 0, 0, 0, 0, 0},
        {{A0, A1}, A0, A1, 0, 0, 0, 0},
        // Four axes: the right stick's y comes in slot 2.
        {{A0, A1, A2, A3}, A0, A1, 0, A3, -A2, 0},
        // Five axes: the right stick's x and y come swapped.
        {{A0, A1, A2, A3, A4}, A0, A1, A2, A4, -A3, 0},
        {{A0, A1, A2, A3, A4, A5}, A0, A1, A2, A3, -A4, A5},
        {{A0, A1, A2, A3, A4, A5, A6, A7}, A0, A1, A2, A3, -A4, A5},
    };
    for (const auto& c : cases) {
        window.axes = c.raw;
        in->BeginUpdate();
        SCOPED_TRACE(testing::Message() << c.raw.size() << " axes");
        EXPECT_FLOAT_EQ(bb_input_JoyX(0), c.lx);
        EXPECT_FLOAT_EQ(bb_input_JoyY(0), c.ly);
        EXPECT_FLOAT_EQ(bb_input_JoyZ(0), c.lz);
        EXPECT_FLOAT_EQ(bb_input_JoyX(1), c.rx);
        EXPECT_FLOAT_EQ(bb_input_JoyY(1), c.ry);
        EXPECT_FLOAT_EQ(bb_input_JoyZ(1), c.rz);
        // Other sticks and other joysticks read centred.
        EXPECT_EQ(bb_input_JoyX(2), 0.0f);
        EXPECT_EQ(bb_input_JoyX(0, 1), 0.0f);
        in->EndUpdate();
    }
}

TEST_F(InputTest, JoystickButtonsAreKeysThatHitOnceWhenTheyGoDown) {
    window.buttons.assign(INPUT_JOY_BUTTONS, 0);
    window.buttons[0] = GLFW_PRESS;
    window.buttons[31] = GLFW_PRESS;
    for (int update = 0; update < 2; ++update) {
        in->BeginUpdate();
        EXPECT_EQ(bb_input_JoyDown(0), 1);
        EXPECT_EQ(in->KeyDown(KEY_JOY0_A + 31), 1);
        EXPECT_EQ(bb_input_JoyHit(0), update == 0 ? 1 : 0);
        EXPECT_EQ(bb_input_JoyDown(1), 0);
        // Joystick 2 has no buttons.
        EXPECT_EQ(bb_input_JoyDown(0, 1), 0);
        in->EndUpdate();
    }
    window.buttons[0] = 0;
    in->BeginUpdate();
    EXPECT_EQ(bb_input_JoyDown(0), 0);
    EXPECT_EQ(bb_input_JoyHit(0), 0);
}

// A pad the window system recognises reads in one layout whatever its raw
// numbering, and a joystick it does not recognise keeps the raw reading.
TEST_F(InputTest, RecognisedPadReadsInTheFixedLayoutAndRawJoysticksAsReported) {
    constexpr int NONE = -1;
    const struct {
        int padButton;
        int joyButton;
    } buttons[] = {
        {GLFW_GAMEPAD_BUTTON_A, 0},
        {GLFW_GAMEPAD_BUTTON_B, 1},
        {GLFW_GAMEPAD_BUTTON_X, 2},
        {GLFW_GAMEPAD_BUTTON_Y, 3},
        {GLFW_GAMEPAD_BUTTON_LEFT_BUMPER, 4},
        {GLFW_GAMEPAD_BUTTON_RIGHT_BUMPER, 5},
        {GLFW_GAMEPAD_BUTTON_BACK, 6},
        {GLFW_GAMEPAD_BUTTON_START, 7},
        {GLFW_GAMEPAD_BUTTON_DPAD_LEFT, 8},
        {GLFW_GAMEPAD_BUTTON_DPAD_UP, 9},
        {GLFW_GAMEPAD_BUTTON_DPAD_RIGHT, 10},
        {GLFW_GAMEPAD_BUTTON_DPAD_DOWN, 11},
        {GLFW_GAMEPAD_BUTTON_GUIDE, NONE},
        {GLFW_GAMEPAD_BUTTON_LEFT_THUMB, NONE},
        {GLFW_GAMEPAD_BUTTON_RIGHT_THUMB, NONE},
    };
    // The pad's raw reading, which its mapping replaces: button 0 held, four axes.
    window.buttons = {GLFW_PRESS};
    window.axes = {A4, A5, A6, A7};
    window.isGamepad = true;
    window.gamepad.axes[GLFW_GAMEPAD_AXIS_LEFT_X] = A0;
    window.gamepad.axes[GLFW_GAMEPAD_AXIS_LEFT_Y] = A1;
    window.gamepad.axes[GLFW_GAMEPAD_AXIS_RIGHT_X] = A2;
    window.gamepad.axes[GLFW_GAMEPAD_AXIS_RIGHT_Y] = A3;
    window.gamepad.axes[GLFW_GAMEPAD_AXIS_LEFT_TRIGGER] = A4;
    window.gamepad.axes[GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER] = A5;
    for (const auto& c : buttons) {
        SCOPED_TRACE(testing::Message() << "pad button " << c.padButton);
        window.gamepad.buttons[c.padButton] = GLFW_PRESS;
        in->BeginUpdate();
        for (int b = 0; b < INPUT_JOY_BUTTONS; ++b)
            EXPECT_EQ(bb_input_JoyDown(b), b == c.joyButton ? 1 : 0) << b;
        EXPECT_FLOAT_EQ(bb_input_JoyX(0), A0);
        EXPECT_FLOAT_EQ(bb_input_JoyY(0), A1);
        EXPECT_FLOAT_EQ(bb_input_JoyZ(0), A4);
        EXPECT_FLOAT_EQ(bb_input_JoyX(1), A2);
        EXPECT_FLOAT_EQ(bb_input_JoyY(1), -A3);
        EXPECT_FLOAT_EQ(bb_input_JoyZ(1), A5);
        window.gamepad.buttons[c.padButton] = GLFW_RELEASE;
        in->EndUpdate();
    }
    // Unrecognised, the same joystick reads raw: button 0 and the four-axis remapping.
    window.isGamepad = false;
    in->BeginUpdate();
    EXPECT_EQ(bb_input_JoyDown(0), 1);
    EXPECT_FLOAT_EQ(bb_input_JoyX(0), A4);
    EXPECT_FLOAT_EQ(bb_input_JoyY(1), -A6);
    EXPECT_EQ(bb_input_JoyZ(0), 0.0f);
}

}  // namespace
