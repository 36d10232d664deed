// The seam between the program and the window system.
//
// The run loop, the graphics device and the input device reach the window,
// the clock and the joystick only through this interface. The program uses the
// GLFW implementation (glfw_window.cpp); tests install a scripted one so the
// loop's timing can be driven without a window or real time.
#ifndef MOXEL_HOST_BASE_WINDOW_H
#define MOXEL_HOST_BASE_WINDOW_H

namespace host {

constexpr int JOYSTICK_MAX_AXES = 8;

// A game pad read through the window system's pad mappings, which name each
// physical control whatever raw number the pad gives it. Buttons and axes come
// in the window system's own pad order (A, B, X, Y, the shoulders, Back, Start,
// Guide, the thumb clicks, then the d-pad up, right, down, left; the left
// stick's x and y, the right stick's, then the two triggers).
constexpr int GAMEPAD_BUTTONS = 15;
constexpr int GAMEPAD_AXES = 6;

// Places in that order.
constexpr int PAD_BUTTON_A = 0;
constexpr int PAD_BUTTON_B = 1;
constexpr int PAD_BUTTON_X = 2;
constexpr int PAD_BUTTON_Y = 3;
constexpr int PAD_BUTTON_LEFT_SHOULDER = 4;
constexpr int PAD_BUTTON_RIGHT_SHOULDER = 5;
constexpr int PAD_BUTTON_BACK = 6;
constexpr int PAD_BUTTON_START = 7;
constexpr int PAD_BUTTON_GUIDE = 8;
constexpr int PAD_BUTTON_LEFT_THUMB = 9;
constexpr int PAD_BUTTON_RIGHT_THUMB = 10;
constexpr int PAD_BUTTON_DPAD_UP = 11;
constexpr int PAD_BUTTON_DPAD_RIGHT = 12;
constexpr int PAD_BUTTON_DPAD_DOWN = 13;
constexpr int PAD_BUTTON_DPAD_LEFT = 14;
constexpr int PAD_AXIS_LEFT_X = 0;
constexpr int PAD_AXIS_LEFT_Y = 1;
constexpr int PAD_AXIS_RIGHT_X = 2;
constexpr int PAD_AXIS_RIGHT_Y = 3;
constexpr int PAD_AXIS_LEFT_TRIGGER = 4;
constexpr int PAD_AXIS_RIGHT_TRIGGER = 5;

struct GamepadState {
    unsigned char buttons[GAMEPAD_BUTTONS];
    float axes[GAMEPAD_AXES];
};

// What the player is doing, as the game tells the window system every update.
enum class Activity {
    MENU,     // no game under way: the menu and its boxes
    PAUSED,   // a game under way but standing: the pause panel, the game's end
    PLAYING,  // a game under way and running
    LOADING,  // the wait screen, while the pictures and sounds of a screen shape come in
    WATCHING,  // a recorded game played back
};

class WindowSystem {
  public:
    virtual ~WindowSystem() = default;

    // Seconds since the window system was initialised.
    virtual double Time() = 0;
    // Blocks without handling events.
    virtual void Sleep(double seconds) = 0;
    virtual void PollEvents() = 0;
    virtual void WaitEvents() = 0;

    virtual bool IsOpen() = 0;
    virtual bool IsIconified() = 0;
    virtual bool IsFocused() = 0;
    virtual void GetSize(int* width, int* height) = 0;
    virtual void SwapBuffers() = 0;
    // Switches between the window and a borderless fullscreen window on the
    // monitor the window is on; switching back restores the window's size and
    // position. The program sees the switch as a resize.
    virtual void ToggleFullscreen() = 0;

    // Pointer position in window pixels, truncated to ints.
    virtual void GetCursorPos(int* x, int* y) = 0;
    // Fills up to `max` axes or buttons of joystick 1; returns how many it filled
    // (never more than `max`; 0 when absent).
    virtual int GetJoystickAxes(float* axes, int max) = 0;
    virtual int GetJoystickButtons(unsigned char* buttons, int max) = 0;
    // Fills `pad` and returns true when joystick 1 is a pad the window system
    // has a mapping for; false, leaving `pad` alone, for none or a raw joystick.
    virtual bool GetGamepad(GamepadState* pad) = 0;
    // Told every update what the player is doing; a phone's browser keeps the
    // screen awake while a game runs and turns the back gesture into the
    // game's back action while one is under way. Nothing to do on a desktop.
    virtual void SetActivity(Activity) {}
};

// A window system without a window: size 0, clock at 0, no input. Installed
// until the program or a test installs another.
class NullWindowSystem : public WindowSystem {
  public:
    double Time() override { return 0.0; }
    void Sleep(double) override {}
    void PollEvents() override {}
    void WaitEvents() override {}
    bool IsOpen() override { return false; }
    bool IsIconified() override { return false; }
    bool IsFocused() override { return false; }
    void GetSize(int* width, int* height) override { *width = *height = 0; }
    void SwapBuffers() override {}
    void ToggleFullscreen() override {}
    void GetCursorPos(int* x, int* y) override { *x = *y = 0; }
    int GetJoystickAxes(float*, int) override { return 0; }
    int GetJoystickButtons(unsigned char*, int) override { return 0; }
    bool GetGamepad(GamepadState*) override { return false; }
};

WindowSystem& window();
// Installs `ws` (not owned) as the window system; null restores the null one.
void set_window(WindowSystem* ws);

}  // namespace host

#endif
