// The framework's graphics module: images, frames, the graphics context and
// the bb_graphics_ drawing functions.
#ifndef MOXEL_GRAPHICS_GRAPHICS_H
#define MOXEL_GRAPHICS_GRAPHICS_H

#include "graphics/graphics_device.h"
#include "runtime/object.h"

class bb_graphics_Image;

class bb_graphics_GraphicsContext : public Object {
public:
    bb_graphics_GraphicsContext* g_new();
};

extern gxtkGraphics* bb_graphics_device;
extern bb_graphics_GraphicsContext* bb_graphics_context;
extern gxtkGraphics* bb_graphics_renderDevice;

int bb_graphics_SetFont(bb_graphics_Image* font, int firstChar);
// Points the render device at the device and resets the drawing state.
int bb_graphics_BeginRender();
int bb_graphics_EndRender();

#endif
