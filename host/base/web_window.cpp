// The browser's page behind the window-system seam.
#include "host/base/web_window.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <cmath>
#include <string_view>

#include "host/base/pad_layout.h"

namespace host {

namespace {

const char* const CANVAS = "#canvas";
constexpr int FIRST_PAD = 0;
// The canvas's place on the page: left, top, width and height.
constexpr int RECT_VALUES = 4;
constexpr const char* STANDARD_MAPPING = "standard";

EM_BOOL on_mouse_move(int, const EmscriptenMouseEvent* e, void* self) {
    static_cast<WebWindowSystem*>(self)->SetPointer(static_cast<double>(e->clientX),
                                                    static_cast<double>(e->clientY));
    return EM_FALSE;
}

// The first pad as the browser reported it at the pass's poll; false when
// there is none.
bool read_pad(EmscriptenGamepadEvent* state) {
    if (emscripten_get_num_gamepads() <= FIRST_PAD) return false;
    if (emscripten_get_gamepad_status(FIRST_PAD, state) != EMSCRIPTEN_RESULT_SUCCESS) return false;
    return state->connected != 0;
}

int to_int(double v) {
    if (!(v > -1e9)) return -1000000000;
    if (!(v < 1e9)) return 1000000000;
    return static_cast<int>(std::floor(v));
}

}  // namespace

WebWindowSystem::WebWindowSystem() {
    // On the window, not the canvas: a drag that leaves the canvas goes on.
    emscripten_set_mousemove_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, EM_TRUE, on_mouse_move);
    FollowPageSize();
}

double WebWindowSystem::Time() {
    return emscripten_get_now() / 1000.0;
}

// The browser decides when the next frame comes; waiting here would freeze the page.
void WebWindowSystem::Sleep(double) {}

void WebWindowSystem::PollEvents() {
    // Events reach the program between frames; what is left is the page's
    // size and the pads, which the browser reports only when asked.
    FollowPageSize();
    emscripten_sample_gamepad_data();
}

void WebWindowSystem::WaitEvents() {}

bool WebWindowSystem::IsOpen() {
    return true;
}

bool WebWindowSystem::IsIconified() {
    EmscriptenVisibilityChangeEvent status;
    if (emscripten_get_visibility_status(&status) != EMSCRIPTEN_RESULT_SUCCESS) return false;
    return status.hidden != 0;
}

// A page that shows has the player's attention: the browser reports no
// focus the game could wait for.
bool WebWindowSystem::IsFocused() {
    return !IsIconified();
}

void WebWindowSystem::GetSize(int* width, int* height) {
    *width = width_;
    *height = height_;
}

// The browser shows the frame when the animation frame returns.
void WebWindowSystem::SwapBuffers() {
    ++frames_;
}

void WebWindowSystem::ToggleFullscreen() {
    // The whole page goes fullscreen: the canvas follows it as it follows any resize.
    EM_ASM({
        if (document.fullscreenElement) {
            document.exitFullscreen();
        } else if (document.documentElement.requestFullscreen) {
            document.documentElement.requestFullscreen().catch(
                function(e) { console.warn('Fullscreen refused: ' + e.message); });
        }
    });
}

void WebWindowSystem::GetCursorPos(int* x, int* y) {
    ToCanvas(pointerX_, pointerY_, x, y);
}

void WebWindowSystem::ToCanvas(double clientX, double clientY, int* x, int* y) const {
    *x = to_int((clientX - left_) * scale_);
    *y = to_int((clientY - top_) * scale_);
}

int WebWindowSystem::GetJoystickAxes(float* axes, int max) {
    EmscriptenGamepadEvent state;
    if (!read_pad(&state)) return 0;
    int n = state.numAxes < max ? state.numAxes : max;
    for (int i = 0; i < n; ++i) axes[i] = static_cast<float>(state.axis[i]);
    return n;
}

int WebWindowSystem::GetJoystickButtons(unsigned char* buttons, int max) {
    EmscriptenGamepadEvent state;
    if (!read_pad(&state)) return 0;
    int n = state.numButtons < max ? state.numButtons : max;
    for (int i = 0; i < n; ++i) buttons[i] = state.digitalButton[i] ? 1 : 0;
    return n;
}

bool WebWindowSystem::GetGamepad(GamepadState* pad) {
    EmscriptenGamepadEvent state;
    if (!read_pad(&state)) return false;
    std::string_view mapping(state.mapping);
    if (mapping != STANDARD_MAPPING) return false;
    StandardPad in;
    in.buttonCount = state.numButtons < STANDARD_PAD_BUTTONS ? state.numButtons : STANDARD_PAD_BUTTONS;
    in.axisCount = state.numAxes < STANDARD_PAD_AXES ? state.numAxes : STANDARD_PAD_AXES;
    for (int i = 0; i < in.buttonCount; ++i) {
        in.pressed[i] = state.digitalButton[i] != 0;
        in.value[i] = state.analogButton[i];
    }
    for (int i = 0; i < in.axisCount; ++i) in.axes[i] = state.axis[i];
    map_standard_pad(in, pad);
    return true;
}

void WebWindowSystem::SetActivity(Activity activity) {
    if (activity == activity_) return;
    activity_ = activity;
    EM_ASM(
        {
            if (Module.moxelActivity) Module.moxelActivity($0);
        },
        static_cast<int>(activity));
}

void WebWindowSystem::SetPointer(double clientX, double clientY) {
    pointerX_ = clientX;
    pointerY_ = clientY;
}

void WebWindowSystem::FollowPageSize() {
    // Where the canvas sits on the page and its size there, in one query: it
    // fills the page, but a page around it may move it.
    double rect[RECT_VALUES] = {0, 0, 0, 0};
    EM_ASM(
        {
            var r = Module.canvas.getBoundingClientRect();
            HEAPF64[($0 >> 3) + 0] = r.left;
            HEAPF64[($0 >> 3) + 1] = r.top;
            HEAPF64[($0 >> 3) + 2] = r.width;
            HEAPF64[($0 >> 3) + 3] = r.height;
        },
        rect);
    left_ = rect[0];
    top_ = rect[1];
    const double cssWidth = rect[2], cssHeight = rect[3];
    scale_ = emscripten_get_device_pixel_ratio();
    if (!(scale_ > 0)) scale_ = 1.0;
    const int width = static_cast<int>(std::lround(cssWidth * scale_));
    const int height = static_cast<int>(std::lround(cssHeight * scale_));
    if (width != width_ || height != height_) {
        emscripten_set_canvas_element_size(CANVAS, width, height);
        width_ = width;
        height_ = height;
    }
}

}  // namespace host
