// The display list and its drawing helpers, and the scale from the window to
// the logical screen (headless; the GL tests check what reaches the screen).
#include "harness.h"

namespace {

using game_test::GameHarness;

TEST(DrawList, HelpersKeepTheDrawStateAndOptionalArguments) {
    GameHarness h;
    bb_Moxelpark_MyApp* g = h.game;
    g->m_ResetDraw();
    EXPECT_FLOAT_EQ(g->f_SizeX, 1.0f);
    EXPECT_FLOAT_EQ(g->f_ColBlue, 255.0f);
    EXPECT_FLOAT_EQ(g->f_ColAlpha, 1.0f);

    g->m_SetSize(2.0f, OMITTED);
    EXPECT_FLOAT_EQ(g->f_SizeY, 2.0f);
    g->m_SetSize(2.0f, 3.0f);
    EXPECT_FLOAT_EQ(g->f_SizeY, 3.0f);

    g->m_Alpha(0.25f);
    g->m_SetCol(255.0f, 0.0f, 0.0f, OMITTED);
    EXPECT_FLOAT_EQ(g->f_ColAlpha, 0.25f);
    EXPECT_FLOAT_EQ(g->f_ColGreen, 0.0f);
    g->m_SetCol(1.0f, 2.0f, 3.0f, 0.5f);
    EXPECT_FLOAT_EQ(g->f_ColAlpha, 0.5f);

    // A background given; then one omitted keeps it but still resets and empties.
    g->m_CLS2D(10.0f, 20.0f, 30.0f, 0.5f);
    g->m_Rect(1, 2, 3, 4);
    g->m_SetSize(4.0f);
    g->m_CLS2D(OMITTED, 99.0f, 99.0f, 99.0f);
    EXPECT_FLOAT_EQ(g->f_ClsRed, 10.0f);
    EXPECT_FLOAT_EQ(g->f_ClsGreen, 20.0f);
    EXPECT_FLOAT_EQ(g->f_ClsAlpha, 0.5f);
    EXPECT_EQ(g->f_DrawCount, 0);
    EXPECT_FLOAT_EQ(g->f_SizeX, 1.0f);
}

TEST(DrawList, EntriesCarryTheirKindGeometryAndTheDrawState) {
    GameHarness h;
    bb_Moxelpark_MyApp* g = h.game;
    g->m_CLS2D(0, 0, 0, 1);
    g->f_Rotation = 30.0f;
    g->m_SetSize(1.5f, 2.5f);
    g->m_SetCol(10, 20, 30, 0.4f);
    g->m_DrawImg(SLOT_GFX, 100, 50, 6.0f);
    g->m_Rect(-1, 352, 642, 256);
    g->m_Oval(320, 240, 6, 7);
    ASSERT_EQ(h.EntryCount(), 3);
    auto img = h.Entry(0), rect = h.Entry(1), oval = h.Entry(2);
    EXPECT_TRUE(img.IsImage(SLOT_GFX));
    EXPECT_FLOAT_EQ(img.x, 100);
    EXPECT_FLOAT_EQ(img.rotation, 30);
    EXPECT_FLOAT_EQ(img.w, 1.5f);
    EXPECT_FLOAT_EQ(img.h, 2.5f);
    EXPECT_FLOAT_EQ(img.frame, 6);
    EXPECT_FLOAT_EQ(img.alpha, 0.4f);
    EXPECT_FLOAT_EQ(img.g, 20);
    EXPECT_TRUE(rect.IsRect());
    EXPECT_FLOAT_EQ(rect.y, 352);
    EXPECT_FLOAT_EQ(rect.w, 642);
    EXPECT_FLOAT_EQ(rect.rotation, 30);
    EXPECT_FLOAT_EQ(rect.frame, 0);
    EXPECT_TRUE(oval.IsOval());
    EXPECT_FLOAT_EQ(oval.h, 7);
    EXPECT_FLOAT_EQ(oval.b, 30);
}

TEST(DrawList, AFullFrameDropsTheRestSilently) {
    GameHarness h;
    bb_Moxelpark_MyApp* g = h.game;
    // A sentinel in the never-used last entry shows nothing writes there.
    for (int i = DRAW_LIST_FLOATS - DRAW_ENTRY_FLOATS; i < DRAW_LIST_FLOATS; ++i) g->f_DrawList[i] = 12345.0f;
    g->m_CLS2D(0, 0, 0, 1);
    for (int i = 0; i < 2500; ++i) g->m_Rect(static_cast<float>(i), 0, 1, 1);
    EXPECT_EQ(g->f_DrawCount, 37485);
    EXPECT_EQ(h.EntryCount(), 2499);
    EXPECT_FLOAT_EQ(h.Entry(2498).x, 2498.0f);
    g->m_Oval(1, 1, 1, 1);
    g->m_DrawImg(1, 1, 1, 0);
    EXPECT_EQ(g->f_DrawCount, 37485);
    for (int i = DRAW_LIST_FLOATS - DRAW_ENTRY_FLOATS; i < DRAW_LIST_FLOATS; ++i)
        EXPECT_FLOAT_EQ(g->f_DrawList[i], 12345.0f);
}

TEST(DrawList, TheScaleMakesTheLogicalAreaSpanTheWindow) {
    struct Case {
        int w, h;
        float scale, jscrw, jscrh;
        int axis, landscape;
    } cases[] = {
        {640, 480, 1.0f, 640, 480, 1, 1},  {800, 600, 1.25f, 640, 480, 1, 1},
        {1280, 720, 2.0f, 640, 360, 1, 1}, {480, 640, 4.0f / 3.0f, 360, 480, 2, 0},
        {480, 480, 1.0f, 480, 480, 2, 1},  // square: landscape (width not less than height)
    };
    for (const Case& c : cases) {
        GameHarness h(c.w, c.h);
        h.Create();
        h.Render();
        EXPECT_FLOAT_EQ(h.game->f_ScaleX, c.scale) << c.w << "x" << c.h;
        EXPECT_FLOAT_EQ(h.game->f_ScaleY, c.scale);
        EXPECT_FLOAT_EQ(bb_Moxelpark_jscrw, c.jscrw) << c.w << "x" << c.h;
        EXPECT_FLOAT_EQ(bb_Moxelpark_jscrh, c.jscrh) << c.w << "x" << c.h;
        EXPECT_EQ(h.game->f_ScaleAxis, c.axis) << c.w << "x" << c.h;
        EXPECT_EQ(h.game->f_Landscape, c.landscape) << c.w << "x" << c.h;
    }
}

TEST(DrawList, AWindowWithoutAreaKeepsTheLastScale) {
    GameHarness h(800, 600);
    h.Create();
    h.Render();
    h.game->ComputeScale(0, 600);
    EXPECT_FLOAT_EQ(h.game->f_ScaleX, 1.25f);
    EXPECT_FLOAT_EQ(bb_Moxelpark_jscrw, 640.0f);
}

}  // namespace

// What the host asks before every render: whether this frame would draw
// anything other than what the last render drew.
TEST(PictureChanged, OnlyWhatTheRenderDrawsCounts) {
    GameHarness h;
    h.StartAndLoad();
    bb_Moxelpark_MyApp* g = h.game;
    // The menu after its slide-in, at rest.
    h.Update(60);
    ASSERT_GT(h.EntryCount(), 2);
    h.Render();
    h.Update();
    EXPECT_FALSE(g->m_PictureChanged()) << "the menu at rest";

    const struct {
        const char* what;
        void (*change)(bb_Moxelpark_MyApp*);
        bool changes;
    } cases[] = {
        {"an entry's colour", [](bb_Moxelpark_MyApp* a) { a->f_DrawList[DRAW_RED] -= 1.0f; }, true},
        {"an entry's position",
         [](bb_Moxelpark_MyApp* a) { a->f_DrawList[DRAW_ENTRY_FLOATS + DRAW_X] += 0.5f; }, true},
        {"the last entry dropped", [](bb_Moxelpark_MyApp* a) { a->f_DrawCount -= DRAW_ENTRY_FLOATS; }, true},
        {"the background", [](bb_Moxelpark_MyApp* a) { a->f_ClsAlpha = 0.5f; }, true},
        {"the image scale", [](bb_Moxelpark_MyApp* a) { a->f_ImageScale *= 0.5f; }, true},
        {"an image slot emptied", [](bb_Moxelpark_MyApp* a) { a->f_Images[a->f_FontSlot] = nullptr; }, true},
        {"the draw state, not drawn", [](bb_Moxelpark_MyApp* a) { a->f_ColRed = 1.0f; }, false},
    };
    for (const auto& c : cases) {
        h.Update();
        h.Render();
        ASSERT_FALSE(g->m_PictureChanged()) << "just drawn, before " << c.what;
        c.change(g);
        EXPECT_EQ(g->m_PictureChanged(), c.changes) << c.what;
        h.Render();
        EXPECT_FALSE(g->m_PictureChanged()) << "drawn again after " << c.what;
        // The menu builds its frame afresh; the slot goes back to its image.
        g->m_Reload();
        h.FinishLoading();
        h.Update(60);
    }
}
