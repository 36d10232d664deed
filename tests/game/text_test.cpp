// Text layout, buttons and zones with their strict edges, and the two text
// formatters.
#include <climits>
#include <string>

#include "harness.h"

namespace {

using game_test::GameHarness;

constexpr float W = FONT_ADVANCE;
constexpr float H = FONT_LINE_HEIGHT;

// A game with the font's metrics in place and an empty list.
struct TextFixture {
    TextFixture() {
        g = h.game;
        g->f_FontSlot = SLOT_FONT;
        g->f_ImageInfo[SLOT_FONT * 3 + 0] = FONT_ADVANCE;
        g->f_ImageInfo[SLOT_FONT * 3 + 1] = FONT_LINE_HEIGHT;
        g->m_CLS2D(0, 0, 0, 1);
    }
    GameHarness h;
    bb_Moxelpark_MyApp* g;
};

TEST(Text, AlignmentPlacesTheFirstGlyph) {
    struct Case {
        const char* text;
        float ax, ay;
        float firstX, firstY;
    } cases[] = {
        {"AB", 0, 0, 100, 50 + H / 2},           // centre of the first glyph at x, top of the line at y
        {"ABC", 1, 1, 100 - W, 50},              // centred on x and y
        {"ABC", 2, 2, 100 - 2 * W, 50 - H / 2},  // last glyph's centre at x, bottom at y
        {"A", 1, 1, 100, 50},                    // one character: W is 0
        {"ABC", 0.5f, 0, 100 - W / 2, 50 + H / 2},
    };
    for (const Case& c : cases) {
        TextFixture f;
        f.g->m_Text(100, 50, String(c.text), c.ax, c.ay);
        ASSERT_GE(f.h.EntryCount(), 1) << c.text;
        EXPECT_FLOAT_EQ(f.h.Entry(0).x, c.firstX) << c.text << " " << c.ax;
        EXPECT_FLOAT_EQ(f.h.Entry(0).y, c.firstY) << c.text << " " << c.ay;
        EXPECT_FLOAT_EQ(f.h.Entry(0).frame, 'A' - 32);
    }
}

TEST(Text, CharactersDrawAdvanceOrAreSkipped) {
    TextFixture f;
    f.g->m_SetSize(2.0f);
    // A, space, control 1, code 160, NUL, \x (a backslash not before n), code 159.
    const char16_t text[] = {'A', ' ', 1, 160, 0, '\\', 'x', 159};
    f.g->m_Text(0, 0, String(text, 8), 0, 1);
    auto e = f.h.Entries();
    ASSERT_EQ(e.size(), 4u);
    EXPECT_FLOAT_EQ(e[0].x, 0);
    EXPECT_FLOAT_EQ(e[1].frame, FONT_BACKSLASH_FRAME);
    EXPECT_FLOAT_EQ(e[1].x, 4 * W * 2);  // A, space, 1 and 160 advanced; NUL did not
    EXPECT_FLOAT_EQ(e[2].frame, 'x' - 32);
    EXPECT_FLOAT_EQ(e[3].frame, 159 - 32);
    EXPECT_FLOAT_EQ(e[3].x, 6 * W * 2);
    EXPECT_FLOAT_EQ(e[0].w, 2.0f);  // glyphs carry the draw size
}

TEST(Text, EmptyTextDrawsNothingAndATrailingBackslashIsAGlyph) {
    TextFixture f;
    f.g->m_Text(10, 10, String(), 1, 1);
    EXPECT_EQ(f.h.EntryCount(), 0);
    f.g->m_Text(10, 10, String("a\\"), 0, 1);
    ASSERT_EQ(f.h.EntryCount(), 2);
    EXPECT_FLOAT_EQ(f.h.Entry(1).frame, FONT_BACKSLASH_FRAME);
}

TEST(Text, ALineBreakStartsTheNextLineAtTheSameX) {
    TextFixture f;
    f.g->m_Text(100, 50, String("a\\nb"), 1, 1);
    auto e = f.h.Entries();
    ASSERT_EQ(e.size(), 2u);
    EXPECT_FLOAT_EQ(e[0].x, 100 - 1.5f * W);
    EXPECT_FLOAT_EQ(e[1].x, 100 - 1.5f * W);
    EXPECT_FLOAT_EQ(e[1].y, e[0].y + H);
    EXPECT_FLOAT_EQ(e[1].frame, 'b' - 32);
}

TEST(Text, RotatedTextRunsUpwardsAndBreaksToTheRight) {
    TextFixture f;
    f.g->f_Rotation = 90.0f;
    f.g->m_Text(100, 100, String("ab\\nc"), 0, 1);
    auto e = f.h.Entries();
    ASSERT_EQ(e.size(), 3u);
    EXPECT_NEAR(e[1].x, 100, 1e-4);
    EXPECT_NEAR(e[1].y, 100 - W, 1e-4);
    EXPECT_NEAR(e[2].x, 100 + H, 1e-4);
    EXPECT_NEAR(e[2].y, 100, 1e-4);
    EXPECT_FLOAT_EQ(e[0].rotation, 90.0f);
}

// A 64 by 64 button at (100, 100) at scale 1, size 1: inside means 68 < x < 132.
struct ButtonFixture : TextFixture {
    ButtonFixture() {
        g->f_ImageScale = 1.0f;
        g->f_ImageInfo[SLOT_BUTTONS * 3 + 0] = 64;
        g->f_ImageInfo[SLOT_BUTTONS * 3 + 1] = 64;
    }
    void Touch(int i, int x, int y) {
        g->f_TouchDown[i] = 1;
        g->f_TouchX[i] = x;
        g->f_TouchY[i] = y;
        g->f_PointerDown = 1;
    }
    void Clear() {
        for (int i = 0; i < TOUCH_POINTS; ++i) {
            g->f_TouchDown[i] = 0;
            g->f_TouchX[i] = g->f_TouchY[i] = TOUCH_UP;
        }
        g->f_PointerDown = 0;
    }
};

TEST(Buttons, HitsAreStrictlyInsideTheFrame) {
    struct Case {
        int touch, x, y;
        int hit;
    } cases[] = {
        {0, 100, 100, 1}, {0, 131, 100, 1}, {0, 132, 100, 0}, {0, 68, 100, 0},
        {0, 69, 131, 1},  {0, 100, 132, 0}, {3, 120, 80, 1},  {9, 100, 68, 0},
    };
    for (const Case& c : cases) {
        ButtonFixture f;
        f.Clear();
        f.Touch(c.touch, c.x, c.y);
        EXPECT_EQ(f.g->m_Button(SLOT_BUTTONS, 100, 100, 2), c.hit) << c.x << "," << c.y;
        EXPECT_EQ(f.g->f_ButtonHit, c.hit);
        EXPECT_EQ(f.g->m_Button0(SLOT_BUTTONS, 100, 100, 2), c.hit == 1 && c.touch == 0) << c.x << "," << c.y;
        EXPECT_EQ(f.g->m_MouseIn(68, 68, 64, 64), c.hit == 1) << c.x << "," << c.y;
        EXPECT_EQ(f.g->f_Loop, TOUCH_POINTS);
    }
}

TEST(Buttons, DrawTheFrameAndFollowTheDrawSizeAndImageScale) {
    ButtonFixture f;
    f.Clear();
    f.g->f_ImageScale = 0.5f;  // a "-hd" file: 64 pixels are 32 units
    f.g->m_SetSize(2.0f);      // ... drawn twice as large: 64 units
    f.Touch(0, 131, 100);
    EXPECT_EQ(f.g->m_Button(SLOT_BUTTONS, 100, 100, 7), 1);
    f.Touch(0, 132, 100);
    EXPECT_EQ(f.g->m_Button(SLOT_BUTTONS, 100, 100, 7), 0);
    ASSERT_EQ(f.h.EntryCount(), 2);
    EXPECT_TRUE(f.h.Entry(0).IsImage(SLOT_BUTTONS));
    EXPECT_FLOAT_EQ(f.h.Entry(0).frame, 7);
}

TEST(Buttons, NothingHitsWithoutThePointerDown) {
    ButtonFixture f;
    f.Clear();
    f.Touch(0, 100, 100);
    f.g->f_PointerDown = 0;
    EXPECT_EQ(f.g->m_Button(SLOT_BUTTONS, 100, 100, 0), 0);
    EXPECT_FALSE(f.g->m_Button0(SLOT_BUTTONS, 100, 100, 0));
    // A zone needs the touch's own down flag instead.
    EXPECT_TRUE(f.g->m_MouseIn(68, 68, 64, 64));
    f.g->f_TouchDown[0] = 0;
    EXPECT_FALSE(f.g->m_MouseIn(68, 68, 64, 64));
}

TEST(Formatters, RstrRightAlignsAndCuts) {
    struct Case {
        int value, width;
        const char* pad;
        const char* text;
        int loopAfter;
    } cases[] = {
        {7, 3, "0", "007", 4},
        {1234, 3, " ", "234", 4},
        {12345, 3, "0", "345", 4},
        {0, 8, "0", "00000000", 9},
        {-5, 3, "0", "0-5", 4},
        {-1234, 3, " ", "234", 4},
        {42, 0, "0", "", 1},
        {42, -2, "0", "", 1},
        {5, 4, "ab", "bab5", 5},
        {120, 8, " ", "     120", 9},
        {INT_MIN, 12, "0", "0-2147483648", 13},
        {INT_MIN, 5, " ", "83648", 6},
        {12, 5, "", "12", 6},
        {3, 7, "xyz", "xyzxyz3", 8},
    };
    for (const Case& c : cases) {
        GameHarness h;
        String s = h.game->m_rstr(c.value, c.width, String(c.pad));
        EXPECT_EQ(std::string(s.ToCString<char>()), c.text) << c.value << " " << c.width;
        EXPECT_EQ(h.game->f_Loop, c.loopAfter);
    }
    // Widths beyond the in-place buffer give the same text.
    GameHarness h;
    String wide = h.game->m_rstr(-9, 70, String("0"));
    EXPECT_EQ(std::string(wide.ToCString<char>()), std::string(68, '0') + "-9");
    EXPECT_EQ(h.game->f_Loop, 71);
}

TEST(Formatters, MyNthCountsAnEqualScoreAtTheEntrysPlace) {
    GameHarness h;
    bb_Moxelpark_MyApp* g = h.game;
    g->f_GameType = 2;
    for (int i = 0; i < 10; ++i) g->f_HighScores[10 + i] = 1000 - 100 * i;  // 1000, 900, ... 100
    g->f_HighScores[0] = 5000;                                              // type 1 is not consulted
    struct Case {
        int score;
        const char* text;
        int place;
    } cases[] = {
        {5000, "1st!", 1}, {1000, "1st!", 1}, {999, "2nd", 2}, {800, "3rd", 3}, {700, "4th", 4},
        {650, "5th", 5},   {500, "6th", 6},   {400, "7th", 7}, {300, "8th", 8}, {200, "9th", 9},
        {100, "10th", 10}, {99, "", 0},       {-1, "", 0},
    };
    for (const Case& c : cases) {
        g->f_Score = c.score;
        EXPECT_EQ(std::string(g->m_MyNth().ToCString<char>()), c.text) << c.score;
        EXPECT_EQ(g->f_Loop, c.place) << c.score;
    }
    // An empty table: every score, 0 included, is first.
    g->f_GameType = 3;
    g->f_Score = 0;
    EXPECT_EQ(std::string(g->m_MyNth().ToCString<char>()), "1st!");
}

}  // namespace
