// The probe picture through the browser's WebGL back end: drawn once on a
// 640x480 canvas with the game's own graphics device, read back with
// ReadPixels and handed to the page, which the browser test compares with the
// desktop's pixels of the same picture.
#include <GLFW/glfw3.h>
#include <emscripten.h>

#include <cstdio>
#include <string>

#include "graphics/graphics_device.h"
#include "host/base/web_window.h"
#include "runtime/gc.h"
#include "tests/support/probe_scene.h"

namespace {
std::string pixels;
}

extern "C" EMSCRIPTEN_KEEPALIVE const char* probe_pixels() {
    return pixels.c_str();
}

int main() {
    gc_init1();
    if (!glfwInit()) return 1;
    GLFWwindow* window = glfwCreateWindow(640, 480, "probe", nullptr, nullptr);
    if (!window) return 1;
    glfwMakeContextCurrent(window);
    static host::WebWindowSystem page;
    host::set_window(&page);
    gxtkGraphics* device = new gxtkGraphics();
    if (!device->Validate()) {
        std::printf("probe: the canvas has no size\n");
        return 1;
    }
    device->BeginRender();
    test_support::draw_probe_scene(device);
    pixels = test_support::read_probe_scene(device);
    std::printf("probe drawn %dx%d\n", device->Width(), device->Height());
    return 0;
}
