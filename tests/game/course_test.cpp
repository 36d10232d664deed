// Starting a game and building holes: the reset, the counts, the balls, and
// courses reproduced from the generator's recurrence at several logical sizes.
//
// The expected layouts are computed here from the recurrence and the
// placement rule alone, never by calling the game's code; a few are also
// pinned as literal values.
#include <cmath>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "audio/random.h"
#include "play_support.h"

namespace {

using game_test::PlayHarness;

// ---- The expected course, from the generator's recurrence ----

struct Lcg {
    uint32_t seed;
    double Next() {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<double>(seed >> 8) / 16777216.0;
    }
};

struct Placed {
    int kind, x, y;
};

struct Course {
    std::vector<Placed> objects;  // entries 1 to count
    std::string lines;            // the debug lines, one per attempt
    uint32_t seedAfter;           // the generator's state after the placement
};

Course ExpectedCourse(int type, int hole, float jscrw, float jscrh) {
    Course c;
    Lcg rng{static_cast<uint32_t>(type * 1024 + hole)};
    int targets = type * hole;
    int count = targets + 3 > 100 ? 100 : targets + 3;
    double width = static_cast<double>(jscrw) - 96.0 - 48.0;
    double height = static_cast<float>(static_cast<double>(jscrh) - 128.0 - 64.0 - 48.0);
    std::ostringstream out;
    for (int i = 1; i <= count; ++i) {
        int tries = 128, x, y;
        do {
            --tries;
            x = static_cast<int>(48.0 + rng.Next() * width);
            y = static_cast<int>(48.0 + rng.Next() * height);
            if (i == 1) tries = 0;
            for (const Placed& p : c.objects) {
                if (std::abs(p.x - x) >= 48 || std::abs(p.y - y) >= 48) tries = 0;
            }
            out << i << ':' << i << ':' << tries << '\n';
        } while (tries > 0);
        c.objects.push_back({i > targets ? OBJECT_BONUS : OBJECT_TARGET, x, y});
    }
    c.lines = out.str();
    c.seedAfter = rng.seed;
    return c;
}

float ExpectedCup(uint32_t seed, float jscrw) {
    Lcg rng{seed};
    return static_cast<float>(64.0 + rng.Next() * (static_cast<double>(jscrw) - 64.0 - 64.0));
}

std::vector<Placed> ObjectsOf(const bb_Moxelpark_MyApp* g) {
    std::vector<Placed> v;
    for (int n = 1; n <= g->f_ObjectCount; ++n) {
        const float* e = &g->f_Objects[n * OBJECT_ENTRY_FLOATS];
        v.push_back(
            {static_cast<int>(e[OBJECT_KIND]), static_cast<int>(e[OBJECT_X]), static_cast<int>(e[OBJECT_Y])});
    }
    return v;
}

void ExpectSameObjects(const std::vector<Placed>& want, const std::vector<Placed>& got) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(got[i].kind, want[i].kind) << "object " << i + 1;
        EXPECT_EQ(got[i].x, want[i].x) << "object " << i + 1;
        EXPECT_EQ(got[i].y, want[i].y) << "object " << i + 1;
    }
}

// Builds hole `hole` of `type` with a known generator state; returns the debug output.
std::string BuildHole(PlayHarness& p, int type, int hole, uint32_t seedBefore) {
    p.game->f_GameType = type;
    p.game->f_Hole = hole;
    bb_random_Seed = static_cast<int>(seedBefore);
    testing::internal::CaptureStdout();
    p.game->m_GetLevel();
    return testing::internal::GetCapturedStdout();
}

// ---- The tests ----

TEST(Course, NewGameResetsTheGameAndBuildsHoleOne) {
    PlayHarness p;
    bb_Moxelpark_MyApp* g = p.game;
    g->f_Score = 990;
    g->f_GameOver = 1;
    g->f_GameOverTime = 40;
    g->f_Objects[99 * OBJECT_ENTRY_FLOATS + OBJECT_KIND] = OBJECT_BONUS;  // left by an old game
    bb_random_Seed = 77;
    testing::internal::CaptureStdout();
    p.StartGame(2);
    std::string out = testing::internal::GetCapturedStdout();

    EXPECT_EQ(g->f_GameMode, MODE_PLAY);
    EXPECT_EQ(g->f_Score, 0);
    EXPECT_EQ(g->f_GameOver, 0);
    EXPECT_EQ(g->f_GameOverTime, 0);
    EXPECT_EQ(g->f_BallX, 320.0f);
    EXPECT_EQ(g->f_BallY, 349.0f);  // three above the ground line
    EXPECT_EQ(g->f_Facing, 1);
    EXPECT_EQ(g->f_BallState, BALL_AIMING);
    EXPECT_EQ(g->f_Hole, 1);
    // Type 2, hole 1: 6 + 2 balls; 2 targets and 3 bonus objects; nothing else.
    EXPECT_EQ(g->f_Balls, 8);
    EXPECT_EQ(g->f_ObjectCount, 5);
    EXPECT_EQ(g->f_Objects[99 * OBJECT_ENTRY_FLOATS + OBJECT_KIND], 0.0f);
    EXPECT_EQ(g->f_CupX, ExpectedCup(77, 640.0f));
    Course want = ExpectedCourse(2, 1, 640.0f, 480.0f);
    ExpectSameObjects(want.objects, ObjectsOf(g));
    EXPECT_EQ(out, want.lines);
    EXPECT_EQ(bb_random_Seed, static_cast<int>(want.seedAfter));
}

TEST(Course, PinnedLayoutsIncludingARetriedCandidate) {
    PlayHarness p;
    // Type 1, hole 4: the first candidate for object 2 lay within 48 of object 1 on both axes.
    std::string out = BuildHole(p, 1, 4, 5);
    ExpectSameObjects({{1, 362, 173},
                       {1, 301, 112},
                       {1, 271, 154},
                       {1, 279, 201},
                       {2, 160, 221},
                       {2, 458, 132},
                       {2, 408, 206}},
                      ObjectsOf(p.game));
    EXPECT_EQ(out, "1:1:0\n2:2:127\n2:2:0\n3:3:0\n4:4:0\n5:5:0\n6:6:0\n7:7:0\n");

    BuildHole(p, 2, 1, 5);
    ExpectSameObjects({{1, 62, 79}, {1, 438, 171}, {2, 530, 211}, {2, 315, 248}, {2, 477, 118}},
                      ObjectsOf(p.game));
}

// Several types and holes at several window sizes: objects, debug lines, cup and seed.
TEST(Course, HolesFollowTheRecurrenceAtEveryLogicalSize) {
    struct Size {
        int w, h;
    } sizes[] = {{640, 480}, {480, 640}, {900, 700}, {1280, 720}};
    struct Hole {
        int type, hole;
    } holes[] = {{1, 1}, {1, 4}, {2, 3}, {3, 6}, {3, 12}, {2, 40}};
    for (const Size& s : sizes) {
        PlayHarness p(s.w, s.h);
        float w = bb_Moxelpark_jscrw, h = bb_Moxelpark_jscrh;
        SCOPED_TRACE(testing::Message() << "logical " << w << " x " << h);
        for (const Hole& hole : holes) {
            SCOPED_TRACE(testing::Message() << "type " << hole.type << " hole " << hole.hole);
            uint32_t before = 1000u + static_cast<uint32_t>(hole.hole);
            std::string out = BuildHole(p, hole.type, hole.hole, before);
            Course want = ExpectedCourse(hole.type, hole.hole, w, h);
            ExpectSameObjects(want.objects, ObjectsOf(p.game));
            EXPECT_EQ(out, want.lines);
            EXPECT_EQ(p.game->f_CupX, ExpectedCup(before, w));
            EXPECT_EQ(bb_random_Seed, static_cast<int>(want.seedAfter));
            // Objects lie in [48, jscrw - 96) by [48, jscrh - 192).
            for (const Placed& o : want.objects) {
                EXPECT_GE(o.x, 48);
                EXPECT_LT(static_cast<float>(o.x), w - 96.0f);
                EXPECT_GE(o.y, 48);
                EXPECT_LT(static_cast<float>(o.y), h - 192.0f);
            }
        }
    }
}

TEST(Course, CountsByTypeAndTheCutAtOneHundred) {
    PlayHarness p;
    struct Case {
        int type, hole, objects, targets;
    } cases[] = {
        {1, 1, 4, 1},      {1, 2, 5, 2},  {2, 1, 5, 2},    {2, 2, 7, 4},
        {3, 1, 6, 3},      {3, 3, 12, 9}, {3, 32, 99, 96},  // 96 + 3 still fits
        {3, 33, 100, 99},                                   // 102 cut to 100: one bonus object
        {3, 50, 100, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " hole " << c.hole);
        std::string out = BuildHole(p, c.type, c.hole, 1);
        EXPECT_EQ(p.game->f_ObjectCount, c.objects);
        int targets = 0, bonus = 0;
        for (const Placed& o : ObjectsOf(p.game)) (o.kind == OBJECT_TARGET ? targets : bonus) += 1;
        EXPECT_EQ(targets, c.targets);
        EXPECT_EQ(bonus, c.objects - c.targets);
        EXPECT_EQ(out, ExpectedCourse(c.type, c.hole, 640.0f, 480.0f).lines);
    }
}

TEST(Course, EveryHoleGivesTwoBallsAndOnePerUntouchedBonusObject) {
    PlayHarness p;
    p.StartGame(2);
    bb_Moxelpark_MyApp* g = p.game;
    // Hole 1 of type 2: entries 3 to 5 are the bonus objects.
    for (int touched = 0; touched <= 3; ++touched) {
        for (int n = 1; n <= 5; ++n) g->f_Objects[n * OBJECT_ENTRY_FLOATS + OBJECT_HIT] = 1.0f;
        for (int n = 3 + touched; n <= 5; ++n) g->f_Objects[n * OBJECT_ENTRY_FLOATS + OBJECT_HIT] = 0.0f;
        g->f_Balls = 0;
        g->f_Hole = 1;
        BuildHole(p, 2, 1, 1);
        EXPECT_EQ(g->f_Balls, 2 + (3 - touched)) << touched << " bonus objects touched";
    }
    // Only kind exactly 2 with the hit flag exactly 0 counts, on entries 1 to 100.
    p.ClearObjects();
    p.PlaceObject(1, OBJECT_TARGET, 100, 100);
    p.PlaceObject(100, OBJECT_BONUS, 100, 100);
    g->f_Objects[0 * OBJECT_ENTRY_FLOATS + OBJECT_KIND] = OBJECT_BONUS;  // entry 0 is not an object
    g->f_Balls = 0;
    g->f_Hole = 1;
    g->f_GameType = 1;
    g->m_GetLevel();
    EXPECT_EQ(g->f_Balls, 3);
}

TEST(Course, LaterHolesKeepTheLayoutButTheCupFollowsTheGenerator) {
    // Two games of the same type started from different generator states.
    std::vector<Placed> first;
    float firstCup = 0.0f;
    {
        PlayHarness a;
        bb_random_Seed = 1;
        a.StartGame(3);
        first = ObjectsOf(a.game);
        firstCup = a.game->f_CupX;
    }
    PlayHarness b;
    bb_random_Seed = 999;
    b.StartGame(3);
    EXPECT_NE(firstCup, b.game->f_CupX);
    ExpectSameObjects(first, ObjectsOf(b.game));
    // The next hole's cup is drawn from where hole 1's placement left the generator.
    Course hole1 = ExpectedCourse(3, 1, 640.0f, 480.0f);
    b.game->f_Hole = 2;
    b.game->m_GetLevel();
    EXPECT_EQ(b.game->f_CupX, ExpectedCup(hole1.seedAfter, 640.0f));
    ExpectSameObjects(ExpectedCourse(3, 2, 640.0f, 480.0f).objects, ObjectsOf(b.game));
}

}  // namespace
