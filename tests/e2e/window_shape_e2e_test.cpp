// The window changing shape under a window manager, as a player changes it: a
// resize in the middle of a hole keeps the ball on the grass line and on
// screen, and F11 or Alt+Enter fill the screen and give the 640 by 480 window
// back, without the keys reaching the game.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tests/e2e/player.h"

namespace e2e {
namespace {

constexpr int TYPE1_BUTTON_X = TYPE_BUTTON_X[0];
constexpr int SCREEN_W = 1024, SCREEN_H = 768;

// The client area of a window, exactly (the window manager's frame excluded).
struct Geometry {
    int x = -1, y = -1, width = 0, height = 0;
};

Geometry client(const XServer& server, const std::string& id) {
    Geometry g;
    std::istringstream in(server.x("xwininfo -id " + id + " 2>/dev/null"));
    for (std::string line; std::getline(in, line);) {
        auto value = [&](const char* label, int* out) {
            size_t at = line.find(label);
            if (at != std::string::npos) *out = std::stoi(line.substr(at + std::string(label).size()));
        };
        value("Absolute upper-left X:", &g.x);
        value("Absolute upper-left Y:", &g.y);
        value("Width:", &g.width);
        value("Height:", &g.height);
    }
    return g;
}

bool wait_for_size(const XServer& server, const std::string& id, int width, int height,
                   double timeout = 10.0) {
    return wait_for(
        [&] {
            Geometry g = client(server, id);
            return g.width == width && g.height == height;
        },
        timeout, 0.1);
}

bool white(const Rgb& c) {
    return c.r >= 240 && c.g >= 240 && c.b >= 240;
}

// The first row, from the top, of the grass in a column of a shot; -1 if none.
int grass_top(const Screenshot& shot, int x) {
    for (int y = 0; y < shot.height; ++y) {
        if (same(shot.at(x, y), GRASS)) return y;
    }
    return -1;
}

TEST(WindowShapeEndToEnd, AResizeDuringAHoleKeepsTheBallOnTheGrassLineOnScreen) {
    XServer server(true);
    WorkDir dir;
    Game game(dir, &server, {NO_SOUND_CARD});
    const std::string id = game.window();
    ASSERT_FALSE(id.empty()) << game.out() << game.err();
    ASSERT_TRUE(wait_for_menu_at_rest(server, id)) << game.out();
    click(server, id, TYPE1_BUTTON_X, TYPE_BUTTON_Y);
    ASSERT_TRUE(wait_for([&] { return same(window_pixel(server, id, 4, GROUND_Y + 8), GRASS); }, 10.0, 0.1));

    // 16:9 at scale 1.25: a logical screen of 640 by 360, the grass from 232.
    constexpr int W = 800, H = 450;
    constexpr float SCALE = 1.25f;
    server.x("xdotool windowsize " + id + " " + std::to_string(W) + " " + std::to_string(H));
    ASSERT_TRUE(wait_for_size(server, id, W, H)) << client(server, id).width;
    const int grassY = static_cast<int>((360 - 128) * SCALE);
    Screenshot shot;
    ASSERT_TRUE(wait_for(
        [&] {
            shot = window_shot(server, id);
            return shot.width == W && grass_top(shot, 4) == grassY;
        },
        20.0, 0.2))
        << "the play screen at the new shape never came";

    // The ball on the tee, right of the golfer (who faces right): its white
    // sits on the grass line, not in the grass below it.
    const int ballX = static_cast<int>(320 * SCALE);
    int rows = 0;
    long sumY = 0;
    for (int y = 0; y < H; ++y) {
        for (int x = ballX + 2; x <= ballX + 6; ++x) {
            if (!white(shot.at(x, y))) continue;
            ++rows;
            sumY += y;
        }
    }
    ASSERT_GT(rows, 0) << "no ball in the window";
    EXPECT_NEAR(static_cast<double>(sumY) / rows, grassY, 8.0);

    close_and_expect_zero(server, game, 10.0);
    EXPECT_EQ(game.err(), "");
}

TEST(WindowShapeEndToEnd, FullscreenKeysFillTheScreenAndGiveTheWindowBack) {
    XServer server(true, SCREEN_W, SCREEN_H);
    WorkDir dir;
    Game game(dir, &server, {NO_SOUND_CARD});
    const std::string id = game.window();
    ASSERT_FALSE(id.empty()) << game.out() << game.err();
    ASSERT_TRUE(wait_for_menu(server, id)) << game.out();
    const Geometry windowed = client(server, id);
    ASSERT_EQ(windowed.width, 640);
    ASSERT_EQ(windowed.height, 480);

    for (const char* keys : {"F11", "alt+Return"}) {
        SCOPED_TRACE(keys);
        key(server, id, keys);
        ASSERT_TRUE(wait_for_size(server, id, SCREEN_W, SCREEN_H));
        Geometry full = client(server, id);
        EXPECT_EQ(full.x, 0);
        EXPECT_EQ(full.y, 0);
        // The game draws the whole screen, the menu's blue up to its corner.
        EXPECT_TRUE(wait_for([&] { return same(server.screenshot().at(2, 2), SKY); }, 20.0, 0.2));

        key(server, id, keys);
        ASSERT_TRUE(wait_for_size(server, id, 640, 480));
        EXPECT_TRUE(wait_for_menu(server, id));
    }
    // Alt+Enter confirmed nothing: no game was started (building a hole prints
    // its placement lines).
    pause_for(0.5);
    EXPECT_EQ(game.out().find("1:1:"), std::string::npos) << game.out();

    close_and_expect_zero(server, game, 10.0);
    EXPECT_EQ(game.err(), "");
}

}  // namespace
}  // namespace e2e
