// Strokes in the real window, as a player plays them: losing the focus or
// iconifying mid-drag plays nothing, a drag pulled out below the meter plays a
// full stroke, and a stroke can be aimed and played with the keyboard alone.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/player.h"

namespace e2e {
namespace {

// The middle of the ball's lower half on the tee at 640 by 480, below the
// golfer's club whichever way he faces; the path's dots start above it.
constexpr int BALL_X0 = 319, BALL_X1 = 322, BALL_Y0 = 350, BALL_Y1 = 352;
// The hole's caption stays a second before it fades: the screen looks still meanwhile.
constexpr double CAPTION_SECONDS = 2.2;
constexpr int METER_MIDDLE_Y = METER_TOP + 120;
constexpr int TEE_X = 320;
// The predicted path and the ball's first moments stay within this band of the tee.
constexpr int TEE_BAND = 40;

int count_changed(const Screenshot& a, const Screenshot& b, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            if (!same(a.at(x, y), b.at(x, y))) ++n;
        }
    }
    return n;
}

// A stroke sends the ball off the tee.
bool stroke_played(const Screenshot& shot) {
    for (int y = BALL_Y0; y < BALL_Y1; ++y) {
        for (int x = BALL_X0; x < BALL_X1; ++x) {
            if (!same(shot.at(x, y), Rgb{255, 255, 255})) return true;
        }
    }
    return false;
}

// A game of type 2 started from the menu by mouse, its screen at rest (the
// hole's caption faded), and the window given the keyboard focus.
Screenshot start_and_settle(const XServer& server, const std::string& window) {
    EXPECT_TRUE(wait_for_menu_at_rest(server, window));
    click(server, window, TYPE_BUTTON_X[1], TYPE_BUTTON_Y);
    EXPECT_TRUE(wait_for([&] { return play_screen(server, window); }, 10.0, 0.2));
    server.x("xdotool windowfocus --sync " + window + " 2>/dev/null");
    pause_for(CAPTION_SECONDS);
    EXPECT_TRUE(wait_for_still(server, window));
    return window_shot(server, window);
}

// Presses on the meter and drags down to its middle, the button held.
void hold_on_meter(const XServer& server, const std::string& window) {
    server.x("xdotool mousemove --window " + window + " " + std::to_string(METER_X) + " " +
             std::to_string(METER_TOP + 20) + " mousedown 1");
    pause_for(0.15);
    server.x("xdotool mousemove --window " + window + " " + std::to_string(METER_X) + " " +
             std::to_string(METER_MIDDLE_Y));
    pause_for(0.3);
}

std::string root_window(const XServer& server) {
    std::string id = server.x("xdotool search --maxdepth 0 --name '' 2>/dev/null | head -n 1");
    while (!id.empty() && (id.back() == '\n' || id.back() == ' ')) id.pop_back();
    return id;
}

TEST(StrokesEndToEnd, LosingTheFocusMidDragPlaysNoStroke) {
    XServer server;
    WorkDir dir;
    Game game(dir, &server, {NO_SOUND_CARD});
    std::string window = game.window();
    ASSERT_FALSE(window.empty()) << game.out();
    const Screenshot before = start_and_settle(server, window);
    ASSERT_FALSE(stroke_played(before));
    hold_on_meter(server, window);
    // The keyboard focus goes elsewhere (to the root window) with the button held.
    const std::string root = root_window(server);
    ASSERT_FALSE(root.empty());
    server.x("xdotool windowfocus --sync " + root + " 2>/dev/null");
    pause_for(0.5);
    server.x("xdotool mouseup 1");
    pause_for(0.5);
    server.x("xdotool windowfocus --sync " + window + " 2>/dev/null");
    ASSERT_TRUE(wait_for_still(server, window));
    const Screenshot after = window_shot(server, window);
    EXPECT_FALSE(stroke_played(after)) << "a stroke the player never released";
    EXPECT_EQ(count_changed(before, after, 0, 0, 640, 480), 0) << "the aim is not cancelled";
    EXPECT_TRUE(game.running());
    EXPECT_EQ(game.err(), "");
}

TEST(StrokesEndToEnd, IconifyingMidDragPlaysNoStroke) {
    XServer server(true);
    WorkDir dir;
    Game game(dir, &server, {NO_SOUND_CARD});
    std::string window = game.window();
    ASSERT_FALSE(window.empty()) << game.out();
    const Screenshot before = start_and_settle(server, window);
    ASSERT_FALSE(stroke_played(before));
    hold_on_meter(server, window);
    server.x("xdotool windowminimize --sync " + window);
    pause_for(0.5);
    server.x("xdotool mouseup 1");
    server.x("xdotool windowactivate --sync " + window);
    // Restored, the pause panel is open: close it and let it slide away.
    EXPECT_TRUE(wait_for([&] { return pause_veil(server, window); }, 5.0, 0.1));
    ASSERT_TRUE(wait_for_still(server, window));
    key(server, window, "Escape");
    ASSERT_TRUE(wait_for([&] { return !pause_veil(server, window); }, 5.0, 0.1));
    ASSERT_TRUE(wait_for_still(server, window));
    const Screenshot after = window_shot(server, window);
    EXPECT_FALSE(stroke_played(after)) << "a stroke the player never released";
    EXPECT_EQ(count_changed(before, after, 0, 0, 640, 480), 0) << "the aim is not cancelled";
    close_and_expect_zero(server, game);
}

TEST(StrokesEndToEnd, ADragPulledOutBelowTheMeterPlaysTheStroke) {
    XServer server;
    WorkDir dir;
    Game game(dir, &server, {NO_SOUND_CARD});
    std::string window = game.window();
    ASSERT_FALSE(window.empty()) << game.out();
    // Below the lowest bar, and on past the window's bottom edge.
    for (int release_y : {METER_TOP + 215, 560}) {
        SCOPED_TRACE(release_y);
        ASSERT_FALSE(stroke_played(start_and_settle(server, window)));
        drag(server, window, METER_X, METER_TOP + 20, METER_X, release_y);
        EXPECT_TRUE(wait_for([&] { return stroke_played(window_shot(server, window)); }, 3.0, 0.05))
            << "the strongest stroke was lost";
        // Quit the game for the next case: Escape, then quit on the panel.
        key(server, window, "Escape");
        ASSERT_TRUE(wait_for([&] { return pause_veil(server, window); }, 5.0, 0.1));
        ASSERT_TRUE(wait_for_still(server, window));
        click(server, window, PAUSE_QUIT_X, PAUSE_QUIT_Y);
    }
    EXPECT_EQ(game.err(), "");
}

TEST(StrokesEndToEnd, KeysAloneTurnAimAndPlayAStroke) {
    XServer server;
    WorkDir dir;
    Game game(dir, &server, {NO_SOUND_CARD});
    std::string window = game.window();
    ASSERT_FALSE(window.empty()) << game.out();
    ASSERT_TRUE(wait_for_menu_at_rest(server, window));
    key(server, window, "Return");
    ASSERT_TRUE(wait_for([&] { return play_screen(server, window); }, 10.0, 0.2));
    pause_for(CAPTION_SECONDS);
    ASSERT_TRUE(wait_for_still(server, window));
    const Screenshot rest = window_shot(server, window);
    // Face left and tap the power up one bar: the path shows to the left.
    key(server, window, "Left");
    key(server, window, "Down");
    ASSERT_TRUE(wait_for_still(server, window));
    const Screenshot aimed = window_shot(server, window);
    EXPECT_GT(count_changed(rest, aimed, 0, 0, TEE_X - TEE_BAND, GROUND_Y), 20) << "no path to the left";
    EXPECT_EQ(count_changed(rest, aimed, TEE_X + TEE_BAND, 0, METER_X - 64, GROUND_Y), 0);
    EXPECT_FALSE(stroke_played(aimed)) << "power set by keys waits for fire";
    // Space plays it: the ball leaves to the left.
    key(server, window, "space");
    EXPECT_TRUE(wait_for([&] { return stroke_played(window_shot(server, window)); }, 3.0, 0.05));
    const Screenshot flying = window_shot(server, window);
    EXPECT_GT(count_changed(aimed, flying, 0, 0, TEE_X - TEE_BAND, 480), 20);
    EXPECT_EQ(count_changed(aimed, flying, TEE_X + TEE_BAND, 0, METER_X - 64, 480), 0);
    EXPECT_EQ(game.err(), "");
}

}  // namespace
}  // namespace e2e
