// The pause panel in the real window at a wide shape, worked by mouse as a
// player does: on a 1280 by 720 window (logical 640 by 360) the Resume button
// lies over the resting ball's turning zone, and a click on it must still
// close the panel.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/player.h"

namespace e2e {
namespace {

constexpr int WIDE_W = 1280, WIDE_H = 720;  // scale 2: logical 640 by 360
// Window pixels at scale 2.
constexpr int TYPE2_X = 512, TYPE2_Y = 504;  // game type 2's button at rest
constexpr Rgb SCORE_PANEL = {0, 0, 48};      // the menu's score column at the right edge
constexpr int PAUSE_X = 32, PAUSE_Y = 32;
constexpr int RESUME_X = 640, RESUME_Y = 400;  // the panel's centre line stops at logical 200
constexpr int PANEL_X = 500, PANEL_Y = 440;    // the orange panel beside Resume, above the grass

bool panel_shown(const XServer& server, const std::string& window) {
    const Rgb c = window_pixel(server, window, PANEL_X, PANEL_Y);
    return c.r > 150 && c.g > 60 && c.b < 80;
}

TEST(PauseEndToEnd, OnAWideWindowAClickOnResumeClosesThePanel) {
    XServer server(false, 1600, 1200);
    WorkDir dir;
    Game game(dir, &server, {NO_SOUND_CARD});
    std::string window = game.window();
    ASSERT_FALSE(window.empty()) << game.out();
    ASSERT_TRUE(wait_for_menu(server, window));
    // Screenshots only show what lies on the screen: keep the window inside it.
    server.x("xdotool windowmove --sync " + window + " 0 0");
    server.x("xdotool windowsize --sync " + window + " " + std::to_string(WIDE_W) + " " +
             std::to_string(WIDE_H));
    Rgb corner{};
    // The images reload for the new size before the menu comes back; the
    // score panel's night in the far corner is a picture drawn at the new
    // size, not the old one.
    ASSERT_TRUE(wait_for(
        [&] {
            Screenshot shot = window_shot(server, window);
            corner = shot.at(WIDE_W - 3, 2);
            return shot.width == WIDE_W && same(corner, SCORE_PANEL);
        },
        15.0, 0.1))
        << corner.r << "," << corner.g << "," << corner.b;
    ASSERT_TRUE(wait_for_menu_at_rest(server, window, 15.0));

    click(server, window, TYPE2_X, TYPE2_Y);
    ASSERT_TRUE(wait_for(
        [&] {
            Screenshot shot = window_shot(server, window);
            return same(shot.at(20, WIDE_H - 20), GRASS) && same(shot.at(WIDE_W - 20, 120), SKY);
        },
        10.0, 0.2))
        << "no play screen";

    click(server, window, PAUSE_X, PAUSE_Y);
    ASSERT_TRUE(wait_for([&] { return panel_shown(server, window); }, 5.0, 0.1)) << "the panel did not open";
    ASSERT_TRUE(wait_for_still(server, window)) << "the panel never comes to rest";

    click(server, window, RESUME_X, RESUME_Y);
    EXPECT_TRUE(wait_for([&] { return !panel_shown(server, window); }, 5.0, 0.1))
        << "the panel stays open after Resume";
    EXPECT_TRUE(game.running());
    EXPECT_EQ(game.err(), "");
}

}  // namespace
}  // namespace e2e
