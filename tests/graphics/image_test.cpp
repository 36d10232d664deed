// Images, frames and the graphics context's matrices, without a window: the
// frames are cut from surfaces that were never uploaded.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <utility>
#include <vector>

#include "graphics/graphics.h"
#include "runtime/debug.h"

namespace {

using Corner = std::pair<int, int>;

bb_graphics_Image* image_of(int w, int h, int frameCount = 1, int flags = 0) {
    return (new bb_graphics_Image())->g_new()->m_Init(new gxtkSurface(nullptr, w, h, 4), frameCount, flags);
}

std::vector<Corner> corners(const bb_graphics_Image* image) {
    std::vector<Corner> out;
    for (int i = 0; i < image->frames.Length(); ++i)
        out.emplace_back(image->frames[i]->x, image->frames[i]->y);
    return out;
}

TEST(Image, StripFramesWithAndWithoutPadding) {
    bb_graphics_Image* strip = image_of(320, 32, 10);
    EXPECT_EQ(strip->width, 32);
    EXPECT_EQ(strip->height, 32);
    std::vector<Corner> expected;
    for (int i = 0; i < 10; ++i) expected.emplace_back(i * 32, 0);
    EXPECT_EQ(corners(strip), expected);
    EXPECT_FALSE(strip->flags & IMAGE_WHOLE_SURFACE);

    bb_graphics_Image* padded = image_of(320, 32, 10, IMAGE_PAD_X);
    EXPECT_EQ(padded->width, 30);
    EXPECT_EQ(padded->height, 32);
    for (Corner& c : expected) c.first += 1;
    EXPECT_EQ(corners(padded), expected);

    bb_graphics_Image* both = image_of(64, 32, 2, IMAGE_PAD_X | IMAGE_PAD_Y);
    EXPECT_EQ(both->width, 30);
    EXPECT_EQ(both->height, 30);
    EXPECT_EQ(corners(both), (std::vector<Corner>{{1, 1}, {33, 1}}));
}

TEST(Image, SheetFramesRunLeftToRightThenDown) {
    bb_graphics_Image* sheet = image_of(100, 100);
    bb_graphics_Image* grid = sheet->m_GrabImage(0, 0, 30, 30, 9, 0);
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(corners(grid),
              (std::vector<Corner>{
                  {0, 0}, {30, 0}, {60, 0}, {0, 30}, {30, 30}, {60, 30}, {0, 60}, {30, 60}, {60, 60}}));
    EXPECT_EQ(grid->surface, sheet->surface);
    EXPECT_EQ(grid->sourceImage, sheet);

    // A grab that starts inside the sheet wraps to the left edge, not to its start.
    bb_graphics_Image* offset = sheet->m_GrabImage(10, 5, 30, 30, 4, 0);
    EXPECT_EQ(corners(offset), (std::vector<Corner>{{10, 5}, {40, 5}, {70, 5}, {0, 35}}));

    // Frames are placed relative to the source's own frame.
    bb_graphics_Image* padded = image_of(102, 100, 1, IMAGE_PAD_X);
    EXPECT_EQ(corners(padded->m_GrabImage(0, 0, 50, 50, 2, 0)), (std::vector<Corner>{{1, 0}, {51, 0}}));
}

TEST(Image, OnlySingleFrameImagesCanBeGrabbedFrom) {
    EXPECT_EQ(image_of(64, 32, 2)->m_GrabImage(0, 0, 8, 8, 1, 0), nullptr);
}

TEST(Image, WholeSurfaceFlagMarksAFrameCoveringTheSurface) {
    struct Case {
        int grabW, grabH, flags;
        bool whole;
    } cases[] = {{100, 60, 0, true}, {100, 60, IMAGE_PAD_X, false}, {50, 60, 0, false}};
    for (const Case& c : cases) {
        bb_graphics_Image* grabbed = image_of(100, 60)->m_GrabImage(0, 0, c.grabW, c.grabH, 1, c.flags);
        EXPECT_EQ((grabbed->flags & IMAGE_WHOLE_SURFACE) != 0, c.whole) << c.grabW << " flags " << c.flags;
    }
    EXPECT_TRUE(image_of(100, 60)->flags & IMAGE_WHOLE_SURFACE);
}

TEST(Image, CentreHandleUsesThePaddedSizeAndClearsItsFlag) {
    bb_graphics_Image* centred = image_of(64, 32, 1, IMAGE_CENTRE_HANDLE);
    EXPECT_FLOAT_EQ(centred->handleX, 32);
    EXPECT_FLOAT_EQ(centred->handleY, 16);
    EXPECT_FALSE(centred->flags & IMAGE_CENTRE_HANDLE);

    bb_graphics_Image* padded = image_of(66, 32, 1, IMAGE_CENTRE_HANDLE | IMAGE_PAD_X);
    EXPECT_FLOAT_EQ(padded->handleX, 32);
    EXPECT_EQ(padded->flags, IMAGE_PAD_X);

    bb_graphics_Image* later = image_of(64, 32);
    later->flags |= IMAGE_CENTRE_HANDLE;
    later->m_SetHandle(3, 4);
    EXPECT_FALSE(later->flags & IMAGE_CENTRE_HANDLE);
    EXPECT_FLOAT_EQ(later->handleX, 3);
    EXPECT_FLOAT_EQ(later->handleY, 4);
}

TEST(ImageDeathTest, GrabOutsideTheSurfaceEndsTheProgram) {
    EXPECT_EXIT(
        {
            if (!std::freopen("/dev/null", "r", stdin)) std::abort();  // no debugger front end
            dup2(2, 1);                                                // show the banner to the death test
            image_of(100, 100)->m_GrabImage(0, 0, 30, 30, 10, 0);
        },
        testing::ExitedWithCode(255), "^Vendle Runtime Error : Image frame outside surface\n");
    EXPECT_EXIT(
        {
            if (!std::freopen("/dev/null", "r", stdin)) std::abort();
            dup2(2, 1);
            image_of(100, 100)->m_GrabImage(0, 80, 30, 30, 1, 0);
        },
        testing::ExitedWithCode(255), "Image frame outside surface");
}

// ---- The context's matrices ----
// No device is needed until something is drawn.

class Matrices : public ::testing::Test {
  protected:
    void SetUp() override { gc_assign(bb_graphics_context, (new bb_graphics_GraphicsContext())->g_new()); }

    void ExpectMatrix(float a, float b, float c, float d, float tx, float ty) {
        const bb_graphics_GraphicsContext& g = *bb_graphics_context;
        EXPECT_NEAR(g.a, a, 1e-6);
        EXPECT_NEAR(g.b, b, 1e-6);
        EXPECT_NEAR(g.c, c, 1e-6);
        EXPECT_NEAR(g.d, d, 1e-6);
        EXPECT_NEAR(g.tx, tx, 1e-4);
        EXPECT_NEAR(g.ty, ty, 1e-4);
    }
};

TEST_F(Matrices, RotateNinetyAfterIdentity) {
    bb_graphics_Rotate(90);
    ExpectMatrix(0, -1, 1, 0, 0, 0);
    EXPECT_EQ(bb_graphics_context->transformed, 1);
    EXPECT_EQ(bb_graphics_context->matrixDirty, 1);
}

TEST_F(Matrices, TransformsApplyInLocalCoordinates) {
    bb_graphics_Translate(10, 20);
    bb_graphics_Scale(2, 3);
    ExpectMatrix(2, 0, 0, 3, 10, 20);
    bb_graphics_Translate(5, 5);  // in scaled units
    ExpectMatrix(2, 0, 0, 3, 20, 35);

    float m[] = {1, 0, 0, 1, 0, 0};
    bb_graphics_SetMatrix2(Array<float>(m, 6));
    EXPECT_EQ(bb_graphics_context->transformed, 0);
    float shift[] = {1, 0, 0, 1, 7, 8};
    bb_graphics_Transform2(Array<float>(shift, 6));
    ExpectMatrix(1, 0, 0, 1, 7, 8);
    bb_graphics_Translate(-7, -8);
    EXPECT_EQ(bb_graphics_context->transformed, 0) << "back to the exact identity";
}

TEST_F(Matrices, PushAndPopRestoreNestedMatrices) {
    bb_graphics_Translate(1, 2);
    for (int i = 0; i < MATRIX_STACK_DEPTH; ++i) {
        bb_graphics_PushMatrix();
        bb_graphics_Scale(2, 2);
    }
    EXPECT_EQ(bb_graphics_context->matrixStackTop, MATRIX_STACK_DEPTH * MATRIX_FLOATS);
    for (int i = 0; i < MATRIX_STACK_DEPTH; ++i) bb_graphics_PopMatrix();
    ExpectMatrix(1, 0, 0, 1, 1, 2);
    EXPECT_EQ(bb_graphics_context->matrixStackTop, 0);
    EXPECT_EQ(bb_graphics_context->transformed, 1);

    bb_graphics_SetMatrix(1, 0, 0, 1, 0, 0);
    bb_graphics_PushMatrix();
    bb_graphics_Rotate(30);
    bb_graphics_context->matrixDirty = 0;
    bb_graphics_PopMatrix();
    EXPECT_EQ(bb_graphics_context->transformed, 0);
    EXPECT_EQ(bb_graphics_context->matrixDirty, 1);
}

TEST_F(Matrices, PushPastTheTopAndPopBelowTheBottomAreIgnored) {
    const int extra = 8;
    for (int i = 0; i < MATRIX_STACK_DEPTH + extra; ++i) {
        bb_graphics_PushMatrix();
        bb_graphics_Translate(1, 0);
    }
    EXPECT_EQ(bb_graphics_context->matrixStackTop, MATRIX_STACK_DEPTH * MATRIX_FLOATS);
    // The first pop gives back the last matrix that was saved: level 32, taken
    // after 31 translations.
    bb_graphics_PopMatrix();
    ExpectMatrix(1, 0, 0, 1, MATRIX_STACK_DEPTH - 1, 0);
    for (int i = 0; i < MATRIX_STACK_DEPTH - 1 + extra; ++i) bb_graphics_PopMatrix();
    ExpectMatrix(1, 0, 0, 1, 0, 0);
    EXPECT_EQ(bb_graphics_context->matrixStackTop, 0);
    // The stack's neighbours on the collected heap are intact.
    gc_collect();
    gc_collect();
}

}  // namespace
