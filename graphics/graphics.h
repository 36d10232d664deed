// The framework's graphics module: the graphics context with its matrix stack
// and the bb_graphics_ functions the game draws with.
//
// Colour, alpha, blend and scissor reach the device as soon as they are set;
// the matrix is composed here in floats and handed over only when something
// is drawn after a change. Drawing and the colour/alpha/blend/scissor setters
// work only during a render (between bb_graphics_BeginRender and
// bb_graphics_EndRender); matrix functions, fonts and image loading work at
// any time.
#ifndef MOXEL_GRAPHICS_GRAPHICS_H
#define MOXEL_GRAPHICS_GRAPHICS_H

#include "graphics/graphics_device.h"
#include "graphics/image.h"
#include "graphics/surface.h"
#include "runtime/array.h"
#include "runtime/object.h"

// Room for 32 saved matrices of 6 floats.
constexpr int MATRIX_STACK_DEPTH = 32;
constexpr int MATRIX_FLOATS = 6;

class bb_graphics_GraphicsContext : public Object {
  public:
    bb_graphics_GraphicsContext();
    bb_graphics_GraphicsContext* g_new();
    void mark() override;

    // Hands the matrix to the render device if it changed since last time.
    virtual int m_Validate();

    bb_graphics_Image* builtinFont;
    bb_graphics_Image* currentFont;
    int fontFirstChar;
    int matrixStackTop;  // floats in use in matrixStack
    float a, b, c, d, tx, ty;
    int transformed;
    int matrixDirty;
    float colorR, colorG, colorB;
    float alpha;
    int blend;
    float scissorX, scissorY, scissorWidth, scissorHeight;
    Array<float> matrixStack;
};

extern gxtkGraphics* bb_graphics_device;
extern bb_graphics_GraphicsContext* bb_graphics_context;
extern gxtkGraphics* bb_graphics_renderDevice;

// Device and render.
int bb_graphics_SetGraphicsDevice(gxtkGraphics* device);
// Points the render device at the device and resets the drawing state:
// white, opaque, alpha blending, identity matrix, empty stack, no scissor.
int bb_graphics_BeginRender();
int bb_graphics_EndRender();
int bb_graphics_DeviceWidth();
int bb_graphics_DeviceHeight();

// Drawing state.
int bb_graphics_SetColor(float r, float g, float b);
int bb_graphics_SetAlpha(float alpha);
int bb_graphics_SetBlend(int blend);
int bb_graphics_SetScissor(float x, float y, float width, float height);
int bb_graphics_SetMatrix(float a, float b, float c, float d, float tx, float ty);
int bb_graphics_SetMatrix2(Array<float> m);
// Applies the given matrix before the current one (in local coordinates).
int bb_graphics_Transform(float a, float b, float c, float d, float tx, float ty);
int bb_graphics_Transform2(Array<float> m);
int bb_graphics_Translate(float x, float y);
int bb_graphics_Scale(float x, float y);
// Degrees; with y pointing down, a positive angle turns anticlockwise on screen.
int bb_graphics_Rotate(float angle);
int bb_graphics_PushMatrix();
int bb_graphics_PopMatrix();
// Null selects the framework font ("tesk_font.png", first character 32).
int bb_graphics_SetFont(bb_graphics_Image* font, int firstChar);

// Drawing.
int bb_graphics_Cls(float r, float g, float b);
int bb_graphics_DrawPoint(float x, float y);
int bb_graphics_DrawRect(float x, float y, float w, float h);
int bb_graphics_DrawLine(float x1, float y1, float x2, float y2);
int bb_graphics_DrawOval(float x, float y, float w, float h);
// Centre and radii.
int bb_graphics_DrawEllipse(float x, float y, float xRadius, float yRadius);
int bb_graphics_DrawPoly(Array<float> verts);
// Places the image's handle at (x, y).
int bb_graphics_DrawImage(bb_graphics_Image* image, float x, float y, int frame);
// Scales and rotates (degrees) the image about its handle, which lands on (x, y).
int bb_graphics_DrawImage2(bb_graphics_Image* image, float x, float y, float rotation, float scaleX,
                           float scaleY, int frame);

#endif
