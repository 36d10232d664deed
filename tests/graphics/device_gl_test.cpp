// The graphics device against a real context: what reaches the screen, and
// how many draw calls the batch costs.
#include <GL/gl.h>

#include "gl_fixture.h"

namespace {

using DeviceGl = GlTest;

TEST_F(DeviceGl, HalfAlphaRedOverBlackReadsPremultiplied) {
    device->SetColor(255, 0, 0);
    device->SetAlpha(0.5f);
    device->DrawRect(10, 20, 30, 40);
    EXPECT_EQ(Pixel(10, 20), rgb(127, 0, 0));
    EXPECT_EQ(Pixel(39, 59), rgb(127, 0, 0));
    EXPECT_EQ(Pixel(40, 20), rgb(0, 0, 0));
    EXPECT_EQ(Pixel(10, 60), rgb(0, 0, 0));
}

TEST_F(DeviceGl, ReadPixelsDeliversRowsTopFirstAsArgb) {
    device->SetColor(0, 255, 0);
    device->DrawRect(0, 0, 2, 1);  // only the top row of the 2 x 2 block
    Array<int> pixels(2 + 2 * 3);  // offset 2, pitch 3
    device->ReadPixels(pixels, 0, 0, 2, 2, 2, 3);
    EXPECT_EQ(pixels[2] & 0xffffff, 0x00ff00);
    EXPECT_EQ(pixels[3] & 0xffffff, 0x00ff00);
    EXPECT_EQ(pixels[5] & 0xffffff, 0);
    EXPECT_EQ(pixels[6] & 0xffffff, 0);
    EXPECT_EQ(pixels[4], 0);  // outside the rows: untouched
}

TEST_F(DeviceGl, LikePrimitivesShareDrawCalls) {
    gxtkSurface* one = device->CreateSurface(8, 8);
    gxtkSurface* two = device->CreateSurface(8, 8);
    ASSERT_TRUE(one && two);

    long before = device->drawCalls;
    for (int i = 0; i < 257; ++i) device->DrawRect(static_cast<float>(i), 0, 1, 1);
    device->Flush();
    EXPECT_EQ(DrawsSince(before), 2) << "256 quads fill a batch, the 257th starts the next";

    before = device->drawCalls;
    long vertices = device->drawVertices;
    for (int i = 0; i < 256; ++i) device->DrawSurface(one, static_cast<float>(i), 0);
    device->Flush();
    EXPECT_EQ(DrawsSince(before), 1);
    EXPECT_EQ(device->drawVertices - vertices, 1024);

    before = device->drawCalls;
    for (int i = 0; i < 4; ++i) device->DrawSurface(i % 2 ? two : one, 0, 0);
    device->Flush();
    EXPECT_EQ(DrawsSince(before), 4) << "a change of texture breaks the batch";

    before = device->drawCalls;
    device->DrawRect(0, 0, 1, 1);
    device->DrawLine(0, 0, 1, 1);
    device->DrawRect(0, 0, 1, 1);
    device->DrawPoint(0, 0);
    device->DrawSurface(one, 0, 0);
    device->DrawRect(0, 0, 1, 1);
    device->Flush();
    EXPECT_EQ(DrawsSince(before), 6) << "a change of kind breaks the batch, textured quads included";

    // (Translucent first: the end of an opaque run is the one colour change
    // that breaks a batch, below.)
    before = device->drawCalls;
    device->SetAlpha(0.5f);
    device->DrawRect(0, 0, 1, 1);
    device->SetColor(10, 20, 30);
    device->SetAlpha(1);
    device->SetMatrix(2, 0, 0, 2, 5, 5);
    device->DrawRect(0, 0, 1, 1);
    device->Flush();
    EXPECT_EQ(DrawsSince(before), 1) << "colour and matrix are applied per vertex";
}

TEST_F(DeviceGl, FullBatchesOfPointsAndLines) {
    long before = device->drawCalls;
    for (int i = 0; i < 1025; ++i) device->DrawPoint(0, 0);
    for (int i = 0; i < 513; ++i) device->DrawLine(0, 0, 1, 1);
    device->Flush();
    EXPECT_EQ(DrawsSince(before), 4);
}

TEST_F(DeviceGl, OvalSegmentCounts) {
    struct Case {
        float w, h, scale;
        long segments;
    } cases[] = {
        {4, 4, 1, 12},                              // fewest
        {100, 100, 1, 100},                         //
        {50, 22, 1, 36},                            // 25 + 11, rounded down to a multiple of 4
        {3000, 3000, 1, 1024}, {100, 100, 2, 200},  // transformed: the radii's lengths on screen
        {-100, 60, 1, 80},                          // the radii count by size, whatever their sign
    };
    for (const Case& c : cases) {
        if (c.scale != 1) {
            device->SetMatrix(c.scale, 0, 0, c.scale, 0, 0);
        } else {
            device->SetMatrix(1, 0, 0, 1, 0, 0);
        }
        long calls = device->drawCalls;
        long vertices = device->drawVertices;
        device->DrawOval(0, 0, c.w, c.h);
        EXPECT_EQ(device->drawCalls - calls, 1) << c.w << "x" << c.h;
        EXPECT_EQ(device->drawVertices - vertices, c.segments) << c.w << "x" << c.h << " scale " << c.scale;
    }
}

TEST_F(DeviceGl, OvalFillsItsBoxAndFlushesWhatWasBatched) {
    device->SetColor(0, 0, 255);
    device->DrawRect(0, 0, 1, 1);
    long before = device->drawCalls;
    device->DrawOval(100, 100, 60, 40);
    EXPECT_EQ(DrawsSince(before), 2);
    EXPECT_EQ(device->batchCount, 0);
    EXPECT_EQ(Pixel(130, 120), rgb(0, 0, 255));  // centre
    EXPECT_EQ(Pixel(102, 120), rgb(0, 0, 255));  // near the left end
    EXPECT_EQ(Pixel(101, 101), rgb(0, 0, 0));    // corner of the box
}

TEST_F(DeviceGl, PolygonPointLimits) {
    struct Case {
        int elements;
        long vertices;  // 0: nothing drawn
    } cases[] = {{5, 0}, {6, 3}, {7, 3}, {2048, 1024}, {2050, 0}};
    for (const Case& c : cases) {
        Array<float> verts(c.elements);
        for (int i = 0; i + 1 < c.elements; i += 2) {
            verts[i] = static_cast<float>(i % 3) * 10;  // a degenerate but legal fan
            verts[i + 1] = static_cast<float>(i % 5) * 10;
        }
        device->DrawRect(0, 0, 1, 1);
        long calls = device->drawCalls;
        long vertices = device->drawVertices;
        device->DrawPoly(verts);
        if (c.vertices == 0) {
            EXPECT_EQ(device->drawCalls, calls) << c.elements << " elements";
            EXPECT_EQ(device->batchCount, 1) << "a refused polygon leaves the batch alone";
        } else {
            EXPECT_EQ(device->drawCalls - calls, 2) << c.elements << " elements";
            EXPECT_EQ(device->drawVertices - vertices, 4 + c.vertices);
        }
        device->Flush();
    }
}

TEST_F(DeviceGl, PolygonFillsAsAFan) {
    device->SetColor(255, 255, 0);
    float tri[] = {10, 10, 50, 10, 10, 50};
    device->DrawPoly(Array<float>(tri, 6));
    EXPECT_EQ(Pixel(15, 15), rgb(255, 255, 0));
    EXPECT_EQ(Pixel(45, 45), rgb(0, 0, 0));
}

TEST_F(DeviceGl, ScissorClipsDrawingAndClearing) {
    device->SetScissor(10, 20, 30, 40);
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
    device->SetColor(255, 0, 0);
    device->DrawRect(0, 0, 640, 480);
    EXPECT_EQ(Pixel(10, 20), rgb(255, 0, 0));
    EXPECT_EQ(Pixel(39, 59), rgb(255, 0, 0));
    EXPECT_EQ(Pixel(9, 20), rgb(0, 0, 0));
    EXPECT_EQ(Pixel(10, 19), rgb(0, 0, 0));
    EXPECT_EQ(Pixel(40, 30), rgb(0, 0, 0));
    EXPECT_EQ(Pixel(20, 60), rgb(0, 0, 0));

    device->Cls(0, 255, 0);
    EXPECT_EQ(Pixel(20, 30), rgb(0, 255, 0));
    EXPECT_EQ(Pixel(100, 100), rgb(0, 0, 0)) << "the clear obeys the scissor";

    device->SetScissor(0, 0, 641, 480);
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST)) << "only the exact window rectangle turns the test off";
    device->SetScissor(0, 0, 640, 480);
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
}

TEST_F(DeviceGl, ClsDiscardsQueuedPrimitives) {
    device->SetColor(255, 0, 0);
    device->DrawRect(0, 0, 100, 100);
    long before = device->drawCalls;
    device->Cls(0, 0, 255);
    EXPECT_EQ(device->batchCount, 0);
    device->Flush();
    EXPECT_EQ(DrawsSince(before), 0);
    EXPECT_EQ(Pixel(50, 50), rgb(0, 0, 255));
}

TEST_F(DeviceGl, AdditiveBlendAddsAndAlphaBlendCovers) {
    device->Cls(100, 0, 0);
    device->SetColor(50, 0, 0);
    device->SetAlpha(1);
    device->SetBlend(BLEND_ADDITIVE);
    device->DrawRect(0, 0, 10, 10);
    EXPECT_EQ(Pixel(5, 5), rgb(150, 0, 0));
    device->SetBlend(BLEND_ALPHA);
    device->DrawRect(0, 0, 10, 10);
    EXPECT_EQ(Pixel(5, 5), rgb(50, 0, 0));
}

// Opaque rectangles under alpha blending go out unblended; the pixels are
// those blending would give, and a translucent rectangle is blended still.
TEST_F(DeviceGl, OpaqueRectangleRunsDrawUnblendedWithTheSamePixels) {
    device->Cls(40, 80, 120);
    device->SetColor(200, 10, 30);
    device->SetAlpha(1);
    device->DrawRect(0, 0, 20, 20);
    device->DrawRect(20, 0, 20, 20);
    long before = device->drawCalls;
    // A translucent one after the opaque run sends the run out on its own...
    device->SetColor(0, 0, 255);
    device->SetAlpha(0.5f);
    device->DrawRect(10, 0, 20, 20);
    EXPECT_EQ(DrawsSince(before), 1);
    EXPECT_FALSE(glIsEnabled(GL_BLEND)) << "the opaque run was drawn without blending";
    // ...and an opaque one after a translucent one joins its batch, blended.
    device->SetColor(0, 255, 0);
    device->SetAlpha(1);
    device->DrawRect(0, 30, 10, 10);
    device->Flush();
    EXPECT_EQ(DrawsSince(before), 2);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));

    struct Case {
        int x, y;
        Rgb expected;
    } cases[] = {
        {5, 5, rgb(200, 10, 30)},    // opaque over the clear colour
        {35, 5, rgb(200, 10, 30)},   // the second opaque rectangle of the run
        {15, 5, rgb(100, 5, 142)},   // half blue over the opaque red: 127 + 200 * 128 / 255
        {5, 35, rgb(0, 255, 0)},     // opaque, drawn in the blended batch
        {50, 50, rgb(40, 80, 120)},  // untouched
    };
    for (const Case& c : cases) EXPECT_EQ(Pixel(c.x, c.y), c.expected) << c.x << "," << c.y;
}

// The game's background: an opaque rectangle over the whole window is a
// clear, with the bytes the rectangle would write and within the scissor.
TEST_F(DeviceGl, AnOpaqueRectangleOverTheWholeWindowIsAClear) {
    const float w = TEST_WINDOW_WIDTH, h = TEST_WINDOW_HEIGHT;
    device->SetAlpha(0.5f);
    device->DrawRect(0, 0, 10, 10);  // covered by what follows: never drawn
    long before = device->drawCalls;
    device->SetColor(10.9f, 200.5f, 30.2f);
    device->SetAlpha(1);
    device->DrawRect(-1, -1, w + 2, h + 2);
    device->Flush();
    EXPECT_EQ(DrawsSince(before), 0);
    EXPECT_EQ(Pixel(0, 0), rgb(10, 200, 30));
    EXPECT_EQ(Pixel(639, 479), rgb(10, 200, 30));

    // One pixel short of the window is a rectangle like any other.
    device->SetColor(0, 0, 255);
    device->DrawRect(0, 0, w, h - 1);
    device->Flush();
    EXPECT_EQ(DrawsSince(before), 1);
    EXPECT_EQ(Pixel(0, 479), rgb(10, 200, 30));

    device->SetScissor(100, 100, 50, 50);
    device->SetColor(255, 0, 0);
    device->DrawRect(0, 0, w, h);
    device->SetScissor(0, 0, TEST_WINDOW_WIDTH, TEST_WINDOW_HEIGHT);
    EXPECT_EQ(Pixel(120, 120), rgb(255, 0, 0));
    EXPECT_EQ(Pixel(50, 50), rgb(0, 0, 255)) << "outside the scissor";
}

TEST_F(DeviceGl, AdditiveOpaqueRectanglesStillBlend) {
    device->Cls(100, 0, 0);
    device->SetBlend(BLEND_ADDITIVE);
    device->SetColor(50, 0, 0);
    device->SetAlpha(1);
    device->DrawRect(0, 0, 10, 10);
    device->Flush();
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(Pixel(5, 5), rgb(150, 0, 0));
}

TEST_F(DeviceGl, WritePixelsPremultipliesIntoTheTexture) {
    gxtkSurface* s = device->CreateSurface(2, 1);
    ASSERT_NE(s, nullptr);
    int argb[] = {static_cast<int>(0x80C86432u), static_cast<int>(0x00FFFFFFu)};
    device->WritePixels2(s, Array<int>(argb, 2), 0, 0, 2, 1, 0, 2);

    unsigned char texel[8];
    glBindTexture(GL_TEXTURE_2D, s->texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    const unsigned char expected[8] = {100, 50, 25, 128, 0, 0, 0, 0};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(texel[i], expected[i]) << "byte " << i;
}

TEST_F(DeviceGl, EndRenderFlushesWhatIsBatched) {
    device->DrawRect(0, 0, 1, 1);
    long before = device->drawCalls;
    device->EndRender();
    EXPECT_EQ(DrawsSince(before), 1);
    EXPECT_EQ(device->batchCount, 0);
}

}  // namespace
