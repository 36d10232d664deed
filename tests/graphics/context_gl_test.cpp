// The framework's drawing functions against a real context: where images land,
// what a render starts from, and fonts.
#include <GL/gl.h>

#include "gl_fixture.h"

namespace {

using ContextGl = GlTest;

bb_graphics_Image* solid_image(const TempDir& dir, int w, int h, int flags) {
    std::string path = write_solid_png(dir, "solid.png", w, h, 255, 255, 255);
    return bb_graphics_LoadImage(String(path.c_str()), 1, flags);
}

TEST_F(ContextGl, DrawImagePlacesTheHandleAtThePosition) {
    TempDir dir;
    bb_graphics_Image* image = solid_image(dir, 64, 32, IMAGE_CENTRE_HANDLE);
    ASSERT_NE(image, nullptr);
    bb_graphics_DrawImage(image, 100, 100, 0);
    EXPECT_EQ(Pixel(68, 84), rgb(255, 255, 255));
    EXPECT_EQ(Pixel(131, 115), rgb(255, 255, 255));
    EXPECT_EQ(Pixel(67, 84), rgb(0, 0, 0));
    EXPECT_EQ(Pixel(68, 83), rgb(0, 0, 0));
    EXPECT_EQ(Pixel(132, 115), rgb(0, 0, 0));
    EXPECT_EQ(Pixel(131, 116), rgb(0, 0, 0));

    // Under a matrix the image goes through the stack and leaves it as it was.
    device->Cls(0, 0, 0);
    bb_graphics_Translate(200, 0);
    bb_graphics_DrawImage(image, 100, 100, 0);
    EXPECT_EQ(Pixel(268, 84), rgb(255, 255, 255));
    EXPECT_EQ(Pixel(267, 84), rgb(0, 0, 0));
    EXPECT_EQ(bb_graphics_context->matrixStackTop, 0);
    EXPECT_FLOAT_EQ(bb_graphics_context->tx, 200);
}

TEST_F(ContextGl, DrawImage2RotatesAndScalesAboutTheHandle) {
    TempDir dir;
    bb_graphics_Image* image = solid_image(dir, 40, 20, IMAGE_CENTRE_HANDLE);
    ASSERT_NE(image, nullptr);
    // A quarter turn stands the 40 x 20 image upright: 20 wide, 40 high about (200, 200).
    bb_graphics_DrawImage2(image, 200, 200, 90, 1, 1, 0);
    EXPECT_EQ(Pixel(200, 182), rgb(255, 255, 255));
    EXPECT_EQ(Pixel(200, 217), rgb(255, 255, 255));
    EXPECT_EQ(Pixel(191, 200), rgb(255, 255, 255));
    EXPECT_EQ(Pixel(208, 200), rgb(255, 255, 255));
    EXPECT_EQ(Pixel(186, 200), rgb(0, 0, 0));
    EXPECT_EQ(Pixel(214, 200), rgb(0, 0, 0));
    EXPECT_EQ(Pixel(200, 177), rgb(0, 0, 0));
    EXPECT_EQ(Pixel(200, 222), rgb(0, 0, 0));

    // Scaled by 2 and 3 without rotation: 80 x 60 about (400, 300).
    bb_graphics_DrawImage2(image, 400, 300, 0, 2, 3, 0);
    EXPECT_EQ(Pixel(361, 271), rgb(255, 255, 255));
    EXPECT_EQ(Pixel(438, 328), rgb(255, 255, 255));
    EXPECT_EQ(Pixel(358, 300), rgb(0, 0, 0));
    EXPECT_EQ(Pixel(400, 332), rgb(0, 0, 0));
    EXPECT_EQ(bb_graphics_context->matrixStackTop, 0);
    EXPECT_EQ(bb_graphics_context->transformed, 0);
}

TEST_F(ContextGl, FramesOfASheetDrawTheirOwnPixels) {
    TempDir dir;
    // Two 4 x 4 frames side by side: red, then green.
    std::vector<unsigned char> px;
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 8; ++x) {
            if (x < 4) {
                px.insert(px.end(), {255, 0, 0, 255});
            } else {
                px.insert(px.end(), {0, 255, 0, 255});
            }
        }
    }
    std::string path = write_png(dir, "sheet.png", 8, 4, 4, px);
    bb_graphics_Image* sheet = bb_graphics_LoadImage2(String(path.c_str()), 4, 4, 2, 0);
    ASSERT_NE(sheet, nullptr);
    bb_graphics_DrawImage(sheet, 10, 10, 1);
    bb_graphics_DrawImage(sheet, 20, 10, 0);
    EXPECT_EQ(Pixel(10, 10), rgb(0, 255, 0));
    EXPECT_EQ(Pixel(13, 13), rgb(0, 255, 0));
    EXPECT_EQ(Pixel(14, 10), rgb(0, 0, 0));
    EXPECT_EQ(Pixel(23, 13), rgb(255, 0, 0));

    bb_graphics_Image* whole = bb_graphics_LoadImage2(String(path.c_str()), 8, 4, 1, 0);
    ASSERT_NE(whole, nullptr);
    EXPECT_TRUE(whole->flags & IMAGE_WHOLE_SURFACE);
    bb_graphics_DrawImage(whole, 50, 50, 0);
    EXPECT_EQ(Pixel(50, 50), rgb(255, 0, 0));
    EXPECT_EQ(Pixel(57, 53), rgb(0, 255, 0));
}

TEST_F(ContextGl, TheMatrixReachesTheDeviceOnlyWhenDrawing) {
    bb_graphics_Translate(30, 40);
    EXPECT_FALSE(device->transformed);
    bb_graphics_SetColor(0, 0, 255);
    bb_graphics_DrawRect(0, 0, 10, 10);
    EXPECT_TRUE(device->transformed);
    EXPECT_FLOAT_EQ(device->tx, 30);
    EXPECT_EQ(bb_graphics_context->matrixDirty, 0);
    EXPECT_EQ(Pixel(30, 40), rgb(0, 0, 255));
    EXPECT_EQ(Pixel(29, 40), rgb(0, 0, 0));

    bb_graphics_DrawEllipse(300, 200, 20, 10);  // centre (330, 240) after the translation
    EXPECT_EQ(Pixel(330, 240), rgb(0, 0, 255));
    EXPECT_EQ(Pixel(330, 252), rgb(0, 0, 0));
}

TEST_F(ContextGl, EveryRenderStartsFromTheSameState) {
    bb_graphics_SetColor(10, 20, 30);
    bb_graphics_SetAlpha(0.3f);
    bb_graphics_SetBlend(BLEND_ADDITIVE);
    bb_graphics_SetScissor(5, 5, 10, 10);
    bb_graphics_PushMatrix();
    bb_graphics_Rotate(45);
    bb_graphics_DrawRect(0, 0, 1, 1);
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
    bb_graphics_EndRender();
    EXPECT_EQ(bb_graphics_renderDevice, nullptr);
    device->EndRender();

    ASSERT_TRUE(device->Validate());
    device->BeginRender();
    bb_graphics_BeginRender();
    const bb_graphics_GraphicsContext& g = *bb_graphics_context;
    EXPECT_EQ(bb_graphics_renderDevice, device);
    EXPECT_EQ(g.matrixStackTop, 0);
    EXPECT_EQ(g.transformed, 0);
    EXPECT_EQ(g.matrixDirty, 1);
    EXPECT_EQ(g.colorR + g.colorG + g.colorB, 3 * 255.0f);
    EXPECT_EQ(g.alpha, 1.0f);
    EXPECT_EQ(g.blend, BLEND_ALPHA);
    EXPECT_EQ(g.scissorWidth, 640.0f);
    EXPECT_EQ(g.scissorHeight, 480.0f);
    EXPECT_EQ(device->packedColor, 0xffffffffu);
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));

    // And it draws white, opaque and unclipped, where it is told to.
    device->Cls(0, 0, 0);
    bb_graphics_DrawRect(100, 100, 10, 10);
    EXPECT_EQ(Pixel(100, 100), rgb(255, 255, 255));
}

TEST_F(ContextGl, SetFontSelectsTheGivenOrTheFrameworkFont) {
    TempDir dir;
    bb_graphics_Image* font = solid_image(dir, 96, 8, 0);
    bb_graphics_SetFont(font, 40);
    EXPECT_EQ(bb_graphics_context->currentFont, font);
    EXPECT_EQ(bb_graphics_context->fontFirstChar, 40);

    // Null selects the framework font, whether or not its file is there.
    bb_graphics_SetFont(nullptr, 65);
    EXPECT_EQ(bb_graphics_context->currentFont, bb_graphics_context->builtinFont);
    EXPECT_EQ(bb_graphics_context->fontFirstChar, 32);
}

}  // namespace
