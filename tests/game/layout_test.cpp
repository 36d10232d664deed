// Every screen at every window shape from a tall phone held upright (9:21)
// to a wide monitor (21:9): no text or button of the menu (with each game
// type's lists), the credits box, the badges box and a badge row, the play
// screen (score, balls, meter, the hole's caption), the pause panel and the
// game-over overlay with its highscore banner overlaps another or runs past
// the edge (tests/support/layout_boxes.h says what counts). And at 4:3 every
// screen's display list is the one the game has always drawn.
#include <cstdint>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "harness.h"
#include "shell_fixture.h"
#include "tests/support/layout_boxes.h"

namespace {

using shell_test::ShellFixture;
using test_support::InkAtlas;
using test_support::LayoutFaults;
using test_support::LayoutItems;

struct Shape {
    int width, height;  // window pixels
};

// Laptops, monitors and phones either way up, and the extremes.
constexpr Shape SHAPES[] = {
    {640, 480},   {1280, 960}, {800, 600},   {1280, 720}, {1920, 1080}, {1366, 768},  {1440, 900},
    {1280, 800},  {1200, 800}, {1000, 1000}, {844, 390},  {2340, 1080}, {2520, 1080}, {2560, 1080},
    {480, 640},   {768, 1024}, {800, 1200},  {720, 1280}, {1080, 1920}, {390, 844},   {1080, 2340},
    {1080, 2520}, {360, 840},  {900, 960},   {930, 960},
};

constexpr int FULL_SCORE = 88888888;    // eight digits, the widest a list row gets
constexpr int RECORD_SCORE = 99999999;  // beats every entry: "New Highscore", "1st!"

// Walks one window shape through every screen, calling `visit` with the
// screen's name once each screen's frame is built and at rest.
void WalkScreens(const Shape& shape, const std::function<void(const char*, ShellFixture&)>& visit) {
    ShellFixture f(shape.width, shape.height);
    bb_Moxelpark_MyApp* g = f.game;
    for (int i = 0; i < HIGHSCORE_COUNT; ++i) g->f_HighScores[i] = FULL_SCORE;
    const char* menus[] = {"menu, game type 1", "menu, game type 2", "menu, game type 3"};
    for (int t = 1; t <= GAME_TYPES; ++t) {
        g->f_GameType = t;
        f.Update();
        visit(menus[t - 1], f);
    }
    g->f_ShowCredits = 1;
    f.Update();
    visit("credits box", f);
    g->f_ShowCredits = 0;
    // The badges box, and a badge row at rest over it.
    g->f_ShowBadges = 1;
    g->f_BadgeQueue[0] = 0;
    g->f_BadgeTimer[0] = 100;
    f.Update();
    visit("badges", f);
    g->f_ShowBadges = 0;
    g->f_BadgeTimer[0] = 0;

    // Play, with the longest caption a hole can bring.
    g->f_GameType = 1;
    g->f_GameMode = MODE_PLAY_LOAD;
    f.Update(2);
    g->StartHoleCaption(BALLS_PER_HOLE + 3);
    f.Update();
    visit("play", f);
    f.Hold(KEY_ESCAPE);
    f.Let(KEY_ESCAPE);
    f.Update(30);
    visit("pause panel", f);

    // Quit with a record score: the overlay at its full size, just before it hands over to the menu.
    g->HidePausePanel();
    g->f_Score = RECORD_SCORE;
    g->f_GameOver = 1;
    f.Update(89);
    visit("game over", f);
}

// The pictures' ink, read once for each resolution the shapes load.
const InkAtlas& AtlasFor(const bb_Moxelpark_MyApp& game) {
    static std::map<int, std::unique_ptr<InkAtlas>> atlases;
    std::unique_ptr<InkAtlas>& atlas = atlases[game.f_HiRes];
    if (!atlas) atlas = std::make_unique<InkAtlas>(game);
    return *atlas;
}

TEST(Layout, NoTextOrButtonOverlapsAnotherOrLeavesTheScreenAtAnyShape) {
    struct Count {
        std::string screen;
        size_t texts, buttons;
    };
    std::vector<Count> at43;  // what each screen draws at 640 by 480
    for (const Shape& shape : SHAPES) {
        SCOPED_TRACE(testing::Message() << shape.width << "x" << shape.height);
        size_t screen = 0;
        WalkScreens(shape, [&](const char* name, ShellFixture& f) {
            SCOPED_TRACE(name);
            const InkAtlas& atlas = AtlasFor(*f.game);
            ASSERT_TRUE(atlas.Loaded());
            const auto items = LayoutItems(*f.game, atlas);
            for (const std::string& fault :
                 LayoutFaults(items, atlas, f.game->f_ImageScale, bb_Moxelpark_jscrw, bb_Moxelpark_jscrh))
                ADD_FAILURE() << fault;
            // Every shape draws what 4:3 draws: nothing was left out to make room.
            const size_t texts = f.game->frame.texts.size(), buttons = f.game->frame.buttons.size();
            if (at43.size() <= screen) at43.push_back({name, texts, buttons});
            EXPECT_EQ(texts, at43[screen].texts);
            EXPECT_EQ(buttons, at43[screen].buttons);
            ++screen;
        });
    }
    // The walk saw every screen with its texts and buttons.
    const Count expected[] = {{"menu, game type 1", 2, 6},
                              {"menu, game type 2", 2, 6},
                              {"menu, game type 3", 2, 6},
                              {"credits box", 6, 6},
                              {"badges", 1, 6},
                              {"play", 4, 1},
                              {"pause panel", 4, 4},
                              {"game over", 6, 1}};
    ASSERT_EQ(at43.size(), std::size(expected));
    for (size_t i = 0; i < at43.size(); ++i) {
        EXPECT_EQ(at43[i].screen, expected[i].screen);
        EXPECT_EQ(at43[i].texts, expected[i].texts) << expected[i].screen;
        EXPECT_EQ(at43[i].buttons, expected[i].buttons) << expected[i].screen;
    }
}

// FNV-1a over the bytes of the display list in use and the background colour.
uint64_t DisplayListDigest(const bb_Moxelpark_MyApp& g) {
    uint64_t hash = 14695981039346656037ull;
    auto add = [&](const void* data, size_t n) {
        const unsigned char* p = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < n; ++i) hash = (hash ^ p[i]) * 1099511628211ull;
    };
    add(g.f_DrawList.Data(), static_cast<size_t>(g.f_DrawCount) * sizeof(float));
    const float cls[] = {g.f_ClsRed, g.f_ClsGreen, g.f_ClsBlue, g.f_ClsAlpha};
    add(cls, sizeof cls);
    return hash;
}

TEST(Layout, AtFourToThreeEveryScreenDrawsWhatItAlwaysHas) {
    // Digests of each screen's display list, in the order WalkScreens visits
    // them, as the game drew them before the other shapes were mended: a
    // change here changes the 4:3 pictures. Both sizes draw the same list.
    const std::vector<uint64_t> always = {0x76cd686eb0f46abcull, 0xa81afdfdd002e7d0ull, 0xc426846f5485b6c4ull,
                                          0x8bc2ddc8ea2c2810ull, 0x0e21db2bb86be52aull, 0x255da1794d5d20b0ull,
                                          0x096d0182b60c1b98ull, 0x8a157a055f6645bfull};
    for (const Shape& shape : {Shape{640, 480}, Shape{1280, 960}}) {
        SCOPED_TRACE(testing::Message() << shape.width << "x" << shape.height);
        std::vector<uint64_t> digests;
        std::string names;
        WalkScreens(shape, [&](const char* name, ShellFixture& f) {
            EXPECT_FLOAT_EQ(bb_Moxelpark_jscrw, 640.0f);
            EXPECT_FLOAT_EQ(bb_Moxelpark_jscrh, 480.0f);
            digests.push_back(DisplayListDigest(*f.game));
            names += std::string(name) + "; ";
        });
        std::ostringstream now;
        for (uint64_t d : digests) now << "0x" << std::hex << d << "ull, ";
        EXPECT_EQ(digests, always) << names << "\nnow: " << now.str();
    }
}

TEST(Layout, BeyondItsShapesTheMenuIsDrawnAtTheNearestCentredAndPlayFillsTheWindow) {
    struct Case {
        Shape window;
        float jscrw, jscrh;      // the menu's logical screen
        float offsetX, offsetY;  // its corner in the window
        float playWidth, playHeight;
    } cases[] = {
        // A phone held upright: the menu at 15:16, 2.4 pixels a unit, 1152 pixels high.
        {{1080, 2340}, 450, 480, 0, 594, 1080 / 4.875f, 480},
        // A 32:9 monitor: the menu at 21:9, 3.9375 pixels a unit, 2520 pixels wide.
        {{3840, 1080}, 640, 640.0f * 9 / 21, 660, 0, 640, 180},
        {{640, 480}, 640, 480, 0, 0, 640, 480},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.window.width << "x" << c.window.height);
        ShellFixture f(c.window.width, c.window.height);
        f.h.Render();
        EXPECT_FLOAT_EQ(bb_Moxelpark_jscrw, c.jscrw);
        EXPECT_FLOAT_EQ(bb_Moxelpark_jscrh, c.jscrh);
        EXPECT_FLOAT_EQ(f.game->f_OffsetX, c.offsetX);
        EXPECT_FLOAT_EQ(f.game->f_OffsetY, c.offsetY);

        // A click on game type 3's button, at the window pixel under it, starts it.
        float x = 0, y = 0;
        for (const auto& e : f.h.EntriesOf(SLOT_BUTTONS)) {
            if (e.frame == 2) x = e.x, y = e.y;
        }
        const float s = f.game->f_ScaleX;
        f.h.SetPointer(static_cast<int>(c.offsetX + x * s), static_cast<int>(c.offsetY + y * s));
        f.h.MouseDown();
        f.Update();
        f.h.MouseUp();
        EXPECT_EQ(f.game->f_GameMode, MODE_PLAY_LOAD);
        EXPECT_EQ(f.game->f_GameType, 3);

        // The hole is built on the whole window, as a game started anywhere else is.
        f.Update(2);
        ASSERT_EQ(f.game->f_GameMode, MODE_PLAY);
        f.h.Render();
        EXPECT_FLOAT_EQ(bb_Moxelpark_jscrw, c.playWidth);
        EXPECT_FLOAT_EQ(bb_Moxelpark_jscrh, c.playHeight);
        EXPECT_EQ(f.game->f_HoleWidth, bb_Moxelpark_jscrw);
        EXPECT_EQ(f.game->f_HoleHeight, bb_Moxelpark_jscrh);
        EXPECT_FLOAT_EQ(f.game->f_OffsetX, 0);
        EXPECT_FLOAT_EQ(f.game->f_OffsetY, 0);
        // The pause button in the window's corner answers there.
        f.h.SetPointer(static_cast<int>(16 * f.game->f_ScaleX), static_cast<int>(16 * f.game->f_ScaleY));
        f.h.MouseDown();
        f.Update();
        f.h.MouseUp();
        EXPECT_EQ(f.game->f_Paused, 1);
    }
}

}  // namespace
