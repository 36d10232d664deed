// Program entry of the browser build.
//
// The page (index.html and pre.js) has mounted the saved-games folder and
// loaded it before main runs. main brings up GLFW's canvas window and OpenAL
// (over Web Audio), installs the page's canvas as the window system, starts
// the runtime and then hands the loop to the browser: every animation frame
// runs one pass of it, which returns at once when nothing is due.
//
// Keys and typed characters come through GLFW, as on the desktop. The mouse
// and the fingers come from the page's own events: a release outside the
// canvas still ends a drag, and a finger is the pointer at its own place
// (touch 0) or one of the further touches, never a second, emulated click.
#include <AL/al.h>
#include <AL/alc.h>
#include <GLFW/glfw3.h>
#include <emscripten.h>
#include <emscripten/html5.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "host/app.h"
#include "host/base/files.h"
#include "host/base/touch_slots.h"
#include "host/base/web_window.h"
#include "host/base/window_place.h"
#include "host/program_start.h"
#include "input/input_device.h"
#include "runtime/runtime.h"

namespace {

constexpr const char* WINDOW_TITLE = "Moxelpark";
constexpr mode_t USUAL_UMASK = 022;
const char* const CANVAS = "#canvas";
// The page's mouse buttons (left, middle, right) as the window system numbers them.
constexpr int PAGE_BUTTONS = 3;
const int BUTTON_OF_PAGE_BUTTON[PAGE_BUTTONS] = {0, 2, 1};

host::WebWindowSystem* page = nullptr;
static_assert(host::TOUCH_SLOTS <= INPUT_TOUCHES, "every finger has a place in the input device");
host::TouchSlots touches;
unsigned buttonsPressedOnCanvas = 0;

void key_callback(GLFWwindow*, int key, int, int action, int mods) {
    gxtkApp::OnKey(key, action, mods);
}

void char_callback(GLFWwindow*, unsigned int codepoint) {
    gxtkApp::OnChar(static_cast<int>(codepoint), ACTION_PRESS);
}

EM_BOOL on_mouse_down(int, const EmscriptenMouseEvent* e, void*) {
    if (e->button >= PAGE_BUTTONS) return EM_FALSE;
    page->SetPointer(static_cast<double>(e->clientX), static_cast<double>(e->clientY));
    buttonsPressedOnCanvas |= 1u << e->button;
    gxtkApp::OnMouseButton(BUTTON_OF_PAGE_BUTTON[e->button], ACTION_PRESS);
    return EM_TRUE;
}

// On the window: the canvas never hears a release outside it.
EM_BOOL on_mouse_up(int, const EmscriptenMouseEvent* e, void*) {
    if (e->button >= PAGE_BUTTONS || (buttonsPressedOnCanvas & (1u << e->button)) == 0u) return EM_FALSE;
    page->SetPointer(static_cast<double>(e->clientX), static_cast<double>(e->clientY));
    buttonsPressedOnCanvas &= ~(1u << e->button);
    gxtkApp::OnMouseButton(BUTTON_OF_PAGE_BUTTON[e->button], ACTION_RELEASE);
    return EM_FALSE;
}

// Touch 0 is the pointer and plays as the left button; the others are keys
// of their own, each read at its own finger's place.
void place_touch(int slot, const EmscriptenTouchPoint& t) {
    const double cx = static_cast<double>(t.clientX), cy = static_cast<double>(t.clientY);
    if (slot == 0) {
        page->SetPointer(cx, cy);
        return;
    }
    int x = 0, y = 0;
    page->ToCanvas(cx, cy, &x, &y);
    app->input->SetTouch(slot, static_cast<float>(x), static_cast<float>(y));
}

void touch_down(int slot) {
    if (slot == 0) {
        gxtkApp::OnMouseButton(0, ACTION_PRESS);
    } else {
        app->input->OnKeyDown(KEY_TOUCH0 + slot);
    }
}

void touch_up(int slot) {
    if (slot == 0) {
        gxtkApp::OnMouseButton(0, ACTION_RELEASE);
    } else {
        app->input->OnKeyUp(KEY_TOUCH0 + slot);
    }
}

// Handling every touch event (true: the page's default is prevented) keeps
// the browser from scrolling, zooming on a double tap and adding the mouse
// events it emulates for a tap.
EM_BOOL on_touch(int type, const EmscriptenTouchEvent* e, void*) {
    for (int i = 0; i < e->numTouches; ++i) {
        const EmscriptenTouchPoint& t = e->touches[i];
        if (!t.isChanged) continue;
        if (type == EMSCRIPTEN_EVENT_TOUCHSTART) {
            const int slot = touches.Begin(t.identifier);
            if (slot == host::TOUCH_NONE) continue;
            place_touch(slot, t);
            touch_down(slot);
        } else if (type == EMSCRIPTEN_EVENT_TOUCHMOVE) {
            const int slot = touches.Find(t.identifier);
            if (slot != host::TOUCH_NONE) place_touch(slot, t);
        } else {
            const int slot = touches.End(t.identifier);
            if (slot == host::TOUCH_NONE) continue;
            place_touch(slot, t);
            touch_up(slot);
        }
    }
    return EM_TRUE;
}

// The page lost the player's attention (another window, another tab): what
// is held is dropped without acting, as on the desktop, and its releases that
// may still come find nothing held.
void drop_held() {
    buttonsPressedOnCanvas = 0;
    touches = host::TouchSlots();
    gxtkApp::OnFocusLost();
}

EM_BOOL on_blur(int, const EmscriptenFocusEvent*, void*) {
    drop_held();
    return EM_FALSE;
}

// A hidden page gets no animation frames, so the loop would find it hidden
// only once it shows again: it is suspended here, at once, and the game in
// progress kept while the page may still write (a phone's browser discards a
// hidden page without another word). Shown again, the loop resumes it.
// Another tab of the game owns the saves now (saves.js): this one does
// nothing more, and saves nothing more.
bool stood_down = false;

void suspend_now() {
    if (app && app->created && !stood_down) app->InvokeOnSuspend();
}

EM_BOOL on_visibility(int, const EmscriptenVisibilityChangeEvent* e, void*) {
    if (e->hidden) {
        drop_held();
        suspend_now();
    }
    return EM_FALSE;
}

// A phone's browser drops the page's WebGL when memory runs short or the
// page is in the background. Handling the loss (true: its default is
// prevented) is what lets the browser give the context back; the game plays
// on meanwhile and is drawn whole again once it is back.
EM_BOOL on_context_lost(int, const void*, void*) {
    app->graphics->OnContextLost();
    EM_ASM({
        if (Module.onContextLost) Module.onContextLost();
    });
    return EM_TRUE;
}

EM_BOOL on_context_restored(int, const void*, void*) {
    app->graphics->OnContextRestored();
    EM_ASM({
        if (Module.onContextRestored) Module.onContextRestored();
    });
    return EM_TRUE;
}

void install_callbacks(GLFWwindow* window) {
    glfwSetKeyCallback(window, key_callback);
    glfwSetCharCallback(window, char_callback);
    emscripten_set_mousedown_callback(CANVAS, nullptr, EM_TRUE, on_mouse_down);
    emscripten_set_mouseup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, on_mouse_up);
    emscripten_set_touchstart_callback(CANVAS, nullptr, EM_TRUE, on_touch);
    emscripten_set_touchmove_callback(CANVAS, nullptr, EM_TRUE, on_touch);
    emscripten_set_touchend_callback(CANVAS, nullptr, EM_TRUE, on_touch);
    emscripten_set_touchcancel_callback(CANVAS, nullptr, EM_TRUE, on_touch);
    emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, on_blur);
    emscripten_set_visibilitychange_callback(nullptr, EM_TRUE, on_visibility);
    emscripten_set_webglcontextlost_callback(CANVAS, nullptr, EM_TRUE, on_context_lost);
    emscripten_set_webglcontextrestored_callback(CANVAS, nullptr, EM_TRUE, on_context_restored);
    // Leaving the page (a reload, a closed tab, another address) suspends it
    // too, whether or not the browser reported it hidden first.
    EM_ASM({
        window.addEventListener(
            'pagehide', function() { _moxel_page_hidden(); });
    });
}

void open_audio() {
    ALCdevice* device = alcOpenDevice(nullptr);
    if (!device) {
        std::puts("alcOpenDevice failed");
        return;
    }
    ALCcontext* context = alcCreateContext(device, nullptr);
    if (!context) {
        std::puts("alcCreateContext failed");
        return;
    }
    if (!alcMakeContextCurrent(context)) std::puts("alcMakeContextCurrent failed");
}

// Every save goes on to the browser's storage at once: a tab closed a moment
// later keeps it. The page reports a store that is full or refused.
void write_through(int result) {
    if (result != SAVE_OK || stood_down) return;
    EM_ASM({ Module.moxelSyncSaves(); });
}

// Whether the page is still fetching a data file (a sound that plays once it is here).
// clang-format off
EM_JS(bool, page_data_pending, (const char* path), {
    return Module.moxelData.pending(UTF8ToString(path));
});
// clang-format on

long updates = 0;

void frame() {
    if (stood_down) {
        emscripten_cancel_main_loop();
        return;
    }
    // Every update moves the next one's time on by one period; a reset of
    // that time (the catch-up cap, a resume) counts at most one pass's worth.
    const double before = app->nextUpdate;
    if (!app->Frame()) emscripten_cancel_main_loop();
    if (app->updatePeriod > 0 && app->created) {
        const long n = std::lround((app->nextUpdate - before) / app->updatePeriod);
        updates += std::clamp(n, 0L, static_cast<long>(MAX_UPDATES_PER_FRAME));
    }
}

}  // namespace

// Updates run and frames drawn since the start, for the page's measurements
// and the browser tests.
extern "C" EMSCRIPTEN_KEEPALIVE double moxel_updates() {
    return static_cast<double>(updates);
}

// The page's back gesture (a phone's back button) during a game: the game's
// back action, a press and its release, as the Escape key gives it.
extern "C" EMSCRIPTEN_KEEPALIVE void moxel_back() {
    gxtkApp::OnKey(GLFW_KEY_ESCAPE, ACTION_PRESS, 0);
    gxtkApp::OnKey(GLFW_KEY_ESCAPE, ACTION_RELEASE, 0);
}

extern "C" EMSCRIPTEN_KEEPALIVE void moxel_page_hidden() {
    suspend_now();
}

// Another tab takes the game over: the game in progress is kept and the
// state saved, as when the page is hidden, and this page stops for good.
extern "C" EMSCRIPTEN_KEEPALIVE void moxel_stand_down() {
    suspend_now();
    stood_down = true;
}

// The page's first press that may start sound: the output is opened inside
// its event, so it runs at once, and the sounds loaded so far go into it.
extern "C" EMSCRIPTEN_KEEPALIVE void moxel_open_audio() {
    if (!gxtkAudio::outputLater) return;
    open_audio();
    if (app && app->audio) app->audio->OutputOpened();
    gxtkAudio::outputLater = false;
}

// The page wrote a data file the game may be waiting for.
extern "C" EMSCRIPTEN_KEEPALIVE void moxel_data_arrived(const char* path) {
    host_data_file_arrived(path);
}

extern "C" EMSCRIPTEN_KEEPALIVE double moxel_frames() {
    return page ? static_cast<double>(page->frames()) : 0.0;
}

int main(int argc, char** argv) {
    // The browser's C library starts with every permission masked, which would
    // save a state file nobody may read back; this is a desktop's usual mask.
    umask(USUAL_UMASK);
    if (!glfwInit()) {
        std::puts("glfwInit failed");
        return -1;
    }
    GLFWwindow* window =
        glfwCreateWindow(host::WINDOW_WIDTH, host::WINDOW_HEIGHT, WINDOW_TITLE, nullptr, nullptr);
    if (!window) {
        // The browser has WebGL but would not make a context (turned off, or
        // no driver it trusts): the page says so in plain words.
        EM_ASM({
            if (Module.onNoWebGL) Module.onNoWebGL();
        });
        fail("glfwOpenWindow failed");
    }
    glfwMakeContextCurrent(window);
    // The sound output opens at the player's first press (moxel_open_audio).
    gxtkAudio::outputLater = true;

    static host::WebWindowSystem window_system;
    page = &window_system;
    host::set_window(&window_system);
    install_callbacks(window);
    host_state_saved = write_through;
    host_data_file_pending = page_data_pending;

    bb_std_main(argc, const_cast<const char**>(argv));
    EM_ASM({ Module.moxelStarted(); });
    // Never returns: from here the browser runs the loop.
    emscripten_set_main_loop(frame, 0, 1);
    return 0;
}
