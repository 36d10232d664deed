// The game in progress survives the program's end, in the real program: a
// window closed through the window manager mid-hole, `kill -9` with the ball
// in flight and at rest. Each start goes straight back to the game, paused,
// without showing the menu first; the game is then finished from the pause
// panel and its score lands in the tables once. A kept game that cannot be
// read is reported, set aside, and the menu starts.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/player.h"

namespace e2e {
namespace {

constexpr const char* KEPT = ".vendlegame";
constexpr const char* STATE = ".vendlestate";
constexpr const char* REPLAYS = ".vendlereplays";
// The first row of the menu's top ten at 640 by 480.
constexpr int TOP_SCORE_X = 570, TOP_SCORE_Y = 82;
// Hole 1 of game type 1: a stroke released 80 units below the meter's top scores.
constexpr int SCORING_POWER = 80;
// A stroke this strong flies for seconds, off the walls.
constexpr int LONG_POWER = 180;
// The kept game's "ballstate": at rest (aiming), or flying.
constexpr int BALL_REST = 0, BALL_FLYING = 1;
// Type 1's block of the state text: top[0], last[0], top[1], last[1] ...
constexpr int TYPE1_BLOCK = 35;
// The row of a 640 by 480 picture that tells the screens apart: the wait
// screen's plain background, the grass of play (darkened under the pause
// panel's veil), or anything else, which is the menu's hills and score panel.
constexpr int TELLING_ROW = 470;
constexpr Rgb WAIT_BACKGROUND = {40, 40, 80};

// A value of the kept game's text ("balls 6"), or -1 when it has none.
long long kept_value(const std::string& text, const std::string& name) {
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(name + " ", 0) == 0) return std::atoll(line.c_str() + name.size() + 1);
    }
    return -1;
}

enum class Picture { NONE, WAIT, PLAY, OTHER };

Picture what_is_shown(const Screenshot& shot) {
    if (!shot.ok() || shot.height <= TELLING_ROW) return Picture::NONE;
    bool wait = true, play = true;
    for (int x = 0; x < shot.width; ++x) {
        const Rgb c = shot.at(x, TELLING_ROW);
        wait = wait && same(c, WAIT_BACKGROUND);
        play = play && c.r == 0 && c.b == 0;  // grass, veiled or not (black before the first frame)
    }
    return wait ? Picture::WAIT : play ? Picture::PLAY : Picture::OTHER;
}

// From the window's first picture to the play screen under the pause panel:
// true when the pause panel is open over the game and no picture on the way
// was anything but the wait screen or the game.
bool straight_to_paused_game(const XServer& server, const std::string& window, std::string* seen) {
    bool other = false;
    const bool paused = wait_for(
        [&] {
            Screenshot shot = window_shot(server, window);
            const Picture p = what_is_shown(shot);
            *seen += "NWPO"[static_cast<int>(p)];
            other = other || p == Picture::OTHER;
            return p == Picture::PLAY && shot.at(630, 60).b < 50 && shot.at(630, 60).b > 0;
        },
        20.0, 0.02);
    return paused && !other;
}

void expect_exits_after_close(const XServer& server, Game& game) {
    server.x("wmctrl -c Moxelpark");
    int status = -1;
    ASSERT_TRUE(game.wait_exit(10.0, &status)) << "still running after the close";
    EXPECT_EQ(status, 0);
}

void stroke(const XServer& server, const std::string& window, int power) {
    drag(server, window, METER_X, METER_TOP + 16, METER_X, METER_TOP + power);
}

TEST(KeptGameEndToEnd, ClosedOrKilledInFlightOrAtRestTheGameComesBackAndScoresOnce) {
    XServer server(true);
    WorkDir dir;

    // Closed through the window manager mid-hole, after a stroke that scored.
    {
        Game game(dir, &server, {NO_SOUND_CARD});
        std::string window = game.window();
        ASSERT_FALSE(window.empty()) << game.out();
        ASSERT_TRUE(wait_for_menu_at_rest(server, window));
        click(server, window, TYPE_BUTTON_X[0], TYPE_BUTTON_Y);
        ASSERT_TRUE(wait_for([&] { return play_screen(server, window); }, 10.0, 0.1)) << "no game started";
        stroke(server, window, SCORING_POWER);
        ASSERT_TRUE(wait_for(
            [&] {
                const std::string kept = dir.read(KEPT);
                return kept_value(kept, "balls") == 7 && kept_value(kept, "ballstate") == BALL_REST;
            },
            15.0, 0.1))
            << dir.read(KEPT);
        ASSERT_GT(kept_value(dir.read(KEPT), "score"), 0) << "the stroke should score";
        expect_exits_after_close(server, game);
        EXPECT_EQ(game.err(), "");
    }
    const long long firstScore = kept_value(dir.read(KEPT), "score");
    EXPECT_EQ(kept_value(dir.read(KEPT), "balls"), 7) << "the closed game is kept";
    EXPECT_EQ(state_fields(dir.read(STATE)).at(TYPE1_BLOCK + 1), 0) << "its score is not in the tables yet";

    // Started again: the game, paused, and never the menu first. Resumed,
    // a long stroke, and killed with the ball in flight.
    {
        Game game(dir, &server, {NO_SOUND_CARD});
        std::string window = game.window();
        ASSERT_FALSE(window.empty());
        std::string seen;
        ASSERT_TRUE(straight_to_paused_game(server, window, &seen)) << "pictures: " << seen;
        ASSERT_TRUE(wait_for_still(server, window)) << "the panel never comes to rest";
        click(server, window, PAUSE_RESUME_X, PAUSE_RESUME_Y);
        ASSERT_TRUE(wait_for([&] { return !pause_veil(server, window); }, 5.0, 0.1))
            << "Resume did not play on";
        stroke(server, window, LONG_POWER);
        ASSERT_TRUE(
            wait_for([&] { return kept_value(dir.read(KEPT), "ballstate") == BALL_FLYING; }, 5.0, 0.01))
            << dir.read(KEPT);
        game.kill_now();
    }
    EXPECT_EQ(kept_value(dir.read(KEPT), "balls"), 6) << "the stroke in flight counts";

    // Started again: the ball flies on from the stroke; killed once at rest.
    {
        Game game(dir, &server, {NO_SOUND_CARD});
        std::string window = game.window();
        ASSERT_FALSE(window.empty());
        std::string seen;
        ASSERT_TRUE(straight_to_paused_game(server, window, &seen)) << "pictures: " << seen;
        ASSERT_TRUE(
            wait_for([&] { return kept_value(dir.read(KEPT), "ballstate") == BALL_REST; }, 30.0, 0.05))
            << dir.read(KEPT);
        game.kill_now();
    }
    // The ball may have dropped into the opened cup on the way: then the
    // next hole has begun, with its new balls.
    const std::string atRest = dir.read(KEPT);
    EXPECT_TRUE(kept_value(atRest, "balls") == 6 || kept_value(atRest, "hole") == 2) << atRest;
    const long long score = kept_value(atRest, "score");
    EXPECT_GE(score, firstScore);

    // Started again and finished: Quit on the panel records the score once.
    {
        Game game(dir, &server, {NO_SOUND_CARD});
        std::string window = game.window();
        ASSERT_FALSE(window.empty());
        std::string seen;
        ASSERT_TRUE(straight_to_paused_game(server, window, &seen)) << "pictures: " << seen;
        EXPECT_EQ(dir.read(KEPT), atRest) << "coming back changes nothing kept";
        ASSERT_TRUE(wait_for_still(server, window)) << "the panel never comes to rest";
        click(server, window, PAUSE_QUIT_X, PAUSE_QUIT_Y);
        ASSERT_TRUE(wait_for_menu(server, window, 15.0));
        ASSERT_TRUE(wait_for([&] { return dir.read(KEPT).empty(); }, 5.0, 0.1))
            << "the ended game is still kept";
        // Its game kept behind its score, checked by the replay tool, watched by a click.
        const std::string replays = dir.read(REPLAYS);
        const std::string row = "\nlast 1 0 " + std::to_string(score) + " ";
        const size_t at = replays.find(row);
        ASSERT_NE(at, std::string::npos) << replays;
        const std::string text =
            replays.substr(at + row.size(), replays.find('\n', at + 1) - at - row.size());
        int status = -1;
        const std::string said = run(std::string(MOXEL_REPLAY_TOOL) + " " + text, &status);
        EXPECT_EQ(status, 0) << said;
        EXPECT_NE(said.find("game type 1, score " + std::to_string(score)), std::string::npos) << said;
        ASSERT_TRUE(wait_for_menu_at_rest(server, window));
        click(server, window, TOP_SCORE_X, TOP_SCORE_Y);
        EXPECT_TRUE(wait_for([&] { return play_screen(server, window); }, 5.0, 0.05)) << "not watched";
        expect_exits_after_close(server, game);
        EXPECT_EQ(game.err(), "");
    }
    EXPECT_EQ(dir.read(KEPT), "") << "a watched game is nobody's game in progress";
    std::string why;
    ASSERT_TRUE(state_valid(dir.read(STATE), &why)) << why;
    const std::vector<long long> fields = state_fields(dir.read(STATE));
    EXPECT_EQ(fields.at(TYPE1_BLOCK), score) << "the best score";
    EXPECT_EQ(fields.at(TYPE1_BLOCK + 1), score) << "the newest score";
    EXPECT_EQ(fields.at(TYPE1_BLOCK + 2), 0) << "recorded once";
    EXPECT_EQ(fields.at(TYPE1_BLOCK + 3), 0) << "recorded once";
}

TEST(KeptGameEndToEnd, AKeptGameThatCannotBeReadIsSetAsideAndTheMenuStarts) {
    XServer server;
    WorkDir dir;
    const std::string cut = "Moxelpark kept game\nversion 1\ntype 2\nhole 3\nbal";
    dir.write(KEPT, cut);
    Game game(dir, &server, {NO_SOUND_CARD});
    std::string window = game.window();
    ASSERT_FALSE(window.empty());
    EXPECT_TRUE(wait_for_menu_at_rest(server, window));
    // The menu is what the resumed starts above must never show.
    EXPECT_EQ(what_is_shown(window_shot(server, window)), Picture::OTHER);
    const std::string err = game.err();
    EXPECT_NE(err.find("cannot be resumed: it is cut short"), std::string::npos) << err;
    EXPECT_NE(err.find("set aside as .vendlegame.unreadable;"), std::string::npos) << err;
    EXPECT_EQ(dir.read(".vendlegame.unreadable"), cut);
    EXPECT_EQ(dir.read(KEPT), "");
}

}  // namespace
}  // namespace e2e
