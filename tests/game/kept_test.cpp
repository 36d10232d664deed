// The game in progress kept in its own file: when it is written, that a start
// goes straight back to it, that it is the same game stroke for stroke after
// any number of stops (one in mid-flight), that its score reaches the tables
// once wherever the program is stopped at its end, and that a kept game that
// cannot be read is reported and set aside while the rest of the state stays.
//
// Each "stop" ends a harness without a word to the game, as a kill does, or
// after a suspension, as a closed window does; the next harness is the next
// start in the same folder.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "game/kept_text.h"
#include "host/base/files.h"
#include "play_support.h"
#include "scripted_player.h"

namespace {

using game_test::play_stroke;
using game_test::PlayHarness;
using game_test::quit_from_panel;
using game_test::REST_LIMIT;
using game_test::ScriptedPlayer;
using game_test::Stroke;
using game_test::until_at_rest;
using game_test::until_menu;

// The pause panel's centre line comes to rest here at 640 by 480.
constexpr int PANEL_AT_REST = 248;

std::string read_file(const char* name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool exists(const char* name) {
    return std::ifstream(name).good();
}

void write_file(const char* name, const std::string& bytes) {
    std::ofstream(name, std::ios::binary | std::ios::trunc) << bytes;
}

// What a stroke left behind.
struct Outcome {
    float ballX, ballY, cupX;
    int score, balls, hole, hits;
};

Outcome outcome(const PlayHarness& p) {
    const bb_Moxelpark_MyApp* g = p.game;
    int hits = 0;
    for (int n = 1; n <= OBJECT_MAX; ++n) hits += g->f_Objects[n * OBJECT_ENTRY_FLOATS + OBJECT_HIT] != 0.0f;
    return {g->f_BallX, g->f_BallY, g->f_CupX, g->f_Score, g->f_Balls, g->f_Hole, hits};
}

void expect_same(const Outcome& got, const Outcome& want) {
    // Exact: the same floats, not nearly the same.
    EXPECT_EQ(got.ballX, want.ballX);
    EXPECT_EQ(got.ballY, want.ballY);
    EXPECT_EQ(got.cupX, want.cupX);
    EXPECT_EQ(got.score, want.score);
    EXPECT_EQ(got.balls, want.balls);
    EXPECT_EQ(got.hole, want.hole);
    EXPECT_EQ(got.hits, want.hits);
}

// The next start in the same folder, which must come back to the kept game
// with its panel opening; the back key closes the panel and play goes on.
std::unique_ptr<PlayHarness> start_again_and_resume() {
    auto p = std::make_unique<PlayHarness>();
    EXPECT_EQ(p->game->f_GameMode, MODE_PLAY);
    EXPECT_EQ(p->game->f_Paused, 1);
    p->Key(KEY_ESCAPE);
    for (int i = 0; i < 20 && p->game->f_Paused != 0; ++i) p->h.Update();
    EXPECT_EQ(p->game->f_Paused, 0) << "the panel did not close";
    return p;
}

// Every save (the state file and the kept game) as the files stood after it.
struct Snapshot {
    bool kept, state;
    std::string keptText, stateText;
};
std::vector<Snapshot>& snapshots() {
    static std::vector<Snapshot> all;
    return all;
}
void take_snapshot(int) {
    snapshots().push_back({exists(KEPT_GAME_FILE_NAME), exists(STATE_FILE_NAME),
                           read_file(KEPT_GAME_FILE_NAME), read_file(STATE_FILE_NAME)});
}
int saves = 0;
void count_save(int) {
    ++saves;
}

// Restores the host's save hook when a test ends.
struct SaveHook {
    explicit SaveHook(void (*hook)(int)) { host_state_saved = hook; }
    ~SaveHook() { host_state_saved = nullptr; }
};

TEST(KeptGame, IsWrittenWhenAGameStartsAStrokeIsPlayedTheBallRestsAndOnSuspension) {
    SaveHook hook(count_save);
    PlayHarness p;
    saves = 0;
    p.StartGame(2);
    EXPECT_EQ(saves, 1) << "a new game is kept at once";
    EXPECT_NE(read_file(KEPT_GAME_FILE_NAME).find("\nballstate 0\n"), std::string::npos);

    play_stroke(p, {1, 100});
    EXPECT_EQ(saves, 2) << "the stroke is kept in the update that plays it";
    EXPECT_NE(read_file(KEPT_GAME_FILE_NAME).find("\nballstate 1\n"), std::string::npos);
    p.h.Update(10);
    ASSERT_EQ(p.game->f_BallState, BALL_MOVING);
    EXPECT_EQ(saves, 2) << "nothing is written while the ball flies";
    until_at_rest(p);
    p.h.Update();
    EXPECT_EQ(saves, 3) << "the ball at rest is kept";
    EXPECT_NE(read_file(KEPT_GAME_FILE_NAME).find("\nballstate 0\n"), std::string::npos);
    p.h.Update(60);
    EXPECT_EQ(saves, 3) << "nothing is written while the player aims";

    p.h.Suspend();
    EXPECT_EQ(saves, 5) << "a suspension saves the state and keeps the game";
    KeptGame kept;
    std::string why;
    ASSERT_TRUE(ReadKeptGame(read_file(KEPT_GAME_FILE_NAME), &kept, &why)) << why;
    EXPECT_EQ(kept.balls, p.game->f_Balls);
    EXPECT_EQ(kept.ballX, p.game->f_BallX);
}

TEST(KeptGame, AStartWithAKeptGameGoesStraightToItPausedAndQuitRecordsTheScoreOnce) {
    Outcome before{};
    {
        PlayHarness p;
        p.StartGame(1);
        play_stroke(p, {1, 80});
        until_at_rest(p);
        p.h.Update();
        before = outcome(p);
        ASSERT_GT(before.score, 0) << "the stroke should score on hole 1 of type 1";
    }
    PlayHarness p;
    // The loader ran; the menu never did (its score lists were never drawn).
    EXPECT_EQ(p.game->Find("Top"), nullptr);
    EXPECT_EQ(p.game->Find("Last"), nullptr);
    EXPECT_EQ(p.game->f_GameMode, MODE_PLAY);
    EXPECT_EQ(p.game->f_GameType, 1);
    expect_same(outcome(p), before);
    // The panel slides in as the pause button opens it, cursor on Resume.
    EXPECT_EQ(p.game->f_Paused, 1);
    EXPECT_EQ(p.game->f_PauseChoice, 0);
    p.h.Update(14);
    EXPECT_EQ(p.game->f_PauseY, PANEL_AT_REST);

    // Resume by the button, and play on.
    p.Tap(320, PANEL_AT_REST);
    for (int i = 0; i < 20 && p.game->f_Paused != 0; ++i) p.h.Update();
    EXPECT_EQ(p.game->f_Paused, 0);
    play_stroke(p, {1, 30});
    until_at_rest(p);
    const int score = p.game->f_Score;

    quit_from_panel(p);
    until_menu(p);
    const int last = LAST_TEN_BASE;  // type 1's last ten
    EXPECT_EQ(p.game->f_HighScores[last], score);
    EXPECT_EQ(p.game->f_HighScores[last + 1], 0) << "one game, one score";
    EXPECT_EQ(p.game->f_HighScores[0], score);
    EXPECT_FALSE(exists(KEPT_GAME_FILE_NAME)) << "an ended game is no longer kept";

    // The next start is the menu's.
    PlayHarness next;
    EXPECT_EQ(next.game->f_GameMode, MODE_MENU);
}

TEST(KeptGame, AResumedGameIsTheSameGameStrokeForStroke) {
    // Straight through: the strokes a player chooses, and what each left.
    std::vector<Stroke> strokes;
    std::vector<Outcome> straight;
    {
        PlayHarness p;
        ScriptedPlayer planner(p);
        p.StartGame(2);
        while (strokes.size() < 14 && p.game->f_Balls > 0) {
            Stroke s{};
            planner.Plan(&s.facing, &s.power);
            play_stroke(p, s);
            until_at_rest(p);
            strokes.push_back(s);
            straight.push_back(outcome(p));
        }
        ASSERT_GT(p.game->f_Hole, 2) << "the series should cross holes, where the generator draws the cups";
    }
    std::remove(KEPT_GAME_FILE_NAME);

    // The same strokes, with the program stopped and started between every
    // two of them: killed at rest, closed (suspended first), and once killed
    // with the ball in flight.
    constexpr size_t KILLED_IN_FLIGHT = 3;
    auto p = std::make_unique<PlayHarness>();
    p->StartGame(2);
    for (size_t i = 0; i < strokes.size(); ++i) {
        SCOPED_TRACE("stroke " + std::to_string(i + 1));
        play_stroke(*p, strokes[i]);
        if (i == KILLED_IN_FLIGHT) {
            p->h.Update(15);
            ASSERT_EQ(p->game->f_BallState, BALL_MOVING);
            p.reset();
            p = start_again_and_resume();
        }
        until_at_rest(*p);
        expect_same(outcome(*p), straight[i]);
        if (i % 2 == 1) p->h.Suspend();
        p.reset();
        p = start_again_and_resume();
        expect_same(outcome(*p), straight[i]);
    }
}

TEST(KeptGame, ResumedAtAnotherWindowShapeTheHoleIsCarriedOverAsAResizeCarriesIt) {
    {
        PlayHarness p;
        p.StartGame(2);
        play_stroke(p, {1, 60});
        until_at_rest(p);
    }
    // 1280 by 720: the logical screen is 640 by 360.
    PlayHarness p(1280, 720);
    ASSERT_EQ(p.game->f_GameMode, MODE_PLAY);
    EXPECT_EQ(p.game->f_HoleHeight, 480.0f) << "as it was laid out, until play sees the new screen";
    p.h.Update();
    EXPECT_EQ(p.game->f_HoleHeight, bb_Moxelpark_jscrh);
    EXPECT_EQ(bb_Moxelpark_jscrh, 360.0f);
    EXPECT_EQ(p.game->f_BallY, p.Ground()) << "the ball at rest stays on the grass line";
}

TEST(KeptGame, TheScoreReachesTheTablesOnceWhereverTheEndIsCut) {
    int score = 0;
    {
        PlayHarness p;
        p.StartGame(1);
        play_stroke(p, {1, 80});
        until_at_rest(p);
        score = p.game->f_Score;
        ASSERT_GT(score, 0);
        snapshots().clear();
        SaveHook hook(take_snapshot);
        quit_from_panel(p);
        until_menu(p);
    }
    // The keep at the quit, the replays behind the tables, the kept game
    // marked recorded, the state saved, the kept game removed: a stop after
    // any of them.
    ASSERT_EQ(snapshots().size(), 5u);
    const std::vector<Snapshot> cuts = snapshots();
    for (size_t k = 0; k < cuts.size(); ++k) {
        SCOPED_TRACE("stopped after save " + std::to_string(k + 1));
        std::remove(KEPT_GAME_FILE_NAME);
        std::remove(STATE_FILE_NAME);
        if (cuts[k].kept) write_file(KEPT_GAME_FILE_NAME, cuts[k].keptText);
        if (cuts[k].state) write_file(STATE_FILE_NAME, cuts[k].stateText);
        PlayHarness p;
        until_menu(p);
        EXPECT_EQ(p.game->f_HighScores[LAST_TEN_BASE], score);
        EXPECT_EQ(p.game->f_HighScores[LAST_TEN_BASE + 1], 0);
        EXPECT_EQ(p.game->f_HighScores[0], score);
        EXPECT_EQ(p.game->f_HighScores[1], 0);
        EXPECT_FALSE(exists(KEPT_GAME_FILE_NAME));
        EXPECT_EQ(read_file(STATE_FILE_NAME), cuts.back().stateText) << "the state as the uncut end left it";
    }
}

// Writes counted from the quit on; those listed are cut to nothing, as a
// full disk cuts them.
std::vector<long> failing_writes;
long writes = 0;
long cut_listed(long bytes) {
    ++writes;
    return std::find(failing_writes.begin(), failing_writes.end(), writes) != failing_writes.end() ? 0
                                                                                                   : bytes;
}

TEST(KeptGame, AFailedSaveAtTheEndNeitherLosesTheScoreNorRecordsItTwice) {
    // The quit writes the kept game (1) and the replays (2), marks the kept
    // game recorded (3), saves the state (4).
    const struct {
        const char* what;
        std::vector<long> failing;
        bool laterSave;  // a setting changed at the menu saves the state again
    } cases[] = {
        {"the mark", {3}, false},
        {"the state", {4}, false},
        {"the mark and the state", {3, 4}, false},
        {"the mark and the state, then a later save", {3, 4}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::remove(KEPT_GAME_FILE_NAME);
        std::remove(STATE_FILE_NAME);
        int score = 0;
        {
            PlayHarness p;
            p.StartGame(1);
            play_stroke(p, {1, 80});
            until_at_rest(p);
            score = p.game->f_Score;
            failing_writes = c.failing;
            writes = 0;
            host_save_write_limit = cut_listed;
            testing::internal::CaptureStderr();
            quit_from_panel(p);
            until_menu(p);
            if (c.laterSave) p.game->m_Save();
            const std::string err = testing::internal::GetCapturedStderr();
            host_save_write_limit = nullptr;
            EXPECT_NE(err.find("Could not save the game"), std::string::npos) << "the player is told";
        }
        PlayHarness p;
        until_menu(p);
        EXPECT_EQ(p.game->f_HighScores[0], score);
        EXPECT_EQ(p.game->f_HighScores[1], 0);
        EXPECT_EQ(p.game->f_HighScores[LAST_TEN_BASE], score);
        EXPECT_EQ(p.game->f_HighScores[LAST_TEN_BASE + 1], 0);
        EXPECT_FALSE(exists(KEPT_GAME_FILE_NAME));
    }
}

TEST(KeptGame, OneThatCannotBeReadIsReportedAndSetAsideAndTheMenuStarts) {
    // A player's state: sound off and a score in type 3's table.
    std::string state;
    std::string good;
    {
        PlayHarness p;
        p.game->f_Settings[SETTING_SOUND] = SOUND_OFF;
        p.game->f_HighScores[2 * TABLE_LENGTH] = 4321;
        p.game->m_Save();
        state = read_file(STATE_FILE_NAME);
        p.StartGame(2);
        good = read_file(KEPT_GAME_FILE_NAME);
    }
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string s = good;
        s.replace(s.find(from), from.size(), to);
        return s;
    };
    KeptGame odd;
    odd.gameType = 2;
    odd.hole = 1;
    odd.holeWidth = 640.0f;
    odd.holeHeight = 480.0f;
    KeptGame badType = odd, badFloat = odd, badObject = odd;
    badType.gameType = 4;
    badFloat.ballX = std::numeric_limits<float>::infinity();
    badObject.objects[3].kind = 3.0f;
    const struct {
        const char* what;
        std::string text;
        const char* reason;
    } cases[] = {
        {"empty", "", "it is not a kept game"},
        {"another file", "1|2|3|", "it is not a kept game"},
        {"cut in half", good.substr(0, good.size() / 2), "it is cut short"},
        {"cut before its last line end", good.substr(0, good.size() - 1), "it is cut short"},
        {"edited by hand", replaced("\nballs 8\n", "\nballs 9\n"), "it was changed after it was written"},
        {"another version", replaced("\nversion 2\n", "\nversion 3\n"),
         "it was written by another version of the game"},
        {"a game type there is not", WriteKeptGame(badType), "its type line is out of range"},
        {"a ball beyond any screen", WriteKeptGame(badFloat), "its ball line is damaged"},
        {"an object of no kind", WriteKeptGame(badObject), "its object line is out of range"},
        {"larger than any game", good + std::string(KEPT_GAME_MAX_BYTES, ' '),
         "it is larger than any kept game"},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ++n;
        write_file(KEPT_GAME_FILE_NAME, c.text);
        testing::internal::CaptureStderr();
        PlayHarness p;
        const std::string err = testing::internal::GetCapturedStderr();
        const std::string aside =
            std::string(KEPT_GAME_FILE_NAME) + SET_ASIDE_SUFFIX + (n > 1 ? "-" + std::to_string(n) : "");
        EXPECT_NE(err.find(c.reason), std::string::npos) << err;
        EXPECT_NE(err.find("set aside as " + aside), std::string::npos) << err;
        EXPECT_EQ(p.game->f_GameMode, MODE_MENU);
        EXPECT_FALSE(exists(KEPT_GAME_FILE_NAME));
        EXPECT_EQ(read_file(aside.c_str()), c.text) << "set aside as it was, never deleted";
        EXPECT_EQ(read_file(STATE_FILE_NAME), state) << "the state file is untouched";
        EXPECT_EQ(p.game->f_Settings[SETTING_SOUND], SOUND_OFF);
        EXPECT_EQ(p.game->f_HighScores[2 * TABLE_LENGTH], 4321);
    }
}

TEST(KeptText, FloatsAndEveryValueSurviveTheTextBitForBit) {
    KeptGame k;
    k.gameType = 3;
    k.hole = 33;
    k.balls = 12;
    k.score = 987654;
    k.shownScore = 987650;
    k.gameOver = 1;
    k.gameOverTime = 17;
    k.ballState = BALL_MOVING;
    k.facing = -1;
    k.combo = 4;
    k.holedTimer = 0;
    k.objectCount = 100;
    k.seed = -2147483647 - 1;
    // Values decimal text would round, a negative zero and the smallest float.
    k.ballX = 0.1f;
    k.ballY = 351.99997f;
    k.ballVX = -0.0f;
    k.ballVY = std::numeric_limits<float>::denorm_min();
    k.heroX = 1.0f / 3.0f;
    k.heroY = -123.456f;
    k.shotPower = 207.0f;
    k.cupX = 575.9999f;
    k.holeWidth = 640.0f;
    k.holeHeight = 359.4375f;
    for (int n = 1; n <= OBJECT_MAX; ++n)
        k.objects[n] = {static_cast<float>(1 + n % 2), 48.5f + static_cast<float>(n),
                        1.0f / static_cast<float>(n), static_cast<float>(n % 3 == 0)};
    k.recorded = 1;
    for (int j = 0; j < TABLE_LENGTH; ++j) {
        k.top[j] = 1000 - j;
        k.last[j] = -j;
    }
    k.recording = "TQEBBAAAAAAAACBEAADwQwA-_-_";
    k.playUpdate = 1234;
    KeptGame back;
    std::string why;
    ASSERT_TRUE(ReadKeptGame(WriteKeptGame(k), &back, &why)) << why;
    EXPECT_EQ(WriteKeptGame(back), WriteKeptGame(k));

    // A file of the format before games kept their recording still resumes.
    k.recording.clear();
    std::string older = WriteKeptGame(k);
    older.replace(older.find("\nversion 2\n"), 11, "\nversion 1\n");
    older = older.substr(0, older.rfind("check "));
    ASSERT_TRUE(ReadKeptGame(older + KeptGameCheckLine(older), &back, &why)) << why;
    EXPECT_TRUE(std::signbit(back.ballVX));
    EXPECT_EQ(back.ballVY, k.ballVY);
    EXPECT_EQ(back.heroX, k.heroX);
    EXPECT_EQ(back.objects[7].y, k.objects[7].y);
    EXPECT_EQ(back.seed, k.seed);
}

}  // namespace
