// gxtkGraphics: drawing state, the primitive batch, frame set-up and read-back.
#include "graphics/graphics_device.h"

#include <cmath>
#include <vector>

#include "graphics/gl_backend.h"
#include "graphics/surface.h"
#include "host/base/window.h"

namespace {

// 2π as the float the oval's angles are computed from.
constexpr float TWO_PI_F = 6.2831855f;
constexpr int OVAL_MIN_SEGMENTS = 12;
constexpr int BYTE_MAX = 255;

// Colour packing truncates like the C conversion it stands for; values the
// callers never produce (outside 0..255, NaN) are held to a byte so that the
// conversion stays defined.
std::uint32_t to_byte(float v) {
    if (!(v > 0.0f)) return 0;
    if (v >= static_cast<float>(BYTE_MAX)) return BYTE_MAX;
    return static_cast<std::uint32_t>(v);
}

// Segment count of an oval from the lengths of its two radii on screen.
int oval_segments(float length) {
    if (!(length < static_cast<float>(GFX_MAX_VERTICES))) return GFX_MAX_VERTICES;
    int n = static_cast<int>(length);
    if (n < OVAL_MIN_SEGMENTS) return OVAL_MIN_SEGMENTS;
    // Multiples of 4 keep the oval symmetric about both axes.
    return n & ~3;
}

// Whether a quad's corners, as DrawRect writes them, make an axis-aligned
// rectangle that holds every pixel of a width x height window.
bool covers_window(const gxtkVertex* q, int width, int height) {
    if (q[0].y != q[1].y || q[2].y != q[3].y || q[0].x != q[3].x || q[1].x != q[2].x) return false;
    const float left = std::fmin(q[0].x, q[1].x);
    const float right = std::fmax(q[0].x, q[1].x);
    const float top = std::fmin(q[0].y, q[3].y);
    const float bottom = std::fmax(q[0].y, q[3].y);
    return left <= 0.0f && top <= 0.0f && right >= static_cast<float>(width) &&
           bottom >= static_cast<float>(height);
}

// Clears to the colour bytes of an opaque packed colour: each byte b becomes
// b / 255, which the clear turns back into b exactly.
void clear_to(std::uint32_t packed) {
    const float byte = static_cast<float>(BYTE_MAX);
    glClearColor(static_cast<float>(packed & BYTE_MAX) / byte,
                 static_cast<float>(packed >> 8 & BYTE_MAX) / byte,
                 static_cast<float>(packed >> 16 & BYTE_MAX) / byte, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

}  // namespace

gxtkGraphics::gxtkGraphics()
    : mode(1),
      width(0),
      height(0),
      // The framework sets colour, alpha and matrix before anything is drawn;
      // white, opaque and identity only keep the fields defined until then.
      packedColor(0xffffffffu),
      colorR(255),
      colorG(255),
      colorB(255),
      alpha(1),
      a(1),
      b(0),
      c(0),
      d(1),
      tx(0),
      ty(0),
      transformed(false),
      vertexData(),
      batchKind(0),
      batchCount(0),
      batchSurface(nullptr),
      batchOpaque(false),
      blendMode(BLEND_ALPHA),
      blending(true),
      drawCalls(0),
      drawVertices(0) {
    for (int k = 0; k < GFX_MAX_QUADS; ++k) {
        const std::uint16_t v = static_cast<std::uint16_t>(k * 4);
        std::uint16_t* q = &quadIndices[k * 6];
        q[0] = v;
        q[1] = static_cast<std::uint16_t>(v + 1);
        q[2] = static_cast<std::uint16_t>(v + 2);
        q[3] = v;
        q[4] = static_cast<std::uint16_t>(v + 2);
        q[5] = static_cast<std::uint16_t>(v + 3);
    }
}

// ---- Frame ----

bool gxtkGraphics::Validate() {
    width = height = 0;
    host::window().GetSize(&width, &height);
    return width > 0 && height > 0;
}

int gxtkGraphics::BeginRender() {
    if (mode == 0) return 0;
    // Colour reaching the device is premultiplied by alpha.
    gfx::begin_frame(width, height, vertexData);
    blendMode = BLEND_ALPHA;
    blending = true;
    batchCount = 0;
    return 0;
}

int gxtkGraphics::EndRender() {
    if (mode != 0 && batchCount > 0) FlushBatch();
    host::window().SwapBuffers();
    pictureLost = false;
    presentedWidth = width;
    presentedHeight = height;
    presentedTextureChanges = gxtkSurface::textureChanges;
    return 0;
}

bool gxtkGraphics::PictureLost() const {
    return pictureLost || width != presentedWidth || height != presentedHeight ||
           presentedTextureChanges != gxtkSurface::textureChanges;
}

void gxtkGraphics::OnContextLost() {
    gxtkSurface::contextLost = true;
    // What is batched would be drawn into nothing.
    batchCount = 0;
}

void gxtkGraphics::OnContextRestored() {
    gxtkSurface::contextLost = false;
    gfx::forget_objects();
    gxtkSurface::RemakeAll();
    LosePicture();
}

bool gxtkGraphics::ContextLost() const {
    return gxtkSurface::contextLost;
}

int gxtkGraphics::Flush() {
    if (batchCount > 0) FlushBatch();
    return 0;
}

void gxtkGraphics::FlushBatch() {
    const unsigned texture = batchSurface ? batchSurface->texture : 0u;
    SetBlending(!(batchOpaque && batchKind == BATCH_QUADS && batchSurface == nullptr));
    int vertices = 0;
    switch (batchKind) {
        case BATCH_POINTS:
            vertices = batchCount;
            gfx::draw_arrays(GL_POINTS, vertices, texture);
            break;
        case BATCH_LINES:
            vertices = batchCount * 2;
            gfx::draw_arrays(GL_LINES, vertices, texture);
            break;
        case BATCH_QUADS:
            vertices = batchCount * 4;
            gfx::draw_quads(batchCount, quadIndices, texture);
            break;
        case BATCH_POLYGON:
            vertices = batchCount;
            gfx::draw_arrays(GL_TRIANGLE_FAN, vertices, texture);
            break;
        default:
            break;
    }
    if (vertices > 0) {
        ++drawCalls;
        drawVertices += vertices;
    }
    batchCount = 0;
}

void gxtkGraphics::SetBlending(bool on) {
    if (on == blending) return;
    blending = on;
    if (on) {
        glEnable(GL_BLEND);
    } else {
        glDisable(GL_BLEND);
    }
}

// ---- State ----

int gxtkGraphics::Cls(float r, float g, float b) {
    // Whatever the batch held would be covered by the clear.
    batchCount = 0;
    glClearColor(r / 255.0f, g / 255.0f, b / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    return 0;
}

int gxtkGraphics::SetAlpha(float newAlpha) {
    alpha = newAlpha;
    SetColor(colorR, colorG, colorB);
    return 0;
}

int gxtkGraphics::SetColor(float r, float g, float b) {
    colorR = r;
    colorG = g;
    colorB = b;
    // Bytes in memory read R, G, B, A.
    packedColor = to_byte(alpha * 255.0f) << 24 | to_byte(colorB * alpha) << 16 |
                  to_byte(colorG * alpha) << 8 | to_byte(colorR * alpha);
    return 0;
}

int gxtkGraphics::SetBlend(int blend) {
    Flush();
    blendMode = blend == BLEND_ADDITIVE ? BLEND_ADDITIVE : BLEND_ALPHA;
    if (blend == BLEND_ADDITIVE) {
        glBlendFunc(GL_ONE, GL_ONE);
    } else {
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    }
    return 0;
}

int gxtkGraphics::SetScissor(int x, int y, int w, int h) {
    Flush();
    if (x == 0 && y == 0 && w == Width() && h == Height()) {
        glDisable(GL_SCISSOR_TEST);
    } else {
        glEnable(GL_SCISSOR_TEST);
        // OpenGL counts rows from the bottom.
        glScissor(x, Height() - y - h, w, h);
    }
    return 0;
}

int gxtkGraphics::SetMatrix(float na, float nb, float nc, float nd, float ntx, float nty) {
    a = na;
    b = nb;
    c = nc;
    d = nd;
    tx = ntx;
    ty = nty;
    transformed = !IsIdentityMatrix(na, nb, nc, nd, ntx, nty);
    return 0;
}

// ---- Primitives ----

int gxtkGraphics::Begin(int kind, gxtkSurface* surface, int capacity, int verticesPerPrimitive, bool opaque) {
    const bool endsOpaqueRun = batchOpaque && !opaque;
    if (batchKind != kind || batchCount == capacity || batchSurface != surface || endsOpaqueRun) {
        Flush();
        batchKind = kind;
        batchSurface = surface;
    }
    batchOpaque = batchCount == 0 ? opaque : batchOpaque && opaque;
    return batchCount++ * verticesPerPrimitive;
}

void gxtkGraphics::Put(int index, float x, float y) {
    gxtkVertex& v = vertexData[index];
    if (transformed) {
        v.x = x * a + y * c + tx;
        v.y = x * b + y * d + ty;
    } else {
        v.x = x;
        v.y = y;
    }
    v.color = packedColor;
}

void gxtkGraphics::PutUV(int index, float x, float y, float u, float v) {
    Put(index, x, y);
    vertexData[index].u = u;
    vertexData[index].v = v;
}

void gxtkGraphics::BeginFan() {
    Flush();
    batchKind = BATCH_POLYGON;
    batchSurface = nullptr;
}

int gxtkGraphics::DrawPoint(float x, float y) {
    int i = Begin(BATCH_POINTS, nullptr, GFX_MAX_POINTS, 1);
    Put(i, x, y);
    return 0;
}

int gxtkGraphics::DrawLine(float x1, float y1, float x2, float y2) {
    int i = Begin(BATCH_LINES, nullptr, GFX_MAX_LINES, 2);
    Put(i, x1, y1);
    Put(i + 1, x2, y2);
    return 0;
}

int gxtkGraphics::DrawRect(float x, float y, float w, float h) {
    // Under alpha blending a source alpha of 1 keeps nothing of what lies
    // beneath; additive blending always keeps it.
    const bool opaque = packedColor >> 24 == BYTE_MAX && blendMode == BLEND_ALPHA;
    int i = Begin(BATCH_QUADS, nullptr, GFX_MAX_QUADS, 4, opaque);
    Put(i, x, y);
    Put(i + 1, x + w, y);
    Put(i + 2, x + w, y + h);
    Put(i + 3, x, y + h);
    // An opaque rectangle over the whole window (the game's background) sets
    // every pixel to its colour, as a clear does at a fraction of the cost;
    // whatever was batched before it lies beneath it.
    if (opaque && covers_window(&vertexData[i], width, height)) {
        batchCount = 0;
        clear_to(packedColor);
    }
    return 0;
}

int gxtkGraphics::DrawSurface(gxtkSurface* surface, float x, float y) {
    return gxtkGraphics::DrawSurface2(surface, x, y, 0, 0, surface->Width(), surface->Height());
}

int gxtkGraphics::DrawSurface2(gxtkSurface* surface, float x, float y, int srcX, int srcY, int srcW,
                               int srcH) {
    const float w = static_cast<float>(srcW);
    const float h = static_cast<float>(srcH);
    const float u0 = static_cast<float>(srcX) * surface->uScale;
    const float v0 = static_cast<float>(srcY) * surface->vScale;
    const float u1 = static_cast<float>(srcX + srcW) * surface->uScale;
    const float v1 = static_cast<float>(srcY + srcH) * surface->vScale;
    int i = Begin(BATCH_QUADS, surface, GFX_MAX_QUADS, 4);
    PutUV(i, x, y, u0, v0);
    PutUV(i + 1, x + w, y, u1, v0);
    PutUV(i + 2, x + w, y + h, u1, v1);
    PutUV(i + 3, x, y + h, u0, v1);
    return 0;
}

int gxtkGraphics::DrawOval(float x, float y, float w, float h) {
    BeginFan();
    const float rx = w * 0.5f;
    const float ry = h * 0.5f;
    const float cx = x + rx;
    const float cy = y + ry;

    int n;
    if (transformed) {
        n = oval_segments(std::sqrt((rx * a) * (rx * a) + (rx * b) * (rx * b)) +
                          std::sqrt((ry * c) * (ry * c) + (ry * d) * (ry * d)));
    } else {
        n = oval_segments(std::fabs(std::trunc(rx)) + std::fabs(std::trunc(ry)));
    }

    // The perimeter starts at the rightmost point and runs anticlockwise on screen.
    for (int i = 0; i < n; ++i) {
        const float angle = TWO_PI_F * static_cast<float>(i) / static_cast<float>(n);
        Put(i, cx + rx * std::cos(angle), cy - ry * std::sin(angle));
    }
    batchCount = n;
    FlushBatch();
    return 0;
}

int gxtkGraphics::DrawPoly(Array<float> verts) {
    const int n = verts.Length() / 2;
    if (n < 3 || n > GFX_MAX_POLY_POINTS) return 0;
    BeginFan();
    for (int i = 0; i < n; ++i) Put(i, verts[i * 2], verts[i * 2 + 1]);
    batchCount = n;
    FlushBatch();
    return 0;
}

// ---- Pixels ----

int gxtkGraphics::ReadPixels(Array<int> pixels, int x, int y, int w, int h, int offset, int pitch) {
    Flush();
    const size_t rowBytes = static_cast<size_t>(w) * 4;
    std::vector<unsigned char> buffer(rowBytes * static_cast<size_t>(h));
    gfx::read_bgra(x, height - y - h, w, h, buffer.data());
    // OpenGL delivers the bottom row first.
    for (int r = 0; r < h; ++r) {
        const unsigned char* src = buffer.data() + static_cast<size_t>(h - 1 - r) * rowBytes;
        int* dst = pixels.Data() + offset + r * pitch;
        for (int k = 0; k < w; ++k) {
            const unsigned char* p = src + k * 4;
            dst[k] = static_cast<int>(static_cast<std::uint32_t>(p[3]) << 24 |
                                      static_cast<std::uint32_t>(p[2]) << 16 |
                                      static_cast<std::uint32_t>(p[1]) << 8 | p[0]);
        }
    }
    return 0;
}

int gxtkGraphics::WritePixels2(gxtkSurface* surface, Array<int> pixels, int x, int y, int w, int h,
                               int offset, int pitch) {
    Flush();
    std::vector<std::uint32_t> buffer(static_cast<size_t>(w) * static_cast<size_t>(h));
    for (int r = 0; r < h; ++r) {
        for (int k = 0; k < w; ++k) {
            const std::uint32_t p = static_cast<std::uint32_t>(pixels[offset + r * pitch + k]);
            const std::uint32_t alpha = p >> 24;
            const std::uint32_t red = ((p >> 16) & 255) * alpha / 255;
            const std::uint32_t green = ((p >> 8) & 255) * alpha / 255;
            const std::uint32_t blue = (p & 255) * alpha / 255;
            buffer[static_cast<size_t>(r) * static_cast<size_t>(w) + static_cast<size_t>(k)] =
                alpha << 24 | red << 16 | green << 8 | blue;
        }
    }
    gfx::write_bgra(surface->texture, x, y, w, h, buffer.data());
    ++gxtkSurface::textureChanges;
    return 0;
}
