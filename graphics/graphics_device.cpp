// gxtkGraphics: frame set-up and presentation.
#include "graphics/graphics_device.h"

#include <GL/gl.h>

#include "host/window.h"

gxtkGraphics::gxtkGraphics() : mode(1), width(0), height(0) {}

bool gxtkGraphics::Validate() {
    width = height = 0;
    host::window().GetSize(&width, &height);
    return width > 0 && height > 0;
}

int gxtkGraphics::BeginRender() {
    return 0;
}

int gxtkGraphics::EndRender() {
    host::window().SwapBuffers();
    return 0;
}

int gxtkGraphics::Flush() {
    return 0;
}

int gxtkGraphics::Cls(float r, float g, float b) {
    glClearColor(r / 255.0f, g / 255.0f, b / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    return 0;
}
