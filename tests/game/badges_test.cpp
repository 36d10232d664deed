// Badges: the texts of the table, the announcement rows' slide and lifetime,
// pictures only for ids that have a frame, and the badges box's scrolling.
#include <string>
#include <vector>

#include "harness.h"
#include "shell_fixture.h"

namespace {

using shell_test::ShellFixture;

std::string Narrow(const String& s) {
    std::string out;
    for (int i = 0; i < s.Length(); ++i) out += static_cast<char>(s[i]);
    return out;
}

// The rectangles of announcement rows (160 by 32) in the display list.
std::vector<game_test::DrawEntry> RowRects(const game_test::GameHarness& h) {
    std::vector<game_test::DrawEntry> rows;
    for (const auto& e : h.EntriesOf(DRAW_KIND_RECT)) {
        if (e.w == 160.0f && e.h == 32.0f) rows.push_back(e);
    }
    return rows;
}

TEST(Badges, NamesAndDetailsComeFromTheTable) {
    ShellFixture f;
    EXPECT_EQ(Narrow(f.game->m_BadgeID(0)), "Test Badge|This is a Test Badge which has no purpose.");
    EXPECT_EQ(Narrow(f.game->m_BadgeName(0)), "Test Badge");
    EXPECT_EQ(Narrow(f.game->m_BadgeDetail(0)), "This is a Test Badge which has no purpose.");
    for (int id : {1, 63, 64, 255, -1}) {
        EXPECT_EQ(f.game->m_BadgeID(id).Length(), 0) << id;
        EXPECT_EQ(f.game->m_BadgeName(id).Length(), 0) << id;
        EXPECT_EQ(f.game->m_BadgeDetail(id).Length(), 0) << id;
    }
}

TEST(Badges, ARowSlidesInRestsSlidesOutAndFreesItself) {
    ShellFixture f;
    f.game->f_BadgeQueue[0] = 0;
    f.game->f_BadgeTimer[0] = 1;
    // x at the timer value the row is drawn with.
    struct Point {
        int t;
        float x;
    } points[] = {{2, -128}, {9, -16}, {10, 0}, {11, 0}, {230, 0}, {231, -16}, {240, -160}, {241, -176}};
    size_t next = 0;
    for (int t = 2; t <= 241; ++t) {
        f.Update();
        ASSERT_EQ(f.game->f_BadgeTimer[0], t == 241 ? 0 : t);
        auto rows = RowRects(f.h);
        ASSERT_EQ(rows.size(), 1u) << t;
        if (next < sizeof points / sizeof points[0] && points[next].t == t) {
            EXPECT_FLOAT_EQ(rows[0].x, points[next].x) << t;
            EXPECT_FLOAT_EQ(rows[0].y, 480 - 34);
            ++next;
        }
    }
    EXPECT_EQ(next, sizeof points / sizeof points[0]);
    f.Update();
    EXPECT_TRUE(RowRects(f.h).empty());
}

TEST(Badges, RowsStackUpwardsShowTheNameAndAPictureOnlyForIdsBelow64) {
    ShellFixture f;
    f.game->f_BadgeQueue[0] = 0;
    f.game->f_BadgeQueue[2] = 64;
    f.game->f_BadgeQueue[3] = 63;
    f.game->f_BadgeQueue[13] = 0;  // the last two rows are never shown
    for (int row : {0, 2, 3, 13}) f.game->f_BadgeTimer[row] = 20;
    f.Update();
    auto rows = RowRects(f.h);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_FLOAT_EQ(rows[0].y, 480 - 34);
    EXPECT_FLOAT_EQ(rows[1].y, 480 - 3 * 34);
    EXPECT_FLOAT_EQ(rows[2].y, 480 - 4 * 34);
    EXPECT_EQ(f.game->f_BadgeTimer[13], 20);
    const auto* name = f.game->Find("Test Badge");
    ASSERT_NE(name, nullptr);
    EXPECT_FLOAT_EQ(name->x, 16);
    EXPECT_FLOAT_EQ(name->y, 480 - 34 + 4);
    auto pictures = f.h.EntriesOf(SLOT_BADGES);
    ASSERT_EQ(pictures.size(), 2u);
    EXPECT_FLOAT_EQ(pictures[0].frame, 0);
    EXPECT_FLOAT_EQ(pictures[0].x, 144);
    EXPECT_FLOAT_EQ(pictures[0].y, 480 - 34 + 16);
    EXPECT_FLOAT_EQ(pictures[0].w, 0.5f);
    EXPECT_FLOAT_EQ(pictures[1].frame, 63);
}

TEST(Badges, NoActiveRowDrawsNothing) {
    ShellFixture f;
    f.game->m_CLS2D();
    f.game->m_ShowBadges();
    EXPECT_EQ(f.h.EntryCount(), 0);
}

TEST(BadgesBox, KeysScrollUpwardsOnlyAndDraggingFollowsThePointer) {
    ShellFixture f;
    f.game->f_ShowBadges = 1;
    f.Update();
    EXPECT_EQ(f.game->f_BadgeSel, -1);
    auto rects = f.h.EntriesOf(DRAW_KIND_RECT);
    ASSERT_GE(rects.size(), 2u);
    EXPECT_FLOAT_EQ(rects[rects.size() - 2].x, 64);
    EXPECT_FLOAT_EQ(rects[rects.size() - 2].w, 512);
    EXPECT_FLOAT_EQ(rects[rects.size() - 1].h, 482);

    f.Hold(KEY_UP);
    f.Update(2);
    EXPECT_FLOAT_EQ(f.game->f_BadgeScrollTo, -48);
    EXPECT_LT(f.game->f_BadgeScroll, 0.0f);
    EXPECT_GT(f.game->f_BadgeScroll, -48.0f);
    f.Let(KEY_UP);
    f.Update(30);
    EXPECT_FLOAT_EQ(f.game->f_BadgeScroll, -48);
    // Down raises it, never above 0.
    f.Hold(KEY_DOWN);
    f.Update(9);
    EXPECT_FLOAT_EQ(f.game->f_BadgeScrollTo, 0);
    f.Let(KEY_DOWN);

    // Dragging down by 20 raises it by 30.
    f.game->f_BadgeScrollTo = -100;
    f.Press(300, 200);
    EXPECT_FLOAT_EQ(f.game->f_BadgeScrollTo, -100);
    f.h.SetPointer(300, 220);
    f.Update();
    EXPECT_FLOAT_EQ(f.game->f_BadgeScrollTo, -70);
    f.Release();
    EXPECT_EQ(f.game->f_ShowBadges, 1);
}

}  // namespace
