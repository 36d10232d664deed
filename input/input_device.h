// gxtkInput: keys, mouse, joystick and typed characters under one key numbering.
//
// The host feeds the device the window system's key, character and mouse-button
// events as they arrive and brackets every update with BeginUpdate, which polls
// the pointer and joystick 1 through host::window(), and EndUpdate, which
// forgets the presses and characters of the update but keeps which keys are held.
//
// Key codes (the index into keyStates): 1-3 mouse buttons (left is also touch 0),
// 8 Backspace, 9 Tab, 13 Enter, 16 either Shift, 17 either Control, 27 Escape,
// 32 Space, 33-40 Page Up, Page Down, End, Home and the arrows (left, up, right,
// down), 45 Insert, 46 Delete, 48-57 digits, 65-90 letters, 112-123 F1-F12,
// 160/161 left/right Shift, 162/163 left/right Control, 186-192 and 219-222
// punctuation, 256-287 joystick 1 buttons, 384 touch 0 (reads as code 1).
// A game pad the window system recognises always gives the same buttons:
// 256-259 A, B, X, Y, 260/261 the shoulders, 262 Back, 263 Start, 264-267 the
// d-pad's left, up, right and down.
#ifndef MOXEL_INPUT_INPUT_DEVICE_H
#define MOXEL_INPUT_INPUT_DEVICE_H

#include "host/base/gxtk_object.h"

constexpr int INPUT_KEY_CODES = 512;
constexpr int INPUT_CHAR_QUEUE = 32;
constexpr int INPUT_JOY_AXES = 6;
constexpr int INPUT_JOY_BUTTONS = 32;
// Touches with a place of their own (touch 0 is the pointer).
constexpr int INPUT_TOUCHES = 32;

// Key codes other code names.
constexpr int KEY_LMB = 1;
constexpr int KEY_RMB = 2;
constexpr int KEY_MMB = 3;
constexpr int KEY_BACKSPACE = 8;
constexpr int KEY_TAB = 9;
constexpr int KEY_ENTER = 13;
constexpr int KEY_SHIFT = 16;
constexpr int KEY_CONTROL = 17;
constexpr int KEY_ESCAPE = 27;
constexpr int KEY_SPACE = 32;
constexpr int KEY_PAGEUP = 33;
constexpr int KEY_PAGEDOWN = 34;
constexpr int KEY_END = 35;
constexpr int KEY_HOME = 36;
constexpr int KEY_LEFT = 37;
constexpr int KEY_UP = 38;
constexpr int KEY_RIGHT = 39;
constexpr int KEY_DOWN = 40;
constexpr int KEY_INSERT = 45;
constexpr int KEY_DELETE = 46;
constexpr int KEY_F1 = 112;
constexpr int KEY_LSHIFT = 160;
constexpr int KEY_RSHIFT = 161;
constexpr int KEY_LCONTROL = 162;
constexpr int KEY_RCONTROL = 163;
constexpr int KEY_JOY0_A = 256;  // joystick 1, button 0; button n is 256 + n
constexpr int KEY_TOUCH0 = 384;

// Bit 8 of a key state: the key is down now. Bits 0-7 count presses.
constexpr int KEY_STATE_DOWN = 0x100;
constexpr int KEY_STATE_HITS = 0xff;
// Bit 9: the key went down since the last update ended. A tap or a touchpad
// click delivers its press and release in one event poll; the key still reads
// down for the update after it, so no update misses the press.
constexpr int KEY_STATE_PRESSED = 0x200;

// Characters queued for non-printing editing keys are 65536 + key code.
constexpr int CHAR_EDITING_KEY = 0x10000;
constexpr int CHAR_DELETE = 127;

class gxtkInput : public gxtkObject {
  public:
    gxtkInput();

    virtual int SetKeyboardEnabled(int enabled);
    virtual int KeyDown(int key);
    virtual int KeyHit(int key);
    virtual int GetChar();
    virtual float MouseX();
    virtual float MouseY();
    virtual float JoyX(int index);
    virtual float JoyY(int index);
    virtual float JoyZ(int index);
    virtual float TouchX(int index);
    virtual float TouchY(int index);
    virtual float AccelX();
    virtual float AccelY();
    virtual float AccelZ();

    // Polls the pointer and joystick 1; at the start of every update.
    void BeginUpdate();
    // Clears hit counts, the character queue and the marks of keys that went
    // down during the update's poll; after every update.
    void EndUpdate();
    void OnKeyDown(int key);
    void OnKeyUp(int key);
    // Places touch `index` (1 and up; 0 is the pointer) at window pixel (x, y),
    // for a touch screen whose fingers the window system tells apart. A touch
    // never placed reads the pointer's place, as every touch does on a desktop.
    void SetTouch(int index, float x, float y);
    // Queues a typed character; a character beyond the 32nd of an update is dropped.
    void PutChar(int chr);
    // The window lost the keyboard and pointer (focus gone, iconified): every
    // held key and button is let go without a release, its presses and the
    // typed characters are forgotten, and the next update is told so. The
    // release the window system sends afterwards then finds nothing held.
    void DropHeld();
    // Whether DropHeld ran since the last update ended.
    bool HeldDropped() const { return heldDropped; }

    // Program key code for a GLFW 3 key code; 0 when the key has none.
    static int TransKey(int glfw_key);
    // The character a press of a key code also queues, or 0.
    static int KeyToChar(int key);

    int keyStates[INPUT_KEY_CODES];
    int charQueue[INPUT_CHAR_QUEUE];
    int charPut;
    int charGet;
    float mouseX;
    float mouseY;
    float joyAxes[INPUT_JOY_AXES];
    float touchX[INPUT_TOUCHES];
    float touchY[INPUT_TOUCHES];
    bool touchPlaced[INPUT_TOUCHES];
    bool heldDropped;

  private:
    // The press and release steps, without the bounds check of the public entries.
    void Press(int key);
    void Release(int key);
    // Whether the key is physically held, apart from a press the update has yet to see.
    bool IsHeld(int key) const;
};

#endif
