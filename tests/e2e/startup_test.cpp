// The program's start and end as a player's desktop sees them: the window, its
// place and title, closing it, starting without a display or a sound card, and
// starting again where a copy already runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "tests/e2e/harness.h"
#include "tests/e2e/player.h"

namespace e2e {
namespace {

TEST(StartupTest, OpensOneCentredWindowWithoutWindowManager) {
    XServer server;
    ASSERT_FALSE(server.display().empty());
    WorkDir dir;
    Game game(dir, &server, {NO_SOUND_CARD});
    std::string id = game.window();
    ASSERT_FALSE(id.empty()) << "running " << game.running() << " out " << game.out() << " err " << game.err()
                             << server.x(
                                    "xdotool search --name . 2>&1; xwininfo -root -tree 2>&1 | head -20");
    std::string geometry;
    wait_for(
        [&] {
            geometry = server.x("xdotool getwindowgeometry " + id);
            return geometry.find("Position: 192,144") != std::string::npos;
        },
        5.0);
    EXPECT_NE(geometry.find("Position: 192,144"), std::string::npos) << geometry;
    EXPECT_NE(geometry.find("Geometry: 640x480"), std::string::npos) << geometry;
    std::string ids = server.x("xdotool search --name '^Moxelpark$'");
    EXPECT_EQ(std::count(ids.begin(), ids.end(), '\n'), 1) << ids;
    // The window's corner turns to the menu's blue once the game is up.
    EXPECT_TRUE(wait_for([&] { return same(server.screenshot().at(192 + 2, 144 + 2), SKY); }, 20.0, 0.25));
    EXPECT_TRUE(game.running());
    EXPECT_NE(game.out().find("alcOpenDevice failed"), std::string::npos);
    EXPECT_EQ(game.err(), "");
}

TEST(StartupTest, ClosingThroughTheWindowManagerExitsZero) {
    XServer server(true);
    WorkDir dir;
    Game game(dir, &server, {NO_SOUND_CARD});
    const std::string window = game.window();
    ASSERT_FALSE(window.empty()) << game.out() << game.err();
    // Close once the game is past its start, on the menu.
    ASSERT_TRUE(wait_for_menu(server, window)) << game.out();
    server.x("wmctrl -c Moxelpark");
    int status = -1;
    ASSERT_TRUE(game.wait_exit(1.5, &status)) << "still running after the close";
    EXPECT_EQ(status, 0) << game.out();
}

TEST(StartupTest, WithoutADisplayItSaysWhyAndExits255) {
    struct Case {
        const char* name;
        std::vector<std::string> env;
        const char* why;  // GLFW's own words, beside the line
    } cases[] = {
        {"no DISPLAY", {}, "X11: The DISPLAY environment variable is missing"},
        {"a display nobody serves", {"DISPLAY=:987"}, "X11: Failed to open display :987"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WorkDir dir;
        Game game(dir, nullptr, c.env);
        int status = -1;
        ASSERT_TRUE(game.wait_exit(10.0, &status));
        EXPECT_EQ(status, 255);
        EXPECT_EQ(game.out(), "glfwInit failed (" + std::string(c.why) + ")\n");
    }
}

// A player who starts the game again while it runs from the same folder: the
// running copy's window comes back from the task bar, the second start says so
// and leaves at once, and the saves stay the running copy's. Killed, the first
// copy leaves its lock file behind, which stops no later start.
TEST(StartupTest, StartedAgainInTheSameFolderTheRunningCopyComesForwardAndKeepsTheSaves) {
    constexpr const char* STATE = ".vendlestate";
    constexpr const char* LOCK = ".vendlelock";
    XServer server(true);
    WorkDir dir;
    Game first(dir, &server, {NO_SOUND_CARD});
    const std::string window = first.window();
    ASSERT_TRUE(!window.empty() && wait_for_menu_at_rest(server, window)) << first.out();
    // Iconified, it saves the state and rests in the window system's wait.
    server.x("xdotool windowminimize --sync " + window);
    ASSERT_TRUE(wait_for([&] { return !dir.read(STATE).empty(); }, 10.0, 0.1));
    const std::string state = dir.read(STATE);

    const auto start = std::chrono::steady_clock::now();
    int status = -1;
    const std::string said =
        server.x("env -C " + dir.path() + " timeout 10 " + program_path() + " 2>&1", &status);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(said, "Moxelpark is already running from this folder; its window was brought to the front.\n");
    EXPECT_EQ(dir.read(STATE), state);
    EXPECT_TRUE(wait_for(
        [&] {
            return server.x("xdotool getactivewindow") == window + "\n" &&
                   server.x("xwininfo -id " + window).find("IsViewable") != std::string::npos;
        },
        5.0, 0.1))
        << "not in front";
    // It plays on and saves: a game started is kept.
    ASSERT_TRUE(wait_for_menu_at_rest(server, window));
    click(server, window, TYPE_BUTTON_X[0], TYPE_BUTTON_Y);
    EXPECT_TRUE(wait_for([&] { return !dir.read(".vendlegame").empty(); }, 10.0, 0.1));

    first.kill_now();
    const std::string lockLeft = dir.read(LOCK);
    ASSERT_FALSE(lockLeft.empty());
    Game next(dir, &server, {NO_SOUND_CARD});
    EXPECT_TRUE(wait_for([&] { return dir.read(LOCK) != lockLeft; }, 10.0, 0.1)) << "the lock is not taken";
    EXPECT_TRUE(next.running()) << next.out();
}

}  // namespace
}  // namespace e2e
