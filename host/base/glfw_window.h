// The window system over GLFW 3, for the real program and the GL tests.
#ifndef MOXEL_HOST_BASE_GLFW_WINDOW_H
#define MOXEL_HOST_BASE_GLFW_WINDOW_H

#include "host/base/window.h"

struct GLFWwindow;

namespace host {

class GlfwWindowSystem : public WindowSystem {
  public:
    explicit GlfwWindowSystem(GLFWwindow* window) : window_(window) {}

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

    GLFWwindow* handle() const { return window_; }

  private:
    // Brings the window to the front when a later copy has called (save_folder_lock.h).
    void AnswerCall();

    GLFWwindow* window_;
    // The window's place and size before it went fullscreen.
    int windowedX_ = 0, windowedY_ = 0;
    int windowedWidth_ = 0, windowedHeight_ = 0;
};

}  // namespace host

#endif
