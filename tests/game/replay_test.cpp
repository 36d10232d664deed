// Replays: a game recorded as it is played (strokes both ways, a resize in
// flight, a quit) is kept behind its scores in the tables and watched from
// its text to the same score at another window size, touching no table and
// keeping nothing; the golden replays
// (also played by the browser's build) reach their scores; and texts that
// are not replays are told apart, each with its reason. Watching is also
// picked by keys, played faster, skipped, and held at an end on another score.
#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "game/replay_text.h"
#include "host/base/files.h"
#include "play_support.h"

namespace {

using game_test::PlayHarness;

std::string read_file(const char* name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Watches the replay to its end; the score it reaches. With a key, that key
// is held all along (`tap`: pressed and let go by turns); `updates` counts
// the updates it took.
int watch(PlayHarness& w, const Replay& replay, int key = 0, bool tap = false, int* updates = nullptr) {
    w.game->WatchReplay(replay);
    int n = 0;
    for (; n < 100000 && w.game->WatchedScore() < 0; ++n) {
        if (key != 0 && (!tap || n % 2 == 0)) w.h.KeyDown(key);
        if (key != 0 && tap && n % 2 == 1) w.h.KeyUp(key);
        w.h.Update();
        w.h.Render();
    }
    if (key != 0) w.h.KeyUp(key);
    if (updates) *updates = n;
    return w.game->WatchedScore();
}

TEST(Replay, AGameRecordedAsPlayedIsWatchedToTheSameScoreAndTouchesNothing) {
    std::remove(KEPT_GAME_FILE_NAME);
    Replay recorded;
    int score = 0;
    {
        PlayHarness p;
        p.StartGame(2);
        const game_test::Stroke strokes[] = {{1, 80}, {-1, 120}, {1, 150}, {1, 60}};
        for (const auto& s : strokes) {
            game_test::play_stroke(p, s);
            if (&s == &strokes[1]) {
                p.h.Update(5);
                p.h.Resize(800, 450);
                p.h.Render();
            }
            game_test::until_at_rest(p);
        }
        game_test::quit_from_panel(p);
        game_test::until_menu(p);
        score = p.game->f_HighScores[LAST_TEN_BASE + TABLE_LENGTH];
        recorded = p.game->LastReplay();
    }
    ASSERT_GT(score, 0);
    EXPECT_EQ(recorded.score, score);
    EXPECT_EQ(recorded.events.size(), 6u) << "four strokes, a resize and the quit";

    const std::string text = EncodeReplay(recorded);
    EXPECT_LT(text.size(), 200u) << "short enough for a link";
    Replay read;
    std::string why;
    ASSERT_TRUE(DecodeReplay("https://example.org/moxelpark/#replay=" + text, &read, &why)) << why;

    const std::string state = read_file(STATE_FILE_NAME);
    const std::string replays = read_file(REPLAYS_FILE_NAME);
    PlayHarness w(1024, 768);
    Replay behind;
    ASSERT_TRUE(w.game->ReplayBehind(2, true, 0, &behind)) << "kept behind the last ten";
    EXPECT_EQ(EncodeReplay(behind), text);
    EXPECT_TRUE(w.game->ReplayBehind(2, false, 0, &behind)) << "and behind the top ten";
    EXPECT_EQ(watch(w, read), score);
    EXPECT_EQ(w.game->f_GameMode, MODE_MENU);
    EXPECT_EQ(read_file(STATE_FILE_NAME), state) << "no table hears of a watched game";
    EXPECT_FALSE(std::ifstream(KEPT_GAME_FILE_NAME).good()) << "nor is it kept";
    EXPECT_EQ(read_file(REPLAYS_FILE_NAME), replays);

    // A replay whose score its table no longer holds at its place is not believed.
    std::string changed = replays;
    const std::string line = "\nlast 2 0 " + std::to_string(score) + " ";
    ASSERT_NE(changed.find(line), std::string::npos) << replays;
    changed.replace(changed.find(line), line.size(), "\nlast 2 1 " + std::to_string(score) + " ");
    std::ofstream(REPLAYS_FILE_NAME, std::ios::trunc) << changed;
    PlayHarness again;
    EXPECT_FALSE(again.game->ReplayBehind(2, true, 1, &behind));
    EXPECT_TRUE(again.game->ReplayBehind(2, false, 0, &behind));

    // From the menu: the top ten's first row is marked; a tap on it watches
    // the game, Escape leaves it, and watched to its end it scores as played.
    again.game->f_GameType = 2;
    again.h.Update(60);
    const auto marks = again.h.EntriesOf(DRAW_KIND_RECT);
    const auto mark = std::find_if(marks.begin(), marks.end(), [](const auto& e) { return e.w == 4.0f; });
    ASSERT_NE(mark, marks.end());
    const int x = static_cast<int>(mark->x) + 30, y = static_cast<int>(mark->y) + 2;
    again.Tap(x, y);
    EXPECT_TRUE(again.game->Watching());
    again.Key(KEY_ESCAPE);
    again.h.Update(2);
    EXPECT_FALSE(again.game->Watching());
    EXPECT_EQ(again.game->f_GameMode, MODE_MENU);
    again.h.Update(60);
    // By keys: Tab picks the first kept score, down stays on it (the only one), Enter watches it.
    again.Key(KEY_TAB);
    again.Key(KEY_DOWN);
    again.Key(KEY_ENTER);
    for (int i = 0; i < 100000 && again.game->Watching(); ++i) again.h.Update();
    EXPECT_EQ(again.game->WatchedScore(), score);
    EXPECT_EQ(read_file(STATE_FILE_NAME), state);
}

TEST(Replay, TheGoldenReplaysReachTheirScores) {
    std::ifstream in(MOXEL_GOLDEN_REPLAYS);
    ASSERT_TRUE(in.good());
    std::string line;
    int count = 0;
    PlayHarness w;
    Replay replay;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        int type = 0, score = 0;
        std::string text, why;
        fields >> type >> score >> text;
        SCOPED_TRACE(line);
        ASSERT_TRUE(DecodeReplay(text, &replay, &why)) << why;
        EXPECT_EQ(replay.gameType, type);
        EXPECT_EQ(replay.score, score);
        int plain = 0, fast = 0, skipping = 0;
        EXPECT_EQ(watch(w, replay, 0, false, &plain), score);
        // Held to play faster, and skipping from stroke to stroke: the same game, sooner.
        EXPECT_EQ(watch(w, replay, KEY_SPACE, false, &fast), score);
        EXPECT_EQ(watch(w, replay, KEY_RIGHT, true, &skipping), score);
        EXPECT_LT(fast, plain / 2);
        EXPECT_LT(skipping, plain / 2);
        ++count;
    }
    EXPECT_GE(count, 2 * GAME_TYPES);

    // The next stroke by a finger on its control, top right; a replay whose
    // game reaches another score holds its end, saying so, until a press.
    replay.score += 1;
    w.game->WatchReplay(replay);
    w.h.Update(2);
    const int balls = w.game->f_Balls;
    w.Tap(static_cast<int>(bb_Moxelpark_jscrw) - 20, 10);
    w.h.Update();
    EXPECT_EQ(w.game->f_Balls, balls - 1) << "the first stroke is played at once";
    for (int n = 0; n < 100000 && w.game->WatchedScore() < 0; ++n) w.h.Update();
    EXPECT_EQ(w.game->WatchedScore(), replay.score - 1);
    w.h.Update(200);
    std::string shown;
    for (const auto& glyph : w.h.EntriesOf(SLOT_FONT)) shown += static_cast<char>(glyph.frame + 32.0f);
    EXPECT_NE(shown.find("anotherversion"), std::string::npos) << shown;
    w.Tap(320, 240);
    w.h.Update(2);
    EXPECT_EQ(w.game->f_GameMode, MODE_MENU);
}

TEST(ReplayText, WhatIsNotAReplayIsToldApart) {
    Replay r;
    r.gameType = 1;
    r.seed = -7;
    r.width = 640.0f;
    r.height = 480.0f;
    r.events.push_back({12, ReplayEventKind::STROKE, -1, 80.5f, 0.0f, 0.0f});
    r.score = 25;
    const std::string good = EncodeReplay(r);
    std::string changed = good;
    changed[good.size() / 2] = changed[good.size() / 2] == 'A' ? 'B' : 'A';
    std::string otherVersion = good;
    otherVersion[2] = 'I';  // the version byte after "M" becomes 2
    Replay badType = r, badPower = r;
    badType.gameType = 4;
    badPower.events[0].power = -1.0f;
    const struct {
        std::string text;
        const char* reason;
    } cases[] = {
        {"", "it is not a replay"},
        {"#replay=not*base64", "it is not a replay"},
        {good.substr(0, good.size() - 3), "it was cut short or changed"},
        {changed, "it was cut short or changed"},
        {otherVersion, "it comes from another version of the game"},
        {"garbage", "it is not a replay"},
        {EncodeReplay(badType), "its game type is out of range"},
        {EncodeReplay(badPower), "one of its events is damaged"},
        {std::string(REPLAY_TEXT_MAX + 1, 'A'), "it is longer than any replay"},
    };
    for (const auto& c : cases) {
        std::string why;
        Replay out;
        EXPECT_FALSE(DecodeReplay(c.text, &out, &why)) << c.text.substr(0, 40);
        EXPECT_EQ(why, c.reason) << c.text.substr(0, 40);
    }
    std::string why;
    ASSERT_TRUE(DecodeReplay(good + "\n", &r, &why)) << why;
    EXPECT_EQ(r.events[0].power, 80.5f);
    EXPECT_EQ(r.events[0].facing, -1);
    EXPECT_EQ(r.seed, -7);
}

}  // namespace
