// The first window on desktops unlike the test's usual one: a high-DPI screen,
// where it grows by the monitor's content scale, and a display whose monitor
// GLFW cannot report, where it still opens.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/e2e/harness.h"
#include "tests/e2e/player.h"

namespace e2e {
namespace {

// Inside the window's corner, clear of its edge.
constexpr int CORNER = 2;

// Waits until the window stands at `position` with `size` ("X,Y" and "WxH" as
// xdotool writes them); returns the last geometry read.
std::string wait_for_geometry(const XServer& server, const std::string& id, const std::string& position,
                              const std::string& size) {
    std::string geometry;
    wait_for(
        [&] {
            geometry = server.x("xdotool getwindowgeometry " + id);
            return geometry.find("Position: " + position) != std::string::npos &&
                   geometry.find("Geometry: " + size) != std::string::npos;
        },
        10.0, 0.1);
    return geometry;
}

// The game draws its menu into the whole window: its corner turns the menu's blue.
bool shows_menu(const XServer& server, const std::string& id) {
    return wait_for(
        [&] {
            const Screenshot shot = server.screenshot(id);
            if (!shot.ok()) return false;
            return same(shot.at(CORNER, CORNER), SKY);
        },
        30.0, 0.25);
}

TEST(DesktopTest, HighDpiScreenOpensTheWindowAtTwiceTheSizeCentred) {
    XServer server(false, 2560, 1600);
    ASSERT_FALSE(server.display().empty());
    // GLFW reads the content scale from this resource when it starts: 192 dpi is 2.
    int status = -1;
    server.x("sh -c 'echo \"Xft.dpi: 192\" | xrdb -nocpp -merge'", &status);
    ASSERT_EQ(status, 0) << "xrdb (x11-xserver-utils) is needed";
    WorkDir dir;
    Game game(dir, &server, {NO_SOUND_CARD});
    const std::string id = game.window();
    ASSERT_FALSE(id.empty()) << game.out() << game.err();
    const std::string geometry = wait_for_geometry(server, id, "640,320", "1280x960");
    EXPECT_NE(geometry.find("Position: 640,320"), std::string::npos) << geometry;
    EXPECT_NE(geometry.find("Geometry: 1280x960"), std::string::npos) << geometry;
    EXPECT_TRUE(shows_menu(server, id));
    EXPECT_TRUE(game.running()) << game.out() << game.err();
}

TEST(DesktopTest, WithoutAMonitorTheWindowOpensAtItsPlainSize) {
    XServer server;
    ASSERT_FALSE(server.display().empty());
    WorkDir dir;
    // A sanitizer build wants its runtime first among the preloaded libraries;
    // the stand-in only replaces one GLFW call, so that order does not matter here.
    const char* asan = std::getenv("ASAN_OPTIONS");
    const std::string asan_options =
        std::string("ASAN_OPTIONS=") + (asan ? asan : "") + ":verify_asan_link_order=0";
    Game game(dir, &server, {NO_SOUND_CARD, std::string("LD_PRELOAD=") + MOXEL_NO_MONITOR_LIB, asan_options});
    const std::string id = game.window();
    ASSERT_FALSE(id.empty()) << "running " << game.running() << " out " << game.out() << " err "
                             << game.err();
    // Not centred: the window stays where the window system put it.
    const std::string geometry = wait_for_geometry(server, id, "0,0", "640x480");
    EXPECT_NE(geometry.find("Geometry: 640x480"), std::string::npos) << geometry;
    EXPECT_NE(geometry.find("Position: 0,0"), std::string::npos) << geometry;
    EXPECT_TRUE(shows_menu(server, id));
    EXPECT_TRUE(game.running());
    EXPECT_EQ(game.err(), "");
}

}  // namespace
}  // namespace e2e
