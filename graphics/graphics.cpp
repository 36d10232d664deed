// The framework's graphics context and its drawing functions.
#include "graphics/graphics.h"

#include <cmath>

gxtkGraphics* bb_graphics_device = nullptr;
bb_graphics_GraphicsContext* bb_graphics_context = nullptr;
gxtkGraphics* bb_graphics_renderDevice = nullptr;

namespace {

// The float nearest π/180.
constexpr float DEGREES_TO_RADIANS = 0.017453292f;
// The framework font: 96 glyphs in one strip, each padded left and right.
const char* const BUILTIN_FONT_FILE = "tesk_font.png";
constexpr int BUILTIN_FONT_GLYPHS = 96;
constexpr int BUILTIN_FONT_FIRST_CHAR = 32;

bb_graphics_GraphicsContext& ctx() {
    return *bb_graphics_context;
}

// The device call shared by both image functions.
void draw_frame(bb_graphics_Image* image, float x, float y, int frame) {
    if (image->flags & IMAGE_WHOLE_SURFACE) {
        bb_graphics_renderDevice->DrawSurface(image->surface, x, y);
    } else {
        const bb_graphics_Frame* f = image->frames[frame];
        bb_graphics_renderDevice->DrawSurface2(image->surface, x, y, f->x, f->y, image->width, image->height);
    }
}

}  // namespace

// ---- The context ----

bb_graphics_GraphicsContext::bb_graphics_GraphicsContext()
    : builtinFont(nullptr),
      currentFont(nullptr),
      fontFirstChar(0),
      matrixStackTop(0),
      a(1),
      b(0),
      c(0),
      d(1),
      tx(0),
      ty(0),
      transformed(0),
      matrixDirty(0),
      colorR(0),
      colorG(0),
      colorB(0),
      alpha(0),
      blend(0),
      scissorX(0),
      scissorY(0),
      scissorWidth(0),
      scissorHeight(0) {}

bb_graphics_GraphicsContext* bb_graphics_GraphicsContext::g_new() {
    gc_assign(matrixStack, Array<float>(MATRIX_STACK_DEPTH * MATRIX_FLOATS));
    return this;
}

void bb_graphics_GraphicsContext::mark() {
    gc_mark_q(builtinFont);
    gc_mark_q(currentFont);
    gc_mark_q(matrixStack);
}

int bb_graphics_GraphicsContext::m_Validate() {
    if (matrixDirty) {
        bb_graphics_renderDevice->SetMatrix(a, b, c, d, tx, ty);
        matrixDirty = 0;
    }
    return 0;
}

// ---- Device and render ----

int bb_graphics_SetGraphicsDevice(gxtkGraphics* device) {
    gc_assign(bb_graphics_device, device);
    return 0;
}

int bb_graphics_BeginRender() {
    if (bb_graphics_device->Mode() == 0) return 0;
    gc_assign(bb_graphics_renderDevice, bb_graphics_device);
    bb_graphics_GraphicsContext& g = ctx();
    g.matrixStackTop = 0;
    bb_graphics_SetMatrix(1, 0, 0, 1, 0, 0);
    bb_graphics_SetColor(255, 255, 255);
    bb_graphics_SetAlpha(1);
    bb_graphics_SetBlend(BLEND_ALPHA);
    bb_graphics_SetScissor(0, 0, static_cast<float>(bb_graphics_DeviceWidth()),
                           static_cast<float>(bb_graphics_DeviceHeight()));
    return 0;
}

int bb_graphics_EndRender() {
    bb_graphics_renderDevice = nullptr;
    return 0;
}

int bb_graphics_DeviceWidth() {
    return bb_graphics_device->Width();
}

int bb_graphics_DeviceHeight() {
    return bb_graphics_device->Height();
}

// ---- Drawing state ----

int bb_graphics_SetColor(float r, float g, float b) {
    ctx().colorR = r;
    ctx().colorG = g;
    ctx().colorB = b;
    bb_graphics_renderDevice->SetColor(r, g, b);
    return 0;
}

int bb_graphics_SetAlpha(float alpha) {
    ctx().alpha = alpha;
    bb_graphics_renderDevice->SetAlpha(alpha);
    return 0;
}

int bb_graphics_SetBlend(int blend) {
    ctx().blend = blend;
    bb_graphics_renderDevice->SetBlend(blend);
    return 0;
}

int bb_graphics_SetScissor(float x, float y, float width, float height) {
    bb_graphics_GraphicsContext& g = ctx();
    g.scissorX = x;
    g.scissorY = y;
    g.scissorWidth = width;
    g.scissorHeight = height;
    bb_graphics_renderDevice->SetScissor(static_cast<int>(x), static_cast<int>(y), static_cast<int>(width),
                                         static_cast<int>(height));
    return 0;
}

int bb_graphics_SetMatrix(float a, float b, float c, float d, float tx, float ty) {
    bb_graphics_GraphicsContext& g = ctx();
    g.a = a;
    g.b = b;
    g.c = c;
    g.d = d;
    g.tx = tx;
    g.ty = ty;
    g.transformed = IsIdentityMatrix(a, b, c, d, tx, ty) ? 0 : 1;
    g.matrixDirty = 1;
    return 0;
}

int bb_graphics_SetMatrix2(Array<float> m) {
    return bb_graphics_SetMatrix(m[0], m[1], m[2], m[3], m[4], m[5]);
}

int bb_graphics_Transform(float a2, float b2, float c2, float d2, float tx2, float ty2) {
    bb_graphics_GraphicsContext& g = ctx();
    const float a = a2 * g.a + b2 * g.c;
    const float b = a2 * g.b + b2 * g.d;
    const float c = c2 * g.a + d2 * g.c;
    const float d = c2 * g.b + d2 * g.d;
    const float tx = tx2 * g.a + ty2 * g.c + g.tx;
    const float ty = tx2 * g.b + ty2 * g.d + g.ty;
    return bb_graphics_SetMatrix(a, b, c, d, tx, ty);
}

int bb_graphics_Transform2(Array<float> m) {
    return bb_graphics_Transform(m[0], m[1], m[2], m[3], m[4], m[5]);
}

int bb_graphics_Translate(float x, float y) {
    return bb_graphics_Transform(1, 0, 0, 1, x, y);
}

int bb_graphics_Scale(float x, float y) {
    return bb_graphics_Transform(x, 0, 0, y, 0, 0);
}

int bb_graphics_Rotate(float angle) {
    const float radians = angle * DEGREES_TO_RADIANS;
    const float s = static_cast<float>(std::sin(static_cast<double>(radians)));
    const float c = static_cast<float>(std::cos(static_cast<double>(radians)));
    return bb_graphics_Transform(c, -s, s, c, 0, 0);
}

// A push past the stack's last level or a pop below its first would touch
// memory outside the stack (the collector's own headers); both are ignored and
// leave the current matrix as it is.
int bb_graphics_PushMatrix() {
    bb_graphics_GraphicsContext& g = ctx();
    if (g.matrixStackTop >= MATRIX_STACK_DEPTH * MATRIX_FLOATS) return 0;
    float* top = g.matrixStack.Data() + g.matrixStackTop;
    top[0] = g.a;
    top[1] = g.b;
    top[2] = g.c;
    top[3] = g.d;
    top[4] = g.tx;
    top[5] = g.ty;
    g.matrixStackTop += MATRIX_FLOATS;
    return 0;
}

int bb_graphics_PopMatrix() {
    bb_graphics_GraphicsContext& g = ctx();
    if (g.matrixStackTop < MATRIX_FLOATS) return 0;
    g.matrixStackTop -= MATRIX_FLOATS;
    const float* top = g.matrixStack.Data() + g.matrixStackTop;
    return bb_graphics_SetMatrix(top[0], top[1], top[2], top[3], top[4], top[5]);
}

int bb_graphics_SetFont(bb_graphics_Image* font, int firstChar) {
    bb_graphics_GraphicsContext& g = ctx();
    if (!font) {
        if (!g.builtinFont) {
            gc_assign(g.builtinFont,
                      bb_graphics_LoadImage(String(BUILTIN_FONT_FILE), BUILTIN_FONT_GLYPHS, IMAGE_PAD_X));
        }
        // Without the font file this is null: there is no font, and that is not an error.
        font = g.builtinFont;
        firstChar = BUILTIN_FONT_FIRST_CHAR;
    }
    gc_assign(g.currentFont, font);
    g.fontFirstChar = firstChar;
    return 0;
}

// ---- Drawing ----

int bb_graphics_Cls(float r, float g, float b) {
    bb_graphics_renderDevice->Cls(r, g, b);
    return 0;
}

int bb_graphics_DrawPoint(float x, float y) {
    ctx().m_Validate();
    bb_graphics_renderDevice->DrawPoint(x, y);
    return 0;
}

int bb_graphics_DrawRect(float x, float y, float w, float h) {
    ctx().m_Validate();
    bb_graphics_renderDevice->DrawRect(x, y, w, h);
    return 0;
}

int bb_graphics_DrawLine(float x1, float y1, float x2, float y2) {
    ctx().m_Validate();
    bb_graphics_renderDevice->DrawLine(x1, y1, x2, y2);
    return 0;
}

int bb_graphics_DrawOval(float x, float y, float w, float h) {
    ctx().m_Validate();
    bb_graphics_renderDevice->DrawOval(x, y, w, h);
    return 0;
}

int bb_graphics_DrawEllipse(float x, float y, float xRadius, float yRadius) {
    ctx().m_Validate();
    bb_graphics_renderDevice->DrawOval(x - xRadius, y - yRadius, xRadius * 2, yRadius * 2);
    return 0;
}

int bb_graphics_DrawPoly(Array<float> verts) {
    ctx().m_Validate();
    bb_graphics_renderDevice->DrawPoly(verts);
    return 0;
}

int bb_graphics_DrawImage(bb_graphics_Image* image, float x, float y, int frame) {
    bb_graphics_GraphicsContext& g = ctx();
    if (!g.transformed) {
        g.m_Validate();
        draw_frame(image, x - image->handleX, y - image->handleY, frame);
        return 0;
    }
    bb_graphics_PushMatrix();
    bb_graphics_Translate(x - image->handleX, y - image->handleY);
    g.m_Validate();
    draw_frame(image, 0, 0, frame);
    bb_graphics_PopMatrix();
    return 0;
}

int bb_graphics_DrawImage2(bb_graphics_Image* image, float x, float y, float rotation, float scaleX,
                           float scaleY, int frame) {
    bb_graphics_PushMatrix();
    bb_graphics_Translate(x, y);
    bb_graphics_Rotate(rotation);
    bb_graphics_Scale(scaleX, scaleY);
    bb_graphics_Translate(-image->handleX, -image->handleY);
    ctx().m_Validate();
    draw_frame(image, 0, 0, frame);
    bb_graphics_PopMatrix();
    return 0;
}
