// A window system for tests that drive input: a pointer position and joystick 1
// (raw, or a recognised game pad) the test sets, everything else as the null
// window system has it.
//
// Install with host::set_window(&fake) and restore with host::set_window(nullptr).
#ifndef MOXEL_TESTS_INPUT_FAKE_INPUT_WINDOW_H
#define MOXEL_TESTS_INPUT_FAKE_INPUT_WINDOW_H

#include <algorithm>
#include <vector>

#include "host/base/window.h"

class FakeInputWindow : public host::NullWindowSystem {
  public:
    int cursorX = 0;
    int cursorY = 0;
    // Empty when no joystick is plugged in.
    std::vector<float> axes;
    std::vector<unsigned char> buttons;
    // When set, joystick 1 is a pad the window system has a mapping for.
    bool isGamepad = false;
    host::GamepadState gamepad = {};

    void GetCursorPos(int* x, int* y) override {
        *x = cursorX;
        *y = cursorY;
    }
    // Like the GLFW implementation: copies and reports at most `max`.
    int GetJoystickAxes(float* out, int max) override { return Copy(axes, out, max); }
    int GetJoystickButtons(unsigned char* out, int max) override { return Copy(buttons, out, max); }
    bool GetGamepad(host::GamepadState* pad) override {
        if (isGamepad) *pad = gamepad;
        return isGamepad;
    }

  private:
    template <typename T>
    static int Copy(const std::vector<T>& from, T* out, int max) {
        int n = std::min(static_cast<int>(from.size()), max);
        std::copy(from.begin(), from.begin() + n, out);
        return n;
    }
};

#endif
