// GLFW 3 behind the window-system seam.
#include "host/base/glfw_window.h"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <ctime>

#include "host/base/save_folder_lock.h"

namespace host {

namespace {

// NOTE: a signal does not end GLFW's wait, so a wait that saw no event still
// ends after this long: a later copy's call (save_folder_lock.h) must bring
// back an iconified window at once, however long it has rested.
constexpr double CALL_WAIT_SECONDS = 0.2;

// Copies up to `max` values of joystick 1 through one of GLFW's readers; 0 when absent.
template <typename T>
int read_joystick(const T* (*read)(int joystick, int* count), T* out, int max) {
    if (!glfwJoystickPresent(GLFW_JOYSTICK_1)) return 0;
    int count = 0;
    const T* values = read(GLFW_JOYSTICK_1, &count);
    if (!values) return 0;
    if (count > max) count = max;
    for (int i = 0; i < count; ++i) out[i] = values[i];
    return count;
}

static_assert(GAMEPAD_BUTTONS == GLFW_GAMEPAD_BUTTON_LAST + 1, "the seam carries every pad button");
static_assert(GAMEPAD_AXES == GLFW_GAMEPAD_AXIS_LAST + 1, "the seam carries every pad axis");
static_assert(PAD_BUTTON_DPAD_LEFT == GLFW_GAMEPAD_BUTTON_DPAD_LEFT &&
                  PAD_BUTTON_GUIDE == GLFW_GAMEPAD_BUTTON_GUIDE &&
                  PAD_AXIS_RIGHT_TRIGGER == GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER,
              "the seam's pad order is GLFW's");

// The monitor that holds most of the window's area; the primary one when the
// window lies on none.
GLFWmonitor* monitor_under(GLFWwindow* window) {
    int wx = 0, wy = 0, ww = 0, wh = 0;
    glfwGetWindowPos(window, &wx, &wy);
    glfwGetWindowSize(window, &ww, &wh);
    int count = 0;
    GLFWmonitor** monitors = glfwGetMonitors(&count);
    GLFWmonitor* best = glfwGetPrimaryMonitor();
    long long bestArea = 0;
    for (int i = 0; i < count; ++i) {
        const GLFWvidmode* mode = glfwGetVideoMode(monitors[i]);
        if (!mode) continue;
        int mx = 0, my = 0;
        glfwGetMonitorPos(monitors[i], &mx, &my);
        long long w = std::min(wx + ww, mx + mode->width) - std::max(wx, mx);
        long long h = std::min(wy + wh, my + mode->height) - std::max(wy, my);
        if (w > 0 && h > 0 && w * h > bestArea) {
            bestArea = w * h;
            best = monitors[i];
        }
    }
    return best;
}

}  // namespace

double GlfwWindowSystem::Time() {
    return glfwGetTime();
}

void GlfwWindowSystem::Sleep(double seconds) {
    if (!(seconds > 0)) return;
    timespec ts;
    ts.tv_sec = static_cast<time_t>(seconds);
    ts.tv_nsec = static_cast<long>((seconds - static_cast<double>(ts.tv_sec)) * 1e9);
    while (nanosleep(&ts, &ts) == -1 && errno == EINTR) {
    }
}

void GlfwWindowSystem::PollEvents() {
    glfwPollEvents();
    AnswerCall();
}

void GlfwWindowSystem::WaitEvents() {
    glfwWaitEventsTimeout(CALL_WAIT_SECONDS);
    AnswerCall();
}

// A player who starts the game again wants the copy already playing: its
// window restored if iconified (a maximized one stays maximized), shown and
// given the focus. The run loop resumes it once the focus is in.
void GlfwWindowSystem::AnswerCall() {
    if (!take_forward_call()) return;
    if (IsIconified()) glfwRestoreWindow(window_);
    glfwShowWindow(window_);
    glfwFocusWindow(window_);
}

bool GlfwWindowSystem::IsOpen() {
    return !glfwWindowShouldClose(window_);
}

bool GlfwWindowSystem::IsIconified() {
    return glfwGetWindowAttrib(window_, GLFW_ICONIFIED) != 0;
}

bool GlfwWindowSystem::IsFocused() {
    return glfwGetWindowAttrib(window_, GLFW_FOCUSED) != 0;
}

void GlfwWindowSystem::GetSize(int* width, int* height) {
    glfwGetWindowSize(window_, width, height);
}

void GlfwWindowSystem::SwapBuffers() {
    glfwSwapBuffers(window_);
}

void GlfwWindowSystem::ToggleFullscreen() {
    if (glfwGetWindowMonitor(window_)) {
        glfwSetWindowMonitor(window_, nullptr, windowedX_, windowedY_, windowedWidth_, windowedHeight_,
                             GLFW_DONT_CARE);
        return;
    }
    GLFWmonitor* monitor = monitor_under(window_);
    const GLFWvidmode* mode = monitor ? glfwGetVideoMode(monitor) : nullptr;
    if (!mode) return;
    glfwGetWindowPos(window_, &windowedX_, &windowedY_);
    glfwGetWindowSize(window_, &windowedWidth_, &windowedHeight_);
    // NOTE: the monitor's own mode, so the screen never switches modes and
    // the window only loses its frame and covers the monitor.
    glfwSetWindowMonitor(window_, monitor, 0, 0, mode->width, mode->height, mode->refreshRate);
}

void GlfwWindowSystem::GetCursorPos(int* x, int* y) {
    double dx = 0, dy = 0;
    glfwGetCursorPos(window_, &dx, &dy);
    // The pointer may sit far outside the window; keep the conversion defined.
    auto to_int = [](double v) {
        if (!(v > -1e9)) return -1000000000;
        if (!(v < 1e9)) return 1000000000;
        return static_cast<int>(v);
    };
    *x = to_int(dx);
    *y = to_int(dy);
}

int GlfwWindowSystem::GetJoystickAxes(float* axes, int max) {
    return read_joystick(glfwGetJoystickAxes, axes, max);
}

int GlfwWindowSystem::GetJoystickButtons(unsigned char* buttons, int max) {
    return read_joystick(glfwGetJoystickButtons, buttons, max);
}

bool GlfwWindowSystem::GetGamepad(GamepadState* pad) {
    if (!glfwJoystickIsGamepad(GLFW_JOYSTICK_1)) return false;
    GLFWgamepadstate state;
    if (!glfwGetGamepadState(GLFW_JOYSTICK_1, &state)) return false;
    for (int i = 0; i < GAMEPAD_BUTTONS; ++i) pad->buttons[i] = state.buttons[i];
    for (int i = 0; i < GAMEPAD_AXES; ++i) pad->axes[i] = state.axes[i];
    return true;
}

}  // namespace host
