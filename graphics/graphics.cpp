// The framework's graphics context and drawing functions.
#include "graphics/graphics.h"

gxtkGraphics* bb_graphics_device = nullptr;
bb_graphics_GraphicsContext* bb_graphics_context = nullptr;
gxtkGraphics* bb_graphics_renderDevice = nullptr;

bb_graphics_GraphicsContext* bb_graphics_GraphicsContext::g_new() {
    return this;
}

int bb_graphics_SetFont(bb_graphics_Image*, int) {
    return 0;
}

int bb_graphics_BeginRender() {
    gc_assign(bb_graphics_renderDevice, bb_graphics_device);
    return 0;
}

int bb_graphics_EndRender() {
    bb_graphics_renderDevice = nullptr;
    return 0;
}
