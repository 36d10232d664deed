// Shared set-up of the graphics tests: a real GLFW window and context (under
// Xvfb), the device and context globals, pixel read-back, and PNG files
// written by the test itself.
//
// GlTest opens one 640x480 window per test program and starts a render
// before every test: the device has validated its size, BeginRender has run,
// the framework state is reset and the screen is cleared to black.
#ifndef MOXEL_TESTS_GRAPHICS_GL_FIXTURE_H
#define MOXEL_TESTS_GRAPHICS_GL_FIXTURE_H

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "graphics/graphics.h"
#include "host/base/glfw_window.h"
#include "runtime/gc.h"
#include "tests/support/png_file.h"
#include "tests/support/temp_dir.h"

constexpr int TEST_WINDOW_WIDTH = 640;
constexpr int TEST_WINDOW_HEIGHT = 480;

// An image the tests keep alive across collections, besides the globals.
inline bb_graphics_Image* test_root_image = nullptr;

inline void test_mark_roots() {
    gc_enqueue(bb_graphics_device);
    gc_enqueue(bb_graphics_context);
    gc_enqueue(bb_graphics_renderDevice);
    gc_enqueue(test_root_image);
}

// The collector's lists are emptied once per program; later tests keep
// collecting what earlier ones left behind.
inline void test_start_collector() {
    static bool started = false;
    if (!started) {
        gc_init1();
        started = true;
    }
    gc_mark_roots = test_mark_roots;
}

// Installs a fresh device and graphics context in the framework's globals.
inline gxtkGraphics* test_install_device() {
    test_start_collector();
    test_root_image = nullptr;
    gxtkGraphics* device = new gxtkGraphics();
    bb_graphics_SetGraphicsDevice(device);
    gc_assign(bb_graphics_context, (new bb_graphics_GraphicsContext())->g_new());
    bb_graphics_renderDevice = nullptr;
    return device;
}

// RGB of a pixel as OpenGL returns it, packed 0xRRGGBB.
using Rgb = unsigned;

inline Rgb rgb(unsigned r, unsigned g, unsigned b) {
    return r << 16 | g << 8 | b;
}

class GlTest : public ::testing::Test {
  protected:
    // Opens the suite's window once. Called from SetUp, not SetUpTestSuite: a
    // failure there would only mark the tests skipped, and a missing window
    // must fail them.
    static bool OpenWindow() {
        if (window_) return true;
        // A busy X server can refuse a connection now and then; try a few times.
        for (int attempt = 0; attempt < 3 && !glfwInit(); ++attempt) usleep(300000);
        glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
        window_ = glfwCreateWindow(TEST_WINDOW_WIDTH, TEST_WINDOW_HEIGHT, "graphics test", nullptr, nullptr);
        if (!window_) return false;
        glfwMakeContextCurrent(window_);
        static host::GlfwWindowSystem system(window_);
        host::set_window(&system);
        return true;
    }

    void SetUp() override {
        ASSERT_TRUE(OpenWindow()) << "the GL tests need an X server (xvfb-run)";
        device = test_install_device();
        ASSERT_TRUE(device->Validate());
        ASSERT_EQ(device->Width(), TEST_WINDOW_WIDTH);
        ASSERT_EQ(device->Height(), TEST_WINDOW_HEIGHT);
        device->BeginRender();
        bb_graphics_BeginRender();
        device->Cls(0, 0, 0);
    }

    void TearDown() override {
        bb_graphics_EndRender();
        gxtkSurface::refuseTexture = nullptr;
    }

    // RGB at window pixel (x, y), top-left origin, after flushing the batch.
    Rgb Pixel(int x, int y) {
        Array<int> p(1);
        device->ReadPixels(p, x, y, 1, 1, 0, 1);
        return static_cast<unsigned>(p[0]) & 0xffffffu;
    }

    long DrawsSince(long before) const { return device->drawCalls - before; }

    gxtkGraphics* device = nullptr;
    static inline GLFWwindow* window_ = nullptr;
};

using test_support::TempDir;

using test_support::write_png;
using test_support::write_solid_png;

#endif
