// The game shell end to end: a game played from the menu and quit from the
// pause panel comes back to the menu, leaves the state file with its score
// and valid checksums, and a restarted program loads every section of it.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/e2e/player.h"

namespace e2e {
namespace {

// The places of the type-2 button, the pause button and the quit button come from player.h.
constexpr int TYPE2_BUTTON_X = TYPE_BUTTON_X[1], TYPE2_BUTTON_Y = TYPE_BUTTON_Y;

TEST(ShellEndToEnd, AFinishedGameIsSavedAndARestartedProgramLoadsIt) {
    XServer server(true);
    WorkDir dir;
    {
        Game game(dir, &server, {NO_SOUND_CARD});
        std::string id = game.window();
        ASSERT_FALSE(id.empty()) << game.out() << game.err();
        ASSERT_TRUE(wait_for_menu_at_rest(server, id)) << game.out();
        click(server, id, TYPE2_BUTTON_X, TYPE2_BUTTON_Y);
        ASSERT_TRUE(wait_for([&] { return play_screen(server, id); }, 10.0, 0.2)) << "no play screen";
        // The pause button, not the back key: the pointer needs no keyboard focus.
        click(server, id, PAUSE_BUTTON_X, PAUSE_BUTTON_Y);
        ASSERT_TRUE(wait_for([&] { return pause_veil(server, id); }, 5.0, 0.1)) << "no pause panel";
        ASSERT_TRUE(wait_for_still(server, id)) << "the pause panel never comes to rest";
        click(server, id, PAUSE_QUIT_X, PAUSE_QUIT_Y);
        // 89 updates of overlay, then the menu records the score and saves.
        ASSERT_TRUE(wait_for([&] { return !dir.read(".vendlestate").empty(); }, 15.0, 0.1))
            << "no state saved; out: " << game.out();
        EXPECT_TRUE(wait_for_menu(server, id, 10.0));
        server.x("wmctrl -c Moxelpark");
        int status = -1;
        EXPECT_TRUE(game.wait_exit(10.0, &status));
        EXPECT_EQ(status, 0);
        EXPECT_EQ(game.err(), "");
    }

    std::string why;
    EXPECT_TRUE(state_valid(dir.read(".vendlestate"), &why)) << why;
    std::vector<long long> fields = state_fields(dir.read(".vendlestate"));
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
    EXPECT_EQ(state_fields(dir.read(".vendlestate")), fields);
}

}  // namespace
}  // namespace e2e
