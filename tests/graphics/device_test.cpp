// The graphics device without a window: colour packing and the vertices it
// writes into its batch (nothing here reaches OpenGL: the batch is never drawn).
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "graphics/graphics_device.h"
#include "graphics/surface.h"
#include "host/base/window.h"
#include "runtime/gc.h"

namespace {

struct PackCase {
    float r, g, b, alpha;
    unsigned bytes[4];  // R, G, B, A in memory order
};

TEST(Device, ColourIsPackedPremultipliedAndTruncated) {
    gxtkGraphics* device = new gxtkGraphics();
    const PackCase cases[] = {
        {255, 128, 0, 0.5f, {127, 64, 0, 127}},
        {255, 255, 255, 1, {255, 255, 255, 255}},
        {200, 100, 50, 0, {0, 0, 0, 0}},
        {10.9f, 20.5f, 30.1f, 1, {10, 20, 30, 255}},
        // Outside the callers' range: held to a byte rather than spilling into the next one.
        {300, -5, 0, 1, {255, 0, 0, 255}},
    };
    for (const PackCase& c : cases) {
        device->SetColor(c.r, c.g, c.b);
        device->SetAlpha(c.alpha);
        const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&device->packedColor);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(bytes[i], c.bytes[i]) << c.r << "," << c.g << "," << c.b << " byte " << i;
    }
    // Either setter repacks from all four values.
    device->SetAlpha(0.5f);
    device->SetColor(255, 128, 0);
    EXPECT_EQ(device->packedColor, 127u << 24 | 0u << 16 | 64u << 8 | 127u);
}

TEST(Device, VerticesAreTransformedCornerByCorner) {
    gxtkGraphics* device = new gxtkGraphics();
    device->SetColor(255, 255, 255);
    device->SetAlpha(1);
    device->SetMatrix(1, 0, 0, 1, 0, 0);
    EXPECT_FALSE(device->transformed);
    device->DrawRect(10, 20, 30, 40);
    const float plain[4][2] = {{10, 20}, {40, 20}, {40, 60}, {10, 60}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(device->vertexData[i].x, plain[i][0]);
        EXPECT_EQ(device->vertexData[i].y, plain[i][1]);
    }

    // A quarter turn about the origin, then a shift: (x, y) -> (y + 100, -x + 200).
    device->SetMatrix(0, -1, 1, 0, 100, 200);
    EXPECT_TRUE(device->transformed);
    device->DrawRect(10, 20, 30, 40);
    const float turned[4][2] = {{120, 190}, {120, 160}, {160, 160}, {160, 190}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(device->vertexData[4 + i].x, turned[i][0]) << "corner " << i;
        EXPECT_FLOAT_EQ(device->vertexData[4 + i].y, turned[i][1]) << "corner " << i;
    }
    EXPECT_EQ(device->batchCount, 2);
    EXPECT_EQ(device->batchKind, BATCH_QUADS);
}

TEST(Device, SurfaceQuadsAddressTheSourceRectangle) {
    gxtkGraphics* device = new gxtkGraphics();
    device->SetMatrix(1, 0, 0, 1, 0, 0);
    gxtkSurface* s = new gxtkSurface(nullptr, 100, 60, 4);
    s->uScale = 1.0f / 128;  // as if enlarged to a power of two
    s->vScale = 1.0f / 64;

    device->DrawSurface2(s, 5, 6, 32, 16, 8, 4);
    const float uv[4][2] = {
        {32.f / 128, 16.f / 64}, {40.f / 128, 16.f / 64}, {40.f / 128, 20.f / 64}, {32.f / 128, 20.f / 64}};
    const float xy[4][2] = {{5, 6}, {13, 6}, {13, 10}, {5, 10}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(device->vertexData[i].u, uv[i][0]);
        EXPECT_FLOAT_EQ(device->vertexData[i].v, uv[i][1]);
        EXPECT_FLOAT_EQ(device->vertexData[i].x, xy[i][0]);
        EXPECT_FLOAT_EQ(device->vertexData[i].y, xy[i][1]);
    }

    device->DrawSurface(s, 0, 0);
    EXPECT_FLOAT_EQ(device->vertexData[6].u, 100.f / 128);
    EXPECT_FLOAT_EQ(device->vertexData[6].v, 60.f / 64);
    EXPECT_FLOAT_EQ(device->vertexData[6].x, 100);
    EXPECT_FLOAT_EQ(device->vertexData[6].y, 60);
    EXPECT_EQ(device->batchSurface, s);
}

TEST(Device, QuadIndicesCoverEachQuadWithTwoTriangles) {
    gxtkGraphics* device = new gxtkGraphics();
    const int k = 255;
    const std::uint16_t expected[6] = {4 * k, 4 * k + 1, 4 * k + 2, 4 * k, 4 * k + 2, 4 * k + 3};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(device->quadIndices[6 * k + i], expected[i]);
}

// A window system whose size the test sets; presenting a frame does nothing.
class SizedWindow : public host::NullWindowSystem {
  public:
    int width = 640;
    int height = 480;
    void GetSize(int* w, int* h) override {
        *w = width;
        *h = height;
    }
};

TEST(Device, KnowsWhenThePresentedPictureIsLost) {
    SizedWindow window;
    host::set_window(&window);
    gxtkGraphics* device = new gxtkGraphics();
    device->mode = 0;  // no GL here: frames are presented, never drawn
    ASSERT_TRUE(device->Validate());
    EXPECT_TRUE(device->PictureLost()) << "nothing presented yet";

    // Each way the window can stop showing the presented frame, from a fresh
    // presentation; the last size stands for the window's own.
    const struct {
        const char* what;
        std::function<void()> change;
    } cases[] = {
        {"nothing", [] {}},
        {"exposed", [&] { device->LosePicture(); }},
        {"resized", [&] { window.width = 800; }},
        {"resized back", [&] { window.width = 640; }},
        {"texture uploaded", [] { ++gxtkSurface::textureChanges; }},
    };
    for (const auto& c : cases) {
        device->BeginRender();
        device->EndRender();
        c.change();
        device->Validate();
        EXPECT_EQ(device->PictureLost(), std::string(c.what) != "nothing") << c.what;
    }
    host::set_window(nullptr);
}

TEST(Surface, Pow2SizeRoundsUpToAPowerOfTwo) {
    const int cases[][2] = {{-5, 1}, {0, 1}, {1, 1}, {2, 2}, {3, 4}, {60, 64}, {100, 128}, {1024, 1024}};
    for (const auto& c : cases) EXPECT_EQ(Pow2Size(c[0]), c[1]) << c[0];
}

}  // namespace
