// The browser's standard pad layout in the window system's pad order.
#include "host/base/pad_layout.h"

namespace host {

namespace {

// For each of the window system's pad buttons, the standard layout's button.
const int STANDARD_BUTTON_OF[GAMEPAD_BUTTONS] = {
    0,   // A
    1,   // B
    2,   // X
    3,   // Y
    4,   // left shoulder
    5,   // right shoulder
    8,   // Back
    9,   // Start
    16,  // Guide
    10,  // left thumb
    11,  // right thumb
    12,  // d-pad up
    15,  // d-pad right
    13,  // d-pad down
    14,  // d-pad left
};
constexpr int STANDARD_LEFT_TRIGGER = 6;
constexpr int STANDARD_RIGHT_TRIGGER = 7;

float trigger_axis(const StandardPad& in, int button) {
    if (button >= in.buttonCount) return -1.0f;
    double v = in.value[button];
    if (!(v > 0.0)) v = 0.0;
    if (v > 1.0) v = 1.0;
    return static_cast<float>(v * 2.0 - 1.0);
}

}  // namespace

void map_standard_pad(const StandardPad& in, GamepadState* pad) {
    for (int i = 0; i < GAMEPAD_BUTTONS; ++i) {
        const int b = STANDARD_BUTTON_OF[i];
        pad->buttons[i] = b < in.buttonCount && in.pressed[b] ? 1 : 0;
    }
    for (int i = 0; i < STANDARD_PAD_AXES; ++i) {
        const double v = i < in.axisCount ? in.axes[i] : 0.0;
        pad->axes[i] = v > 1.0 ? 1.0f : v < -1.0 ? -1.0f : static_cast<float>(v);
    }
    pad->axes[PAD_AXIS_LEFT_TRIGGER] = trigger_axis(in, STANDARD_LEFT_TRIGGER);
    pad->axes[PAD_AXIS_RIGHT_TRIGGER] = trigger_axis(in, STANDARD_RIGHT_TRIGGER);
}

}  // namespace host
