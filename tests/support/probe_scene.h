// One picture that goes through every path of the graphics device: clears,
// alpha and additive blending, rectangles (plain and turned by the matrix),
// lines, points, an oval, a polygon, a texture written with WritePixels2 and
// drawn whole, in part and scaled, and the scissor. The desktop's GL tests and
// the browser's probe page draw it and read it back with ReadPixels, so the
// two back ends can be compared pixel for pixel.
#ifndef MOXEL_TESTS_SUPPORT_PROBE_SCENE_H
#define MOXEL_TESTS_SUPPORT_PROBE_SCENE_H

#include <cstdint>
#include <cstdio>
#include <string>

#include "graphics/graphics_device.h"
#include "graphics/surface.h"
#include "runtime/array.h"

namespace test_support {

constexpr int PROBE_WIDTH = 160;
constexpr int PROBE_HEIGHT = 120;
constexpr int PROBE_TEXTURE = 8;

// Draws the picture into the top-left PROBE_WIDTH x PROBE_HEIGHT of a frame
// the caller has begun; flushes it.
inline void draw_probe_scene(gxtkGraphics* g) {
    g->SetMatrix(1, 0, 0, 1, 0, 0);
    g->SetScissor(0, 0, g->Width(), g->Height());
    g->Cls(20, 40, 60);
    g->SetBlend(BLEND_ALPHA);
    g->SetAlpha(1.0f);
    g->SetColor(200, 30, 30);
    g->DrawRect(4, 4, 30, 20);
    g->SetAlpha(0.5f);
    g->SetColor(30, 200, 90);
    g->DrawRect(20, 14, 30, 20);
    g->SetAlpha(0.25f);
    g->SetColor(255, 255, 255);
    g->DrawRect(40, 4, 20, 40);
    g->SetBlend(BLEND_ADDITIVE);
    g->SetAlpha(1.0f);
    g->SetColor(0, 0, 120);
    g->DrawRect(52, 24, 20, 20);
    g->SetBlend(BLEND_ALPHA);

    g->SetColor(250, 250, 0);
    g->DrawLine(4.5f, 50.5f, 70.5f, 50.5f);
    g->DrawLine(80.5f, 4.5f, 80.5f, 40.5f);
    g->DrawPoint(90.5f, 10.5f);
    g->DrawPoint(92.5f, 10.5f);
    g->SetColor(255, 128, 0);
    g->DrawOval(100, 4, 40, 24);
    float poly[] = {100, 40, 150, 44, 130, 70, 104, 60};
    Array<float> verts(8);
    for (int i = 0; i < 8; ++i) verts[i] = poly[i];
    g->DrawPoly(verts);

    // A texture with every alpha from opaque to clear and unequal channels,
    // so a swapped red and blue or a wrong premultiplication shows.
    gxtkSurface* s = g->CreateSurface(PROBE_TEXTURE, PROBE_TEXTURE);
    Array<int> texels(PROBE_TEXTURE * PROBE_TEXTURE);
    for (int y = 0; y < PROBE_TEXTURE; ++y) {
        for (int x = 0; x < PROBE_TEXTURE; ++x) {
            const std::uint32_t a = 255 - 32 * static_cast<std::uint32_t>(y);
            const std::uint32_t r = 30 * static_cast<std::uint32_t>(x), gr = 200, b = 90;
            texels[y * PROBE_TEXTURE + x] = static_cast<int>(a << 24 | r << 16 | gr << 8 | b);
        }
    }
    g->WritePixels2(s, texels, 0, 0, PROBE_TEXTURE, PROBE_TEXTURE, 0, PROBE_TEXTURE);
    g->SetColor(255, 255, 255);
    g->SetAlpha(1.0f);
    g->DrawSurface(s, 4, 60);
    g->DrawSurface2(s, 16, 60, 2, 2, 4, 4);
    g->SetMatrix(3, 0, 0, 3, 24, 60);
    g->DrawSurface(s, 0, 0);
    g->SetMatrix(0.8660254f, 0.5f, -0.5f, 0.8660254f, 70, 80);
    g->SetColor(90, 160, 250);
    g->DrawRect(0, 0, 24, 12);
    g->SetMatrix(1, 0, 0, 1, 0, 0);

    g->SetScissor(110, 80, 20, 20);
    g->SetColor(255, 255, 255);
    g->DrawRect(100, 76, 50, 40);
    g->SetScissor(0, 0, g->Width(), g->Height());
    g->Flush();
    s->Discard();
}

// The picture read back as ReadPixels gives it (A << 24 | R << 16 | G << 8 | B),
// rows top first, as one line of hexadecimal pixels.
inline std::string read_probe_scene(gxtkGraphics* g) {
    Array<int> pixels(PROBE_WIDTH * PROBE_HEIGHT);
    g->ReadPixels(pixels, 0, 0, PROBE_WIDTH, PROBE_HEIGHT, 0, PROBE_WIDTH);
    std::string out;
    char hex[12];
    for (int i = 0; i < PROBE_WIDTH * PROBE_HEIGHT; ++i) {
        std::snprintf(hex, sizeof hex, "%06x", static_cast<unsigned>(pixels[i]) & 0xffffffu);
        out += hex;
    }
    return out;
}

}  // namespace test_support

#endif
