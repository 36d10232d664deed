// The framework's input functions: thin readers of bb_input_device.
#include "input/input.h"

gxtkInput* bb_input_device = nullptr;

namespace {
// Joystick units and touch points are folded into one index: unit * 16 + n.
constexpr int JOY_UNIT_STRIDE = 16;
}  // namespace

int bb_input_SetInputDevice(gxtkInput* device) {
    gc_assign(bb_input_device, device);
    return 0;
}

int bb_input_EnableKeyboard() {
    return bb_input_device->SetKeyboardEnabled(1);
}

int bb_input_DisableKeyboard() {
    return bb_input_device->SetKeyboardEnabled(0);
}

int bb_input_KeyDown(int key) {
    return bb_input_device->KeyDown(key);
}

int bb_input_KeyHit(int key) {
    return bb_input_device->KeyHit(key);
}

int bb_input_GetChar() {
    return bb_input_device->GetChar();
}

float bb_input_MouseX() {
    return bb_input_device->MouseX();
}

float bb_input_MouseY() {
    return bb_input_device->MouseY();
}

int bb_input_MouseDown(int button) {
    return bb_input_device->KeyDown(KEY_LMB + button);
}

int bb_input_MouseHit(int button) {
    return bb_input_device->KeyHit(KEY_LMB + button);
}

float bb_input_TouchX(int index) {
    return bb_input_device->TouchX(index);
}

float bb_input_TouchY(int index) {
    return bb_input_device->TouchY(index);
}

// Touches other than 0 read key codes that nothing ever presses.
int bb_input_TouchDown(int index) {
    return bb_input_device->KeyDown(KEY_TOUCH0 + index);
}

int bb_input_TouchHit(int index) {
    return bb_input_device->KeyHit(KEY_TOUCH0 + index);
}

float bb_input_JoyX(int index, int unit) {
    return bb_input_device->JoyX(index | unit * JOY_UNIT_STRIDE);
}

float bb_input_JoyY(int index, int unit) {
    return bb_input_device->JoyY(index | unit * JOY_UNIT_STRIDE);
}

float bb_input_JoyZ(int index, int unit) {
    return bb_input_device->JoyZ(index | unit * JOY_UNIT_STRIDE);
}

int bb_input_JoyDown(int button, int unit) {
    return bb_input_device->KeyDown(KEY_JOY0_A | button | unit * JOY_UNIT_STRIDE);
}

int bb_input_JoyHit(int button, int unit) {
    return bb_input_device->KeyHit(KEY_JOY0_A | button | unit * JOY_UNIT_STRIDE);
}

float bb_input_AccelX() {
    return bb_input_device->AccelX();
}

float bb_input_AccelY() {
    return bb_input_device->AccelY();
}

float bb_input_AccelZ() {
    return bb_input_device->AccelZ();
}
