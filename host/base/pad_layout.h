// Game pads as a browser reports them. A pad the browser knows is given in
// its "standard" layout (buttons: A, B, X, Y, the shoulders, the triggers,
// Back, Start, the thumb clicks, the d-pad up, down, left, right, Guide; axes:
// the left stick's x and y, then the right stick's), which is not the window
// system's pad order the input device reads. map_standard_pad reorders it.
#ifndef MOXEL_HOST_BASE_PAD_LAYOUT_H
#define MOXEL_HOST_BASE_PAD_LAYOUT_H

#include "host/base/window.h"

namespace host {

constexpr int STANDARD_PAD_BUTTONS = 17;
constexpr int STANDARD_PAD_AXES = 4;

struct StandardPad {
    int buttonCount = 0;
    int axisCount = 0;
    bool pressed[STANDARD_PAD_BUTTONS] = {};
    double value[STANDARD_PAD_BUTTONS] = {};  // 0 to 1; the triggers are analog
    double axes[STANDARD_PAD_AXES] = {};
};

// Fills `pad` in the window system's order: buttons in GamepadState's order
// and the triggers as axes from -1 (released) to 1 (pulled). Controls the
// browser did not report read as released and centred.
void map_standard_pad(const StandardPad& in, GamepadState* pad);

}  // namespace host

#endif
