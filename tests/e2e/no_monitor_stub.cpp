// Preloaded into the program by the desktop tests: GLFW reports no monitor at
// all, as its documentation allows (a display it cannot query).
#include <GLFW/glfw3.h>

extern "C" GLFWmonitor* glfwGetPrimaryMonitor(void) {
    return nullptr;
}
