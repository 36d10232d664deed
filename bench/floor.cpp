// The floors: what a window costs before the game does anything.
//
// A bare GLFW loop over the same 640x480 window the game opens, paced the
// same way (60 passes a second, the wait done by sleeping), that clears and
// swaps. With --quads it also draws three blended, textured quads over the
// whole window each frame, which is what the menu's backdrop amounts to. With
// --fullscreen the window covers the monitor in its own mode, as the game's
// F11 does (1920x1080 on the benchmark's screen).
// Whole-process figures of the game are read against these
// (scripts/bench-process.sh); the game's own cost is what lies above them.
//
// Usage: moxel_floor [--quads] [--fullscreen] [--seconds S]   (runs until closed without -s)
#include <GL/gl.h>
#include <GLFW/glfw3.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

constexpr int WINDOW_WIDTH = 640;
constexpr int WINDOW_HEIGHT = 480;
constexpr double FRAME_SECONDS = 1.0 / 60.0;
constexpr int QUAD_COUNT = 3;
// The menu's backdrop sheet is a few hundred pixels a side; what matters is
// that every window pixel samples a texture and blends.
constexpr int TEXTURE_SIDE = 256;

// Sleeps as the game's window system does: nanosleep, resumed after signals.
void sleep_seconds(double seconds) {
    if (!(seconds > 0)) return;
    timespec ts;
    ts.tv_sec = static_cast<time_t>(seconds);
    ts.tv_nsec = static_cast<long>((seconds - static_cast<double>(ts.tv_sec)) * 1e9);
    while (nanosleep(&ts, &ts) == -1 && errno == EINTR) {
    }
}

// A half-transparent checker pattern, premultiplied as the game's textures are.
GLuint make_texture() {
    std::vector<unsigned char> pixels(TEXTURE_SIDE * TEXTURE_SIDE * 4);
    for (int y = 0; y < TEXTURE_SIDE; ++y) {
        for (int x = 0; x < TEXTURE_SIDE; ++x) {
            unsigned char* p = &pixels[(y * TEXTURE_SIDE + x) * 4];
            bool light = ((x / 16) + (y / 16)) % 2 == 0;
            unsigned char a = light ? 255 : 128;
            p[0] = static_cast<unsigned char>((light ? 200 : 60) * a / 255);
            p[1] = static_cast<unsigned char>((light ? 180 : 90) * a / 255);
            p[2] = static_cast<unsigned char>((light ? 120 : 200) * a / 255);
            p[3] = a;
        }
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, TEXTURE_SIDE, TEXTURE_SIDE, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 pixels.data());
    return texture;
}

// Three window-sized quads through client arrays, as the game's device draws.
void draw_quads(GLuint texture, int width, int height) {
    const float w = static_cast<float>(width), h = static_cast<float>(height);
    const float xy[] = {0, 0, w, 0, w, h, 0, h};
    const float uv[] = {0, 0, 1, 0, 1, 1, 0, 1};
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, xy);
    glTexCoordPointer(2, GL_FLOAT, 0, uv);
    for (int i = 0; i < QUAD_COUNT; ++i) glDrawArrays(GL_TRIANGLE_FAN, 0, 4);
    glDisable(GL_TEXTURE_2D);
}

}  // namespace

int main(int argc, char** argv) {
    bool quads = false;
    bool fullscreen = false;
    double seconds = -1.0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quads") == 0) {
            quads = true;
        } else if (std::strcmp(argv[i], "--fullscreen") == 0) {
            fullscreen = true;
        } else if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
            seconds = std::atof(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: %s [--quads] [--fullscreen] [--seconds S]\n", argv[0]);
            return 2;
        }
    }
    if (!glfwInit()) {
        std::puts("glfwInit failed");
        return 1;
    }
    glfwWindowHint(GLFW_RESIZABLE, GLFW_TRUE);
    GLFWmonitor* monitor = fullscreen ? glfwGetPrimaryMonitor() : nullptr;
    const GLFWvidmode* mode = monitor ? glfwGetVideoMode(monitor) : nullptr;
    if (fullscreen && !mode) {
        std::puts("no monitor to fill");
        return 1;
    }
    GLFWwindow* window =
        glfwCreateWindow(mode ? mode->width : WINDOW_WIDTH, mode ? mode->height : WINDOW_HEIGHT,
                         quads ? "MoxelFloorQuads" : "MoxelFloor", monitor, nullptr);
    if (!window) {
        std::puts("glfwCreateWindow failed");
        return 1;
    }
    glfwMakeContextCurrent(window);
    glfwSwapInterval(0);

    GLuint texture = quads ? make_texture() : 0;
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);

    double next = glfwGetTime() + FRAME_SECONDS;
    while (!glfwWindowShouldClose(window)) {
        double now = glfwGetTime();
        if (seconds >= 0 && now >= seconds) break;
        if (now < next) {
            sleep_seconds(next - now);
            continue;
        }
        next += FRAME_SECONDS;
        // A late pass does not try to catch up, as the game drops its backlog.
        if (glfwGetTime() >= next) next = glfwGetTime() + FRAME_SECONDS;
        glfwPollEvents();
        int width = 0, height = 0;
        glfwGetFramebufferSize(window, &width, &height);
        glViewport(0, 0, width, height);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, width, height, 0, -1, 1);
        glClearColor(0, 0, 80.0f / 255.0f, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        if (quads) draw_quads(texture, width, height);
        glfwSwapBuffers(window);
    }
    glfwDestroyWindow(window);
    glfwTerminate();
    return 0;
}
