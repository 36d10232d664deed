// The browser's pads and fingers as the input device gets them: the standard
// pad layout reordered into the window system's, and touch numbers that stay
// with their fingers.
#include <gtest/gtest.h>

#include "host/base/pad_layout.h"
#include "host/base/touch_slots.h"

namespace {

TEST(StandardPad, ButtonsAndTriggersLandInThePadOrder) {
    host::StandardPad in;
    in.buttonCount = host::STANDARD_PAD_BUTTONS;
    in.axisCount = host::STANDARD_PAD_AXES;
    in.pressed[1] = true;   // B
    in.pressed[8] = true;   // Back (the triggers sit between the shoulders and it)
    in.pressed[15] = true;  // d-pad right
    in.pressed[16] = true;  // Guide
    in.value[7] = 0.75;     // right trigger, three quarters pulled
    in.axes[1] = -0.5;      // left stick up
    in.axes[3] = 2.0;       // out of range
    host::GamepadState pad;
    host::map_standard_pad(in, &pad);
    for (int i = 0; i < host::GAMEPAD_BUTTONS; ++i) {
        const bool want = i == host::PAD_BUTTON_B || i == host::PAD_BUTTON_BACK ||
                          i == host::PAD_BUTTON_DPAD_RIGHT || i == host::PAD_BUTTON_GUIDE;
        EXPECT_EQ(pad.buttons[i], want ? 1 : 0) << "button " << i;
    }
    EXPECT_FLOAT_EQ(pad.axes[host::PAD_AXIS_LEFT_Y], -0.5f);
    EXPECT_FLOAT_EQ(pad.axes[host::PAD_AXIS_RIGHT_Y], 1.0f);
    EXPECT_FLOAT_EQ(pad.axes[host::PAD_AXIS_LEFT_TRIGGER], -1.0f) << "a released trigger reads -1";
    EXPECT_FLOAT_EQ(pad.axes[host::PAD_AXIS_RIGHT_TRIGGER], 0.5f);
}

TEST(StandardPad, ControlsThePadLacksReadReleased) {
    host::StandardPad in;
    in.buttonCount = 4;  // A, B, X, Y only, no axes
    in.pressed[0] = true;
    host::GamepadState pad;
    host::map_standard_pad(in, &pad);
    EXPECT_EQ(pad.buttons[host::PAD_BUTTON_A], 1);
    EXPECT_EQ(pad.buttons[host::PAD_BUTTON_START], 0);
    EXPECT_FLOAT_EQ(pad.axes[host::PAD_AXIS_LEFT_X], 0.0f);
    EXPECT_FLOAT_EQ(pad.axes[host::PAD_AXIS_RIGHT_TRIGGER], -1.0f);
}

TEST(TouchSlots, TheFirstFingerIsThePointerAndNumbersStayWithTheirFingers) {
    host::TouchSlots t;
    EXPECT_EQ(t.Begin(70), 0);
    EXPECT_EQ(t.Begin(71), 1);
    EXPECT_EQ(t.Begin(72), 2);
    EXPECT_EQ(t.Begin(71), host::TOUCH_NONE) << "a finger already down";
    EXPECT_EQ(t.End(71), 1);
    EXPECT_EQ(t.Find(72), 2) << "the others keep their numbers";
    EXPECT_EQ(t.End(70), 0);
    // The pointer lifted: the next finger down becomes it, then the free 1.
    EXPECT_EQ(t.Begin(80), 0);
    EXPECT_EQ(t.Begin(81), 1);
    EXPECT_EQ(t.End(99), host::TOUCH_NONE);
    for (long f = 100; f < 100 + host::TOUCH_SLOTS; ++f) t.Begin(f);
    EXPECT_EQ(t.Begin(500), host::TOUCH_NONE) << "every number taken";
}

}  // namespace
