// gxtkInput: the key table, the character queue and the pointer and joystick poll.
//
// Key codes arrive already translated (TransKey) from the host's callbacks.
// GLFW 3 numbers its keys by physical position on a US keyboard, so the table
// below maps those numbers to the program's codes; keys the program has no code
// for (F13 and above, Alt, Super, the keypad, the two "world" keys) give 0.
#include "input/input_device.h"

#include <GLFW/glfw3.h>

#include <array>
#include <iterator>

#include "host/base/window.h"

namespace {

// The two punctuation codes that two keys of the table share.
constexpr unsigned char KEY_BACKQUOTE = 192;
constexpr unsigned char KEY_QUOTES = 222;

// A translation table indexed by GLFW 3 key code, built at compile time.
using KeyTable = std::array<unsigned char, GLFW_KEY_LAST + 1>;

constexpr KeyTable build_key_table() {
    KeyTable t{};
    t[GLFW_KEY_SPACE] = KEY_SPACE;
    for (int k = GLFW_KEY_0; k <= GLFW_KEY_9; ++k) t[k] = static_cast<unsigned char>(k);
    for (int k = GLFW_KEY_A; k <= GLFW_KEY_Z; ++k) t[k] = static_cast<unsigned char>(k);
    // Punctuation takes the codes its keys have on a US keyboard elsewhere.
    t[GLFW_KEY_SEMICOLON] = 186;
    t[GLFW_KEY_EQUAL] = 187;
    t[GLFW_KEY_COMMA] = 188;
    t[GLFW_KEY_MINUS] = 189;
    t[GLFW_KEY_PERIOD] = 190;
    t[GLFW_KEY_SLASH] = 191;
    t[GLFW_KEY_GRAVE_ACCENT] = KEY_BACKQUOTE;
    t[GLFW_KEY_LEFT_BRACKET] = 219;
    t[GLFW_KEY_BACKSLASH] = 220;
    t[GLFW_KEY_RIGHT_BRACKET] = 221;
    t[GLFW_KEY_APOSTROPHE] = KEY_QUOTES;
    // The shifted forms, '~' and '"', as an older numbering reported them; GLFW 3
    // gives these numbers to no other key.
    t['~'] = KEY_BACKQUOTE;
    t['"'] = KEY_QUOTES;
    t[GLFW_KEY_ESCAPE] = KEY_ESCAPE;
    t[GLFW_KEY_ENTER] = KEY_ENTER;
    t[GLFW_KEY_TAB] = KEY_TAB;
    t[GLFW_KEY_BACKSPACE] = KEY_BACKSPACE;
    t[GLFW_KEY_INSERT] = KEY_INSERT;
    t[GLFW_KEY_DELETE] = KEY_DELETE;
    t[GLFW_KEY_RIGHT] = KEY_RIGHT;
    t[GLFW_KEY_LEFT] = KEY_LEFT;
    t[GLFW_KEY_DOWN] = KEY_DOWN;
    t[GLFW_KEY_UP] = KEY_UP;
    t[GLFW_KEY_PAGE_UP] = KEY_PAGEUP;
    t[GLFW_KEY_PAGE_DOWN] = KEY_PAGEDOWN;
    t[GLFW_KEY_HOME] = KEY_HOME;
    t[GLFW_KEY_END] = KEY_END;
    for (int k = GLFW_KEY_F1; k <= GLFW_KEY_F12; ++k)
        t[k] = static_cast<unsigned char>(KEY_F1 + k - GLFW_KEY_F1);
    t[GLFW_KEY_LEFT_SHIFT] = KEY_LSHIFT;
    t[GLFW_KEY_RIGHT_SHIFT] = KEY_RSHIFT;
    t[GLFW_KEY_LEFT_CONTROL] = KEY_LCONTROL;
    t[GLFW_KEY_RIGHT_CONTROL] = KEY_RCONTROL;
    return t;
}

constexpr KeyTable KEY_TABLE = build_key_table();

bool in_range(int key) {
    return key > 0 && key < INPUT_KEY_CODES;
}

// After a side key changes, the combined key (16 or 17) it feeds, or 0.
int combined_key(int key) {
    if (key == KEY_LSHIFT || key == KEY_RSHIFT) return KEY_SHIFT;
    if (key == KEY_LCONTROL || key == KEY_RCONTROL) return KEY_CONTROL;
    return 0;
}

// Joystick axis layouts: with four axes the right stick's y sits in slot 2,
// with five the right stick's x and y come swapped.
constexpr int AXES_FOUR = 4;
constexpr int AXES_FIVE = 5;
constexpr int AXIS_LEFT_Z = 2;
constexpr int AXIS_RIGHT_X = 3;
constexpr int AXIS_RIGHT_Y = 4;
constexpr int AXIS_RIGHT_Z = 5;
constexpr unsigned char BUTTON_PRESSED = 1;

// ---- Game pads ----
// Raw button numbers differ from pad to pad, so a pad the window system has a
// mapping for is presented in one layout that the play controls' joystick
// buttons fit: A, B, X, Y are buttons 0-3, the shoulders 4 and 5, Back 6,
// Start 7, and the d-pad's left, up, right and down 8-11.
constexpr int PAD_LAYOUT_BUTTONS[] = {
    host::PAD_BUTTON_A,
    host::PAD_BUTTON_B,
    host::PAD_BUTTON_X,
    host::PAD_BUTTON_Y,
    host::PAD_BUTTON_LEFT_SHOULDER,
    host::PAD_BUTTON_RIGHT_SHOULDER,
    host::PAD_BUTTON_BACK,
    host::PAD_BUTTON_START,
    host::PAD_BUTTON_DPAD_LEFT,
    host::PAD_BUTTON_DPAD_UP,
    host::PAD_BUTTON_DPAD_RIGHT,
    host::PAD_BUTTON_DPAD_DOWN,
};
// The sticks in the six-axis order the device keeps (left x, y, z, right x, y,
// z), the triggers standing in for the z axes; six axes need no remapping.
constexpr int PAD_LAYOUT_AXES[] = {
    host::PAD_AXIS_LEFT_X,  host::PAD_AXIS_LEFT_Y,  host::PAD_AXIS_LEFT_TRIGGER,
    host::PAD_AXIS_RIGHT_X, host::PAD_AXIS_RIGHT_Y, host::PAD_AXIS_RIGHT_TRIGGER,
};
constexpr int PAD_BUTTON_COUNT = static_cast<int>(std::size(PAD_LAYOUT_BUTTONS));
constexpr int PAD_AXIS_COUNT = static_cast<int>(std::size(PAD_LAYOUT_AXES));
static_assert(PAD_AXIS_COUNT == INPUT_JOY_AXES, "a pad fills every axis the device keeps");

// Joystick 1 as BeginUpdate reads it: raw axes before their remapping, and buttons.
struct JoystickReading {
    float axes[host::JOYSTICK_MAX_AXES] = {};
    int axisCount = 0;
    unsigned char buttons[INPUT_JOY_BUTTONS] = {};
    int buttonCount = 0;
};

// A recognised pad in the fixed layout; any other joystick as the window system reports it.
void read_joystick(host::WindowSystem& ws, JoystickReading* r) {
    host::GamepadState pad;
    if (ws.GetGamepad(&pad)) {
        for (int i = 0; i < PAD_BUTTON_COUNT; ++i) r->buttons[i] = pad.buttons[PAD_LAYOUT_BUTTONS[i]];
        for (int i = 0; i < PAD_AXIS_COUNT; ++i) r->axes[i] = pad.axes[PAD_LAYOUT_AXES[i]];
        r->buttonCount = PAD_BUTTON_COUNT;
        r->axisCount = PAD_AXIS_COUNT;
        return;
    }
    // The seam reports how many axes it delivered, up to its own maximum, so a
    // stick with more than six never looks like one of the remapped layouts.
    r->axisCount = ws.GetJoystickAxes(r->axes, host::JOYSTICK_MAX_AXES);
    r->buttonCount = ws.GetJoystickButtons(r->buttons, INPUT_JOY_BUTTONS);
}

}  // namespace

gxtkInput::gxtkInput()
    : keyStates(),
      charQueue(),
      charPut(0),
      charGet(0),
      mouseX(0),
      mouseY(0),
      joyAxes(),
      touchX(),
      touchY(),
      touchPlaced(),
      heldDropped(false) {}

int gxtkInput::SetKeyboardEnabled(int) {
    return 0;
}

int gxtkInput::KeyDown(int key) {
    if (key == KEY_TOUCH0) key = KEY_LMB;
    if (!in_range(key)) return 0;
    return (keyStates[key] & (KEY_STATE_DOWN | KEY_STATE_PRESSED)) ? 1 : 0;
}

int gxtkInput::KeyHit(int key) {
    if (key == KEY_TOUCH0) key = KEY_LMB;
    if (!in_range(key)) return 0;
    return keyStates[key] & KEY_STATE_HITS;
}

int gxtkInput::GetChar() {
    if (charGet < charPut) return charQueue[charGet++];
    return 0;
}

float gxtkInput::MouseX() {
    return mouseX;
}

float gxtkInput::MouseY() {
    return mouseY;
}

float gxtkInput::JoyX(int index) {
    if (index == 0) return joyAxes[0];
    if (index == 1) return joyAxes[AXIS_RIGHT_X];
    return 0;
}

// NOTE: only the right stick's y is negated; the left stick's comes as delivered.
float gxtkInput::JoyY(int index) {
    if (index == 0) return joyAxes[1];
    if (index == 1) return -joyAxes[AXIS_RIGHT_Y];
    return 0;
}

float gxtkInput::JoyZ(int index) {
    if (index == 0) return joyAxes[AXIS_LEFT_Z];
    if (index == 1) return joyAxes[AXIS_RIGHT_Z];
    return 0;
}

// Touch 0 is the pointer; a touch the window system never placed reads it too.
float gxtkInput::TouchX(int index) {
    if (index > 0 && index < INPUT_TOUCHES && touchPlaced[index]) return touchX[index];
    return mouseX;
}

float gxtkInput::TouchY(int index) {
    if (index > 0 && index < INPUT_TOUCHES && touchPlaced[index]) return touchY[index];
    return mouseY;
}

void gxtkInput::SetTouch(int index, float x, float y) {
    if (index <= 0 || index >= INPUT_TOUCHES) return;
    touchX[index] = x;
    touchY[index] = y;
    touchPlaced[index] = true;
}

float gxtkInput::AccelX() {
    return 0;
}

float gxtkInput::AccelY() {
    return 0;
}

float gxtkInput::AccelZ() {
    return 0;
}

void gxtkInput::BeginUpdate() {
    host::WindowSystem& ws = host::window();

    int x = 0, y = 0;
    ws.GetCursorPos(&x, &y);
    mouseX = static_cast<float>(x);
    mouseY = static_cast<float>(y);

    JoystickReading joy;
    read_joystick(ws, &joy);
    const int axisCount = joy.axisCount;
    for (int i = 0; i < INPUT_JOY_AXES; ++i) joyAxes[i] = i < axisCount ? joy.axes[i] : 0.0f;

    if (axisCount == AXES_FOUR) {
        joyAxes[AXIS_RIGHT_Y] = joyAxes[AXIS_LEFT_Z];
        joyAxes[AXIS_LEFT_Z] = 0;
    } else if (axisCount == AXES_FIVE) {
        float rx = joyAxes[AXIS_RIGHT_X];
        joyAxes[AXIS_RIGHT_X] = joyAxes[AXIS_RIGHT_Y];
        joyAxes[AXIS_RIGHT_Y] = rx;
    }

    // A held button counts one hit when it goes down, like a key.
    for (int b = 0; b < joy.buttonCount; ++b) {
        if (joy.buttons[b] == BUTTON_PRESSED) {
            Press(KEY_JOY0_A + b);
        } else {
            Release(KEY_JOY0_A + b);
        }
    }
}

void gxtkInput::EndUpdate() {
    // A held key stays down; a key released before this update saw it reads up from now on.
    for (int& state : keyStates) state &= KEY_STATE_DOWN;
    charPut = 0;
    charGet = 0;
    heldDropped = false;
}

void gxtkInput::DropHeld() {
    for (int& state : keyStates) state = 0;
    charPut = 0;
    charGet = 0;
    heldDropped = true;
}

void gxtkInput::OnKeyDown(int key) {
    if (in_range(key)) Press(key);
}

void gxtkInput::OnKeyUp(int key) {
    if (in_range(key)) Release(key);
}

void gxtkInput::Press(int key) {
    while (key != 0) {
        int& state = keyStates[key];
        if (state & KEY_STATE_DOWN) return;
        // The hit count lives in the low byte; a 256th press within one update
        // must not spill into the down bit.
        state = KEY_STATE_DOWN | KEY_STATE_PRESSED | ((state + 1) & KEY_STATE_HITS);
        key = combined_key(key);
    }
}

void gxtkInput::Release(int key) {
    while (key != 0) {
        int& state = keyStates[key];
        if (!(state & KEY_STATE_DOWN)) return;
        // The press mark stays: an update that has not yet run still sees the key down.
        state &= ~KEY_STATE_DOWN;
        int combined = combined_key(key);
        if (combined == KEY_SHIFT && (IsHeld(KEY_LSHIFT) || IsHeld(KEY_RSHIFT))) return;
        if (combined == KEY_CONTROL && (IsHeld(KEY_LCONTROL) || IsHeld(KEY_RCONTROL))) return;
        key = combined;
    }
}

bool gxtkInput::IsHeld(int key) const {
    return (keyStates[key] & KEY_STATE_DOWN) != 0;
}

void gxtkInput::PutChar(int chr) {
    if (charPut < INPUT_CHAR_QUEUE) charQueue[charPut++] = chr;
}

int gxtkInput::TransKey(int glfw_key) {
    if (glfw_key < 0 || glfw_key > GLFW_KEY_LAST) return 0;
    return KEY_TABLE[glfw_key];
}

int gxtkInput::KeyToChar(int key) {
    switch (key) {
        case KEY_BACKSPACE:
        case KEY_TAB:
        case KEY_ENTER:
        case KEY_ESCAPE:
            return key;
        case KEY_PAGEUP:
        case KEY_PAGEDOWN:
        case KEY_END:
        case KEY_HOME:
        case KEY_LEFT:
        case KEY_UP:
        case KEY_RIGHT:
        case KEY_DOWN:
        case KEY_INSERT:
            return CHAR_EDITING_KEY + key;
        case KEY_DELETE:
            return CHAR_DELETE;
        default:
            return 0;
    }
}
