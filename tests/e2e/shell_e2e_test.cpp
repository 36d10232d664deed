// The game shell end to end: a game played from the menu and quit from the
// pause panel comes back to the menu, leaves the state file with its score
// and valid checksums, and a restarted program loads every section of it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/harness.h"

namespace e2e {
namespace {

constexpr const char* NO_SOUND_CARD = "ALSOFT_DRIVERS=no-such-driver";
constexpr const char* MENU_BLUE = "srgb(0,0,80)";
// Places in the window at rest (logical 640 by 480 at scale 1).
constexpr int TYPE2_BUTTON_X = 256, TYPE2_BUTTON_Y = 336;
constexpr int PAUSE_BUTTON_X = 16, PAUSE_BUTTON_Y = 16;
constexpr int PAUSE_QUIT_X = 180, PAUSE_QUIT_Y = 184;  // the panel at rest: (w/2 - 140, 248 - 64)

void Sleep(double seconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<int>(seconds * 1000)));
}

// A press long enough for the game's 60 Hz update to see it.
void Click(const XServer& server, const std::string& id, int x, int y) {
    server.x("xdotool mousemove --window " + id + " " + std::to_string(x) + " " + std::to_string(y) +
             " mousedown 1");
    Sleep(0.15);
    server.x("xdotool mouseup 1");
}

bool MenuShown(const XServer& server, const std::string& id) {
    std::string colour =
        server.x("import -window " + id + " -crop 1x1+2+2 -format '%[pixel:p{0,0}]' info: 2>/dev/null");
    return colour == MENU_BLUE;
}

std::vector<long long> Fields(const std::string& text) {
    std::vector<long long> fields;
    std::string field;
    for (char c : text) {
        if (c != '|') {
            field += c;
            continue;
        }
        fields.push_back(std::atoll(field.c_str()));
        field.clear();
    }
    return fields;
}

// The five checksums of a state text, recomputed as 32-bit wrapping sums.
void ExpectChecksumsHold(const std::vector<long long>& f) {
    ASSERT_EQ(f.size(), 98u);
    auto u = [](long long v) { return static_cast<uint32_t>(v); };
    uint32_t sum = 0;
    for (int i = 0; i < 25; ++i) sum += u(i) * u(f[i]);
    EXPECT_EQ(sum, u(f[25])) << "settings";
    sum = 0;
    for (int k = 0; k < 8; ++k) sum += u(f[26 + k]);
    EXPECT_EQ(sum, u(f[34])) << "badges";
    for (int t = 0; t < 3; ++t) {
        const int at = 35 + 21 * t;
        sum = 0;
        for (int j = 0; j < 10; ++j) sum += u(j + 4) * u(f[at + 2 * j]) + u(t + 3 + j) * u(f[at + 2 * j + 1]);
        EXPECT_EQ(sum, u(f[at + 20])) << "type " << t + 1;
    }
}

TEST(ShellEndToEnd, AFinishedGameIsSavedAndARestartedProgramLoadsIt) {
    XServer server(true);
    WorkDir dir;
    {
        Game game(dir, &server, {NO_SOUND_CARD});
        std::string id = game.window();
        ASSERT_FALSE(id.empty()) << game.out() << game.err();
        ASSERT_TRUE(wait_for([&] { return MenuShown(server, id); }, 20.0, 0.25)) << game.out();
        Sleep(1.0);  // the slide-in
        Click(server, id, TYPE2_BUTTON_X, TYPE2_BUTTON_Y);
        Sleep(1.0);
        // The pause button, not the back key: the pointer needs no keyboard focus.
        Click(server, id, PAUSE_BUTTON_X, PAUSE_BUTTON_Y);
        Sleep(1.0);
        Click(server, id, PAUSE_QUIT_X, PAUSE_QUIT_Y);
        // 89 updates of overlay, then the menu records the score and saves.
        ASSERT_TRUE(wait_for([&] { return !dir.read(".vendlestate").empty(); }, 15.0, 0.1))
            << "no state saved; out: " << game.out();
        EXPECT_TRUE(wait_for([&] { return MenuShown(server, id); }, 10.0, 0.25));
        server.x("wmctrl -c Moxelpark");
        int status = -1;
        EXPECT_TRUE(game.wait_exit(10.0, &status));
        EXPECT_EQ(status, 0);
        EXPECT_EQ(game.err(), "");
    }

    std::vector<long long> fields = Fields(dir.read(".vendlestate"));
    ExpectChecksumsHold(fields);
    // Type 2's block starts at field 56: the score is its newest last-ten
    // entry, and its best when it scored at all.
    const long long score = fields[57];
    EXPECT_GE(score, 0);
    if (score > 0) {
        EXPECT_EQ(fields[56], score);
    }
    for (int j = 1; j < 10; ++j) EXPECT_EQ(fields[57 + 2 * j], 0) << "one game only";

    Game again(dir, &server, {NO_SOUND_CARD});
    ASSERT_FALSE(again.window().empty());
    const std::string loaded =
        "Settings Loaded\nBadges Loaded\nHighscore 0 Loaded\nHighscore 1 Loaded\nHighscore 2 Loaded\n";
    EXPECT_TRUE(wait_for([&] { return again.out().find(loaded) != std::string::npos; }, 10.0, 0.1))
        << again.out();
    server.x("wmctrl -c Moxelpark");
    int status = -1;
    EXPECT_TRUE(again.wait_exit(10.0, &status));
    // Nothing was played: closing does not save, so the file is as the first run left it.
    EXPECT_EQ(Fields(dir.read(".vendlestate")), fields);
}

}  // namespace
}  // namespace e2e
