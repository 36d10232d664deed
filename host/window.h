// The seam between the program and the window system.
//
// The run loop, the graphics device and the input device reach the window,
// the clock and the joystick only through this interface. The program uses the
// GLFW implementation (glfw_window.cpp); tests install a scripted one so the
// loop's timing can be driven without a window or real time.
#ifndef MOXEL_HOST_WINDOW_H
#define MOXEL_HOST_WINDOW_H

namespace host {

constexpr int JOYSTICK_MAX_AXES = 8;

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
};

WindowSystem& window();
// Installs `ws` (not owned) as the window system; null restores the null one.
void set_window(WindowSystem* ws);

}  // namespace host

#endif
