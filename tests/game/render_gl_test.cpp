// The game rendered into a real window under Xvfb: the scale and the image
// variant for several window sizes, a resize restarting the loader, and the
// replay of rectangle, oval and image entries read back as pixels.
#include <GLFW/glfw3.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "harness.h"
#include "host/base/glfw_window.h"
#include "tests/support/png_file.h"
#include "tests/support/temp_dir.h"

namespace {

using game_test::GameHarness;

unsigned Rgb(unsigned r, unsigned g, unsigned b) {
    return r << 16 | g << 8 | b;
}

// The real program's game in a real window of the given size.
class GlGame {
  public:
    GlGame(int width, int height) {
        static bool ready = glfwInit();
        EXPECT_TRUE(ready) << "the GL tests need an X server (xvfb-run)";
        window_ = glfwCreateWindow(width, height, "Moxelpark", nullptr, nullptr);
        EXPECT_NE(window_, nullptr);
        glfwMakeContextCurrent(window_);
        system_ = new host::GlfwWindowSystem(window_);
        harness = new GameHarness(system_, nullptr);
    }
    ~GlGame() {
        delete harness;
        delete system_;
        glfwDestroyWindow(window_);
    }

    // One render as the host runs it, with the pixels read before the swap.
    void Render() {
        gxtkGraphics* g = harness->host->graphics;
        ASSERT_TRUE(g->Validate());
        g->BeginRender();
        harness->host->OnRender();
        pixels_ = Array<int>(g->Width() * g->Height());
        g->ReadPixels(pixels_, 0, 0, g->Width(), g->Height(), 0, g->Width());
        width_ = g->Width();
        g->EndRender();
    }
    unsigned Pixel(int x, int y) const { return static_cast<unsigned>(pixels_[y * width_ + x]) & 0xffffffu; }

    // Asks the window system for a new size and waits until the window has it.
    bool Resize(int width, int height) {
        glfwSetWindowSize(window_, width, height);
        for (int i = 0; i < 200; ++i) {
            glfwPollEvents();
            int w = 0, h = 0;
            glfwGetWindowSize(window_, &w, &h);
            if (w == width && h == height) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    GameHarness* harness = nullptr;

  private:
    GLFWwindow* window_ = nullptr;
    host::GlfwWindowSystem* system_ = nullptr;
    Array<int> pixels_;
    int width_ = 0;
};

TEST(RenderGl, ScaleAndImageVariantFollowTheWindow) {
    struct Case {
        int w, h;
        float jscrw, jscrh;
        int axis, landscape, hires;
    } cases[] = {
        {640, 480, 640, 480, 1, 1, 1},
        {800, 600, 640, 480, 1, 1, 2},
        {1280, 720, 640, 360, 1, 1, 4},
        // The menu holds its logical screen at 15:16 in a window taller than that.
        {480, 640, 450, 480, 1, 0, 2},
    };
    for (const Case& c : cases) {
        GlGame gl(c.w, c.h);
        GameHarness& h = *gl.harness;
        h.Create();
        gl.Render();
        EXPECT_EQ(h.FinishLoading(), 25);
        gl.Render();
        EXPECT_FLOAT_EQ(bb_Moxelpark_jscrw, c.jscrw) << c.w << "x" << c.h;
        EXPECT_FLOAT_EQ(bb_Moxelpark_jscrh, c.jscrh) << c.w << "x" << c.h;
        EXPECT_EQ(h.game->f_ScaleAxis, c.axis) << c.w << "x" << c.h;
        EXPECT_EQ(h.game->f_Landscape, c.landscape) << c.w << "x" << c.h;
        EXPECT_EQ(h.game->f_HiRes, c.hires) << c.w << "x" << c.h;
        // The loaded file is the variant: its frames are hires times as large.
        bb_graphics_Image* menu = h.game->f_Images[SLOT_MENU];
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu->width, 256 * c.hires) << c.w << "x" << c.h;
    }
}

TEST(RenderGl, AResizeRestartsTheLoaderAtTheNewFactor) {
    GlGame gl(640, 480);
    GameHarness& h = *gl.harness;
    h.Create();
    gl.Render();
    h.FinishLoading();
    ASSERT_EQ(h.game->f_HiRes, 1);
    ASSERT_TRUE(gl.Resize(800, 600));
    gl.Render();
    EXPECT_EQ(h.game->f_LoadStep, 1);
    EXPECT_EQ(h.game->f_DeviceWidth, 800);
    EXPECT_FLOAT_EQ(h.game->f_ScaleX, 1.25f);
    EXPECT_EQ(h.FinishLoading(), 25);
    EXPECT_EQ(h.game->f_HiRes, 2);
    EXPECT_EQ(h.game->f_Images[SLOT_GFX]->width, 64);
}

TEST(RenderGl, ReplayDrawsEntriesScaledToTheWindow) {
    GlGame gl(800, 600);  // scale 1.25, "-hd" files (image scale 0.5)
    GameHarness& h = *gl.harness;
    h.Create();
    gl.Render();
    h.FinishLoading();
    bb_Moxelpark_MyApp* g = h.game;
    ASSERT_FLOAT_EQ(g->f_ImageScale, 0.5f);

    // A 32 by 32 blue picture in slot 5, handle at its centre.
    const test_support::TempDir dir("moxel-game-gl");
    const std::string path = test_support::write_solid_png(dir, "blue.png", 32, 32, 0, 0, 255);
    gc_assign(g->f_Images[5], bb_graphics_LoadImage2(String(path.c_str()), 32, 32, 1, IMAGE_FLAG_CENTRE));
    ASSERT_NE(g->f_Images[5], nullptr);

    g->m_CLS2D(0, 0, 80, 1);
    g->m_SetCol(255, 0, 0, 1);
    g->m_Rect(40, 40, 80, 40);  // pixels 50..150, 50..100
    g->m_SetCol(0, 255, 0, 1);
    g->m_Oval(300, 200, 40, 20);  // centre (375, 250), radii 50 and 25
    g->m_ResetDraw();
    g->m_DrawImg(6, 400, 100, 0);  // an empty slot draws nothing
    g->m_DrawImg(5, 400, 100, 0);  // 32 * 1.25 * 0.5 = 20 pixels around (500, 125)
    g->m_SetSize(2.0f);
    g->m_DrawImg(5, 400, 300, 0);  // 40 pixels around (500, 375)
    gl.Render();

    const unsigned sky = Rgb(0, 0, 80), red = Rgb(255, 0, 0), green = Rgb(0, 255, 0), blue = Rgb(0, 0, 255);
    struct Probe {
        int x, y;
        unsigned colour;
    } probes[] = {
        {5, 5, sky},      {100, 75, red},    {52, 52, red},     {147, 97, red},  {47, 75, sky},
        {100, 103, sky},  {375, 250, green}, {420, 250, green}, {428, 250, sky}, {375, 272, green},
        {375, 280, sky},  {500, 125, blue},  {508, 117, blue},  {513, 125, sky}, {500, 375, blue},
        {518, 375, blue}, {523, 375, sky},   {799, 599, sky},
    };
    for (const Probe& p : probes) EXPECT_EQ(gl.Pixel(p.x, p.y), p.colour) << p.x << "," << p.y;
}

}  // namespace

TEST(RenderGl, TheMenuHeldAt15By16IsDrawnCentredInATallerWindow) {
    GlGame gl(480, 640);  // the menu's 15:16 area: 480 / 450 pixels a unit, 512 pixels high
    GameHarness& h = *gl.harness;
    h.Create();
    gl.Render();
    h.FinishLoading();
    h.Update();
    gl.Render();
    bb_Moxelpark_MyApp* g = h.game;
    ASSERT_FLOAT_EQ(g->f_OffsetY, 64.0f);

    // The whole logical area red: the band above and below shows the background.
    g->m_CLS2D(0, 0, 80, 1);
    g->m_SetCol(255, 0, 0, 1);
    g->m_Rect(0, 0, bb_Moxelpark_jscrw, bb_Moxelpark_jscrh);
    gl.Render();
    const unsigned sky = Rgb(0, 0, 80), red = Rgb(255, 0, 0);
    struct Probe {
        int x, y;
        unsigned colour;
    } probes[] = {{240, 0, sky},   {240, 63, sky},  {240, 64, red}, {0, 64, red},
                  {479, 575, red}, {240, 576, sky}, {240, 639, sky}};
    for (const Probe& p : probes) EXPECT_EQ(gl.Pixel(p.x, p.y), p.colour) << p.x << "," << p.y;
}
