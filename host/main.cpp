// Program entry: the window, the audio device, the runtime start and the loop.
//
// main first claims the save folder (save_folder_lock.h): a copy started
// where another already runs calls that one's window to the front and exits
// with 0 before it opens a window of its own. Otherwise it brings up GLFW,
// one centred window titled "Moxelpark" (640x480, larger on a high-DPI
// monitor: window_place.h) and the OpenAL device and context (audio failures
// are reported and tolerated), then starts the runtime with bb_std_main, runs
// the host's loop, and tears the audio context, the audio device and GLFW
// down in that order.
#include <AL/al.h>
#include <AL/alc.h>
#include <GLFW/glfw3.h>
#include <dlfcn.h>
#include <link.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "game/program.h"
#include "host/app.h"
#include "host/base/glfw_window.h"
#include "host/base/save_folder_lock.h"
#include "host/base/window_place.h"
#include "host/program_start.h"
#include "runtime/runtime.h"

namespace {

constexpr const char* WINDOW_TITLE = "Moxelpark";
// What a second copy in the same save folder says as it leaves.
constexpr const char* CALLED_FORWARD =
    "Moxelpark is already running from this folder; its window was brought to the front.";
constexpr const char* ALREADY_RUNNING = "Moxelpark is already running from this folder.";

ALCdevice* alcDevice = nullptr;
ALCcontext* alcContext = nullptr;

void key_callback(GLFWwindow*, int key, int, int action, int mods) {
    gxtkApp::OnKey(key, action, mods);
}

void char_callback(GLFWwindow*, unsigned int codepoint) {
    // GLFW 3 reports only presses here.
    gxtkApp::OnChar(static_cast<int>(codepoint), ACTION_PRESS);
}

void mouse_button_callback(GLFWwindow*, int button, int action, int) {
    gxtkApp::OnMouseButton(button, action);
}

void window_size_callback(GLFWwindow*, int width, int height) {
    gxtkApp::OnWindowSize(width, height);
}

void window_refresh_callback(GLFWwindow*) {
    gxtkApp::OnWindowRefresh();
}

void focus_callback(GLFWwindow*, int focused) {
    if (!focused) gxtkApp::OnFocusLost();
}

// An iconified window may keep the focus for a moment (or never have had it).
void iconify_callback(GLFWwindow*, int iconified) {
    if (iconified) gxtkApp::OnFocusLost();
}

void install_callbacks(GLFWwindow* window) {
    glfwSetKeyCallback(window, key_callback);
    glfwSetCharCallback(window, char_callback);
    glfwSetWindowSizeCallback(window, window_size_callback);
    glfwSetWindowRefreshCallback(window, window_refresh_callback);
    glfwSetMouseButtonCallback(window, mouse_button_callback);
    glfwSetWindowFocusCallback(window, focus_callback);
    glfwSetWindowIconifyCallback(window, iconify_callback);
}

// A start-up failure's line, with GLFW's own description of what went wrong
// (the display it could not open, say) so a player or a packager can act on it.
[[noreturn]] void fail_with_glfw_error(const char* message) {
    constexpr int FAILURE_LINE_LENGTH = 512;
    const char* description = nullptr;
    glfwGetError(&description);
    char line[FAILURE_LINE_LENGTH];
    if (description && *description) {
        std::snprintf(line, sizeof line, "%s (%s)", message, description);
    } else {
        std::snprintf(line, sizeof line, "%s", message);
    }
    fail(line);
}

void silent_alsa_error(const char*, int, const char*, int, const char*, ...) {}

// Without a sound card ALSA writes several lines of its own to stderr for every
// device OpenAL probes; "alcOpenDevice failed" says all a player needs to know.
void quiet_alsa() {
    void* lib = dlopen("libasound.so.2", RTLD_NOW | RTLD_GLOBAL);
    if (!lib) return;
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    using SetHandler = int (*)(Handler);
    auto set_handler = reinterpret_cast<SetHandler>(dlsym(lib, "snd_lib_error_set_handler"));
    if (set_handler) set_handler(silent_alsa_error);
}

#ifdef MOXEL_SANITIZE
// LeakSanitizer checks at exit, after the GL vendor library has unloaded
// Mesa's driver. Pointers held in the driver's globals vanish with it, so
// memory they kept would be reported as leaked from an unknown module.
// Pinning the driver keeps its globals mapped and that memory reachable.
void pin_gl_driver() {
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) {
            if (info->dlpi_name && std::strstr(info->dlpi_name, "/dri/")) {
                dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            }
            return 0;
        },
        nullptr);
}
#endif

void open_audio() {
    quiet_alsa();
    // OpenAL Soft logs its own device failures to stderr; the line below is enough.
    setenv("ALSOFT_LOGLEVEL", "0", 0);
    alcDevice = alcOpenDevice(nullptr);
    if (!alcDevice) {
        std::puts("alcOpenDevice failed");
        return;
    }
    alcContext = alcCreateContext(alcDevice, nullptr);
    if (!alcContext) {
        std::puts("alcCreateContext failed");
        return;
    }
    if (!alcMakeContextCurrent(alcContext)) std::puts("alcMakeContextCurrent failed");
}

// The window's first size and place. GLFW may report no monitor at all (a
// display it cannot query): then the window opens at 640x480 wherever the
// window system puts it rather than asking a missing monitor for its mode.
bool choose_window_rect(host::WindowRect* rect) {
    *rect = host::WindowRect{0, 0, host::WINDOW_WIDTH, host::WINDOW_HEIGHT};
    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    if (!monitor) return false;
    const GLFWvidmode* desktop = glfwGetVideoMode(monitor);
    if (!desktop) return false;
    float xscale = 1.0f, yscale = 1.0f;
    glfwGetMonitorContentScale(monitor, &xscale, &yscale);
    *rect = host::first_window_rect(desktop->width, desktop->height, xscale, yscale);
    return true;
}

// True when this copy may play and save here; otherwise it says why it
// leaves. Not an error for the player, who has the running copy in front.
bool may_play_here() {
    switch (host::claim_save_folder()) {
        case host::SaveFolder::CALLED:
            std::puts(CALLED_FORWARD);
            return false;
        case host::SaveFolder::IN_USE:
            std::puts(ALREADY_RUNNING);
            return false;
        case host::SaveFolder::OURS:
        case host::SaveFolder::UNLOCKED:
            break;
    }
    return true;
}

void close_audio_and_window() {
    if (alcContext) {
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(alcContext);
    }
    if (alcDevice) alcCloseDevice(alcDevice);
    glfwTerminate();
}

}  // namespace

int main(int argc, const char** argv) {
    if (!may_play_here()) return 0;
    if (!glfwInit()) fail_with_glfw_error("glfwInit failed");
    host::WindowRect place;
    const bool centred = choose_window_rect(&place);
    glfwWindowHint(GLFW_RESIZABLE, GLFW_TRUE);
    // Shown only once it is in its place, so it never appears at the corner first.
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    GLFWwindow* window = glfwCreateWindow(place.width, place.height, WINDOW_TITLE, nullptr, nullptr);
    if (!window) fail_with_glfw_error("glfwOpenWindow failed");
    glfwMakeContextCurrent(window);
#ifdef MOXEL_SANITIZE
    pin_gl_driver();
#endif
    glfwSwapInterval(0);
    if (centred) glfwSetWindowPos(window, place.x, place.y);
    glfwSetWindowTitle(window, WINDOW_TITLE);
    glfwShowWindow(window);
    open_audio();
    std::fflush(stdout);

    host::GlfwWindowSystem window_system(window);
    host::set_window(&window_system);
    install_callbacks(window);

    try {
        bb_std_main(argc, argv);
        if (runner) runner();
    } catch (ThrowableObject*) {
        Print(String("Vendle Runtime Error : Uncaught Vendle Exception"));
    } catch (const char*) {
        // A runtime exception already reported itself; shut down quietly.
    }
    host::set_window(nullptr);
    close_audio_and_window();
    return 0;
}
