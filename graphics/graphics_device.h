// gxtkGraphics: the one graphics device, a 2D renderer over fixed-function OpenGL.
//
// It keeps the current colour, alpha and 2x3 matrix itself, transforms every
// vertex on the CPU and collects primitives of one kind (and one texture) into
// a 1024-vertex batch, so that runs of rectangles or of image quads from one
// texture reach OpenGL as a single draw call. Colour and matrix changes never
// break a batch (save the end of a run of opaque rectangles, below); a change
// of kind or texture, a full batch, or a state change OpenGL must see in order
// (blend, scissor, read-back, texture write, end of frame) does. Surfaces
// (surface.h) are the textures it draws from.
//
// A run of rectangles drawn opaque under alpha blending covers what lies
// beneath it exactly, so it goes out with blending off: the sky and the grass
// are most of the window, and blending is most of what filling them costs on a
// software renderer.
//
// The device also remembers what the last presented frame was drawn for (the
// window's size and the textures' contents), so that the loop can leave a
// picture on screen that a new frame would only draw again.
//
// The window size comes through host::window(), never from GLFW directly, so
// the device runs against a fake window in unit tests.
#ifndef MOXEL_GRAPHICS_GRAPHICS_DEVICE_H
#define MOXEL_GRAPHICS_GRAPHICS_DEVICE_H

#include <cstdint>

#include "host/base/gxtk_object.h"
#include "runtime/array.h"
#include "runtime/string.h"

class gxtkSurface;

// Batch capacity: every kind fills the same vertex array.
constexpr int GFX_MAX_VERTICES = 1024;
constexpr int GFX_MAX_QUADS = GFX_MAX_VERTICES / 4;
constexpr int GFX_MAX_LINES = GFX_MAX_VERTICES / 2;
constexpr int GFX_MAX_POINTS = GFX_MAX_VERTICES;
constexpr int GFX_MAX_POLY_POINTS = GFX_MAX_VERTICES;
constexpr int GFX_QUAD_INDICES = GFX_MAX_QUADS * 6;

// Batch kinds (3 is not used).
constexpr int BATCH_POINTS = 1;
constexpr int BATCH_LINES = 2;
constexpr int BATCH_QUADS = 4;
constexpr int BATCH_POLYGON = 5;

// Blend modes.
constexpr int BLEND_ALPHA = 0;
constexpr int BLEND_ADDITIVE = 1;

// True for the identity matrix, which lets drawing skip the transform.
inline bool IsIdentityMatrix(float a, float b, float c, float d, float tx, float ty) {
    return a == 1 && b == 0 && c == 0 && d == 1 && tx == 0 && ty == 0;
}

// One vertex as OpenGL reads it: position, texture coordinate, and colour
// bytes R, G, B, A (premultiplied by alpha).
struct gxtkVertex {
    float x, y;
    float u, v;
    std::uint32_t color;
};
static_assert(sizeof(gxtkVertex) == 20, "the vertex layout is fixed at 20 bytes");

class gxtkGraphics : public gxtkObject {
  public:
    gxtkGraphics();

    virtual int Mode() { return mode; }
    virtual int Width() { return width; }
    virtual int Height() { return height; }

    // Surfaces (defined in surface.cpp).
    virtual gxtkSurface* LoadSurface(String path);
    virtual gxtkSurface* LoadSurface__UNSAFE__(gxtkSurface* surface, String path);
    virtual gxtkSurface* CreateSurface(int width, int height);
    // Loaded pictures whose pixels are still on their way (only in the
    // browser, where pictures are decoded off the page's main thread); 0 on
    // the desktop, where a load is complete when it returns.
    virtual int PicturesComing();

    // Clears within the scissor rectangle; discards what is batched.
    virtual int Cls(float r, float g, float b);
    virtual int SetAlpha(float alpha);
    virtual int SetColor(float r, float g, float b);
    virtual int SetBlend(int blend);
    virtual int SetScissor(int x, int y, int w, int h);
    virtual int SetMatrix(float a, float b, float c, float d, float tx, float ty);
    virtual int DrawPoint(float x, float y);
    virtual int DrawRect(float x, float y, float w, float h);
    virtual int DrawLine(float x1, float y1, float x2, float y2);
    virtual int DrawOval(float x, float y, float w, float h);
    virtual int DrawPoly(Array<float> verts);
    virtual int DrawSurface(gxtkSurface* surface, float x, float y);
    virtual int DrawSurface2(gxtkSurface* surface, float x, float y, int srcX, int srcY, int srcW, int srcH);
    // Pixels come out as A << 24 | R << 16 | G << 8 | B, rows top first.
    virtual int ReadPixels(Array<int> pixels, int x, int y, int width, int height, int offset, int pitch);
    // Pixels go in non-premultiplied, A << 24 | R << 16 | G << 8 | B.
    virtual int WritePixels2(gxtkSurface* surface, Array<int> pixels, int x, int y, int width, int height,
                             int offset, int pitch);

    // Reads the window size; true only when both sides are positive.
    bool Validate();
    // Sets OpenGL up for a frame: viewport, projection, client arrays, blend.
    int BeginRender();
    // Flushes what is pending and presents the frame.
    int EndRender();
    // Draws the batch if it holds anything.
    int Flush();

    // Whether the window may no longer show the last presented frame as it
    // would be drawn now: nothing presented yet, LosePicture since, another
    // window size, or a texture uploaded, rewritten or deleted since.
    bool PictureLost() const;
    // The window's contents are gone or stale (exposed, resized, resumed):
    // the next frame is drawn whatever the application draws in it.
    void LosePicture() { pictureLost = true; }
    // The drawing context is gone (a browser drops a page's WebGL under memory
    // pressure or after a GPU reset): nothing is drawn until it is back.
    void OnContextLost();
    // The context is back, empty: the back end's objects and every surface's
    // texture are made again, and the next frame is drawn whole.
    void OnContextRestored();
    bool ContextLost() const;

    int mode;
    int width;
    int height;

    std::uint32_t packedColor;
    float colorR, colorG, colorB;
    float alpha;
    float a, b, c, d, tx, ty;
    bool transformed;

    gxtkVertex vertexData[GFX_MAX_VERTICES];
    std::uint16_t quadIndices[GFX_QUAD_INDICES];

    int batchKind;
    int batchCount;
    gxtkSurface* batchSurface;  // not owned: compared and bound only while batched
    // Every primitive in the batch is a rectangle that covers what it is drawn
    // over (alpha 1 under alpha blending); meaningful for untextured quads only.
    bool batchOpaque;
    int blendMode;  // BLEND_ALPHA or BLEND_ADDITIVE, as last set
    bool blending;  // whether OpenGL blends, as the device last left it

    // What reached OpenGL, for tests and benchmarks: glDraw* calls and the
    // vertices they drew. Never reset by the device.
    long drawCalls;
    long drawVertices;

  private:
    // Makes room for one primitive of `kind` with texture `surface`; returns
    // the index of its first vertex. A translucent rectangle after a run of
    // opaque ones sends the run out on its own, unblended; opaque ones after a
    // translucent one join its batch, blended, so a batch splits once at most.
    int Begin(int kind, gxtkSurface* surface, int capacity, int verticesPerPrimitive, bool opaque = false);
    void Put(int index, float x, float y);
    void PutUV(int index, float x, float y, float u, float v);
    void FlushBatch();
    // Turns OpenGL's blending on or off when it is not so already.
    void SetBlending(bool on);
    // Ovals and polygons never join a batch: each is one fan, drawn at once.
    void BeginFan();

    // What the last presented frame was drawn for.
    bool pictureLost = true;
    int presentedWidth = 0;
    int presentedHeight = 0;
    unsigned presentedTextureChanges = 0;
};

#endif
