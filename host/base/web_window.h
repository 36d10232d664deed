// The window system of the browser build: the page's canvas.
//
// The canvas fills the browser window; its drawing buffer follows the page's
// size in device pixels (CSS size times devicePixelRatio), so the game draws
// sharp on phones and high-DPI screens and its own scaling does the rest. A
// hidden tab reads as iconified, so the loop suspends the game as it does for
// a minimised window. Nothing here blocks: the page's animation frame calls
// the loop, which must return to the browser every time.
//
// The pointer is followed on the whole page, so a drag that leaves the canvas
// still moves it; the program entry feeds presses, releases and touches in
// through SetPointer.
#ifndef MOXEL_HOST_BASE_WEB_WINDOW_H
#define MOXEL_HOST_BASE_WEB_WINDOW_H

#include "host/base/window.h"

namespace host {

class WebWindowSystem : public WindowSystem {
  public:
    WebWindowSystem();

    double Time() override;
    void Sleep(double seconds) override;
    void PollEvents() override;
    void WaitEvents() override;
    bool IsOpen() override;
    bool IsIconified() override;
    bool IsFocused() override;
    void GetSize(int* width, int* height) override;
    void SwapBuffers() override;
    void ToggleFullscreen() override;
    void GetCursorPos(int* x, int* y) override;
    int GetJoystickAxes(float* axes, int max) override;
    int GetJoystickButtons(unsigned char* buttons, int max) override;
    bool GetGamepad(GamepadState* pad) override;
    // Tells the page (its moxelActivity hook) when what the player does changes.
    void SetActivity(Activity activity) override;

    // Moves the pointer to a point given in CSS pixels from the page's top left.
    void SetPointer(double clientX, double clientY);
    // Such a point in the canvas's pixels, as GetCursorPos gives the pointer.
    void ToCanvas(double clientX, double clientY, int* x, int* y) const;
    // Matches the canvas's drawing buffer to its size on the page.
    void FollowPageSize();
    // Frames drawn so far (buffer swaps), for the page's measurements.
    long frames() const { return frames_; }

  private:
    int width_ = 0, height_ = 0;
    double scale_ = 1.0;  // device pixels per CSS pixel
    double left_ = 0.0, top_ = 0.0;
    double pointerX_ = 0.0, pointerY_ = 0.0;  // CSS pixels from the page's top left
    long frames_ = 0;
    Activity activity_ = Activity::MENU;
};

}  // namespace host

#endif
