// The game-over overlay and the score tables: 89 updates of overlay on the
// play screen, the return to the menu with the score recorded and saved, the
// fade over the menu, the banner's ordinal against the table's tie rule.
#include <string>
#include <vector>

#include "harness.h"
#include "shell_fixture.h"

namespace {

using shell_test::ReadStateFile;
using shell_test::ScopedWorkDir;
using shell_test::ShellFixture;
using shell_test::SplitFields;

constexpr const char* BANNER = "New Highscore";

// A finished game of `type` with `score` on the play screen, play itself
// switched off.
void EndGame(ShellFixture& f, int type, int score) {
    f.game->stubPlay = true;
    f.game->f_GameType = type;
    f.game->f_Score = score;
    f.game->f_GameMode = MODE_PLAY;
    f.game->f_GameOver = 1;
}

// Sets type 2's top ten to 1000, 900, ..., 100.
void FillTypeTwo(ShellFixture& f) {
    for (int i = 0; i < TABLE_LENGTH; ++i) f.game->f_HighScores[10 + i] = 1000 - 100 * i;
}

TEST(GameOver, OverlayGrowsFor89UpdatesThenFadesOverTheMenuIn37) {
    ShellFixture f;
    EndGame(f, 2, 0);
    // Nothing is drawn in the first update: the timer was still 0.
    f.Update();
    EXPECT_EQ(f.h.EntryCount(), 0);
    EXPECT_EQ(f.game->f_GameOverTime, 1);
    f.Update(88);
    EXPECT_EQ(f.game->f_GameMode, MODE_PLAY);
    EXPECT_EQ(f.game->f_GameOverTime, 89);
    // The 90th update hands over to the menu at 73, and the overlay runs once
    // more in the same update.
    f.Update();
    EXPECT_EQ(f.game->f_GameMode, MODE_MENU_LOAD);
    EXPECT_EQ(f.game->f_GameOverTime, 71);
    f.Update();
    EXPECT_EQ(f.game->f_GameMode, MODE_MENU);
    EXPECT_TRUE(shell_test::StateFileExists());
    // 73, 71, ..., 1: 37 updates that draw the overlay over the menu.
    int fading = 2;
    while (f.game->f_GameOverTime > 0 && fading < 100) {
        f.Update();
        ++fading;
    }
    EXPECT_EQ(fading, 37);
    f.Update();
    EXPECT_EQ(f.game->f_GameOverTime, 0);
    EXPECT_EQ(f.game->Find("GAME"), nullptr);
}

TEST(GameOver, VeilBarsAndWordsFollowTheTimer) {
    // Drawn at timer T: veil alpha T / 40 up to 0.7, bar 12 T up to 216 (0.45 of 480).
    struct Case {
        int t;
        float veil;
        int bar;
    } cases[] = {{1, 0.025f, 12}, {17, 0.425f, 204}, {18, 0.45f, 216}, {28, 0.7f, 216}, {89, 0.7f, 216}};
    for (const Case& c : cases) {
        ShellFixture f;
        EndGame(f, 2, 0);
        f.Update(c.t);
        f.Update();  // draws with T = c.t
        EXPECT_EQ(f.game->f_PosY, c.bar) << c.t;
        auto rects = f.h.EntriesOf(DRAW_KIND_RECT);
        ASSERT_GE(rects.size(), 3u);
        EXPECT_FLOAT_EQ(rects[0].x, -1);
        EXPECT_FLOAT_EQ(rects[0].w, 642);
        EXPECT_FLOAT_EQ(rects[0].h, 482);
        EXPECT_NEAR(rects[0].alpha, c.veil, 1e-6) << c.t;
        // Left bar from the left edge, right bar from the right edge.
        EXPECT_FLOAT_EQ(rects[1].w, 2.0f * c.bar);
        EXPECT_FLOAT_EQ(rects[2].x, 640 - 2.0f * c.bar);
        EXPECT_FLOAT_EQ(rects[2].w, 2.0f * c.bar + 1);
        const auto* game = f.game->Find("GAME");
        const auto* over = f.game->Find("OVER");
        ASSERT_TRUE(game && over);
        EXPECT_FLOAT_EQ(game->x, 224);
        EXPECT_FLOAT_EQ(game->y, static_cast<float>(c.bar));
        EXPECT_FLOAT_EQ(over->x, 416);
        EXPECT_FLOAT_EQ(over->y, 480.0f - static_cast<float>(c.bar));
    }
}

TEST(GameOver, BannerAnnouncesAnEqualScoreAtItsPlaceButTheTableStoresItBelow) {
    ShellFixture f;
    FillTypeTwo(f);
    EndGame(f, 2, 500);  // equals the 6th entry
    f.Update(31);        // drawn at T = 30: bar 216
    const auto* banner = f.game->Find(BANNER);
    ASSERT_NE(banner, nullptr);
    EXPECT_FLOAT_EQ(banner->x, 320);
    EXPECT_FLOAT_EQ(banner->y, 480 - 216 / 1.5f - 10.0f);
    ASSERT_NE(f.game->Find("6th"), nullptr);
    EXPECT_FLOAT_EQ(f.game->Find("6th")->y, 480 - 216 / 1.5f + 10.0f);
    f.Update(60);
    ASSERT_EQ(f.game->f_GameMode, MODE_MENU);
    // Stored at place 7, below the older 500; the banner still says 6th.
    EXPECT_EQ(f.game->f_HighScores[15], 500);
    EXPECT_EQ(f.game->f_HighScores[16], 500);
    EXPECT_EQ(f.game->f_HighScores[17], 400);
    EXPECT_EQ(f.game->f_HighScores[19], 200);
    f.Update();
    ASSERT_NE(f.game->Find(BANNER), nullptr);
    EXPECT_NE(f.game->Find("6th"), nullptr);
}

TEST(GameOver, TheBannersTextsStayInsideItsBoxAtEveryWindowSize) {
    struct Case {
        int w, h, score;
    } cases[] = {{640, 480, 2000}, {640, 480, 100},    {1280, 720, 2000}, {480, 640, 2000},
                 {320, 480, 100},  {1920, 1080, 2000}, {200, 600, 2000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h) + " score " + std::to_string(c.score));
        ShellFixture f(c.w, c.h);
        FillTypeTwo(f);
        EndGame(f, 2, c.score);  // 1st! or 10th
        f.Update(60);
        const game_test::DrawEntry* box = nullptr;
        std::vector<game_test::DrawEntry> all = f.h.Entries();
        for (const auto& e : all) {
            if (e.IsRect() && e.r == 0.0f && e.g == 125.0f && e.b == 255.0f) box = &e;
        }
        ASSERT_NE(box, nullptr);
        int glyphs = 0;
        for (const auto& e : all) {
            if (!e.IsImage(SLOT_FONT) || e.g != 255.0f || e.r != 100.0f) continue;
            ++glyphs;
            // A glyph fills one advance across and one line down around its place.
            const float halfW = FONT_ADVANCE * e.w / 2.0f, halfH = FONT_LINE_HEIGHT * e.h / 2.0f;
            EXPECT_GE(e.x - halfW, box->x) << "frame " << e.frame;
            EXPECT_LE(e.x + halfW, box->x + box->w) << "frame " << e.frame;
            EXPECT_GE(e.y - halfH, box->y) << "frame " << e.frame;
            EXPECT_LE(e.y + halfH, box->y + box->h) << "frame " << e.frame;
        }
        // "New Highscore" less its space, and "1st!" or "10th".
        EXPECT_EQ(glyphs, 16);
    }
}

TEST(GameOver, NoBannerBelowTheTable) {
    ShellFixture f;
    FillTypeTwo(f);
    EndGame(f, 2, 99);
    f.Update(40);
    EXPECT_NE(f.game->Find("GAME"), nullptr);
    EXPECT_EQ(f.game->Find("New Highscore"), nullptr);
}

TEST(ScoreTables, TopTenNeedsAStrictlyGreaterScoreLastTenTakesEveryScore) {
    struct Case {
        const char* what;
        std::vector<int> top;  // type 2's top ten before
        int score;
        std::vector<int> topAfter;
        std::string banner;
    } cases[] = {
        {"zero on an empty table", std::vector<int>(10, 0), 0, std::vector<int>(10, 0), "1st!"},
        {"best",
         {90, 80, 70, 60, 50, 40, 30, 20, 10, 5},
         100,
         {100, 90, 80, 70, 60, 50, 40, 30, 20, 10},
         "1st!"},
        {"equal to the tenth",
         {90, 80, 70, 60, 50, 40, 30, 20, 10, 5},
         5,
         {90, 80, 70, 60, 50, 40, 30, 20, 10, 5},
         "10th"},
        {"between",
         {90, 80, 70, 60, 50, 40, 30, 20, 10, 5},
         55,
         {90, 80, 70, 60, 55, 50, 40, 30, 20, 10},
         "5th"},
        {"below all",
         {90, 80, 70, 60, 50, 40, 30, 20, 10, 5},
         4,
         {90, 80, 70, 60, 50, 40, 30, 20, 10, 5},
         ""},
    };
    for (const Case& c : cases) {
        ShellFixture f;
        for (int i = 0; i < HIGHSCORE_COUNT; ++i) f.game->f_HighScores[i] = 7;  // every other list
        for (int i = 0; i < TABLE_LENGTH; ++i) f.game->f_HighScores[10 + i] = c.top[i];
        f.game->f_GameType = 2;
        f.game->f_Score = c.score;
        EXPECT_EQ(f.game->m_MyNth().Length(), static_cast<int>(c.banner.size())) << c.what;
        f.game->m_LoadMenu();
        for (int i = 0; i < TABLE_LENGTH; ++i) {
            EXPECT_EQ(f.game->f_HighScores[10 + i], c.topAfter[i]) << c.what << " " << i;
            EXPECT_EQ(f.game->f_HighScores[40 + i], i == 0 ? c.score : 7) << c.what << " " << i;
            // Types 1 and 3 untouched.
            for (int other : {0, 20, 30, 50}) EXPECT_EQ(f.game->f_HighScores[other + i], 7) << c.what;
        }
        // Saved: the file holds the new tables.
        std::vector<std::string> fields = SplitFields(ReadStateFile());
        ASSERT_EQ(fields.size(), 98u);
        EXPECT_EQ(fields[56], std::to_string(c.topAfter[0])) << c.what;
        EXPECT_EQ(fields[57], std::to_string(c.score)) << c.what;
    }
}

TEST(ScoreTables, ElevenGamesKeepTheTenMostRecentScores) {
    ShellFixture f;
    f.game->f_GameType = 3;
    for (int game = 1; game <= 11; ++game) {
        f.game->f_Score = game * 10;
        f.game->m_LoadMenu();
    }
    for (int i = 0; i < TABLE_LENGTH; ++i) {
        EXPECT_EQ(f.game->f_HighScores[50 + i], (11 - i) * 10);
        EXPECT_EQ(f.game->f_HighScores[20 + i], (11 - i) * 10);
        EXPECT_EQ(f.game->f_HighScores[40 + i], 0);
    }
}

// The whole road with the real play code: start from the menu, end the game,
// come back; the state file holds the score and a restarted game lists it.
TEST(ScoreTables, AFinishedGameIsSavedAndListedAfterARestart) {
    std::string state;
    int score = 0;
    {
        ShellFixture f;
        f.Hold(KEY_ENTER);
        f.Let(KEY_ENTER);
        ASSERT_EQ(f.game->f_GameMode, MODE_PLAY);
        f.game->f_Score = 4321;
        f.game->f_GameOver = 1;
        for (int n = 0; n < 200 && f.game->f_GameMode != MODE_MENU; ++n) f.Update();
        ASSERT_EQ(f.game->f_GameMode, MODE_MENU);
        score = f.game->f_Score;
        EXPECT_EQ(f.game->f_HighScores[10], score);
        state = ReadStateFile();
    }
    ASSERT_GT(score, 0);
    shell_test::StdoutCapture out;
    ShellFixture again(640, 480, true, state);
    std::vector<std::string> lines = out.Lines();
    EXPECT_EQ(lines, (std::vector<std::string>{"Settings Loaded", "Badges Loaded", "Highscore 0 Loaded",
                                               "Highscore 1 Loaded", "Highscore 2 Loaded"}));
    again.Update();
    ASSERT_NE(again.game->Find("Top 10"), nullptr);
    EXPECT_EQ(again.game->Find("Top 10")->text.substr(0, 16), "Top 10\\n" + std::string(8 - 4, ' ') + "4321");
    ASSERT_NE(again.game->Find("Last 10"), nullptr);
    EXPECT_EQ(again.game->Find("Last 10")->text.substr(0, 17),
              "Last 10\\n" + std::string(8 - 4, ' ') + "4321");
}

}  // namespace
