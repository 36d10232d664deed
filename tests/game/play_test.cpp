// The play loop driven through the update hook with pointer input: aiming and
// the meter, the stroke, the flight step by step with its bounces and sounds,
// objects and combos, the cup, the next hole, the game's end and the screen.
#include <cmath>
#include <cstdio>
#include <vector>

#include "audio/random.h"
#include "play_support.h"
#include "scripted_player.h"

namespace {

using game_test::BallModel;
using game_test::DrawEntry;
using game_test::PlayHarness;
using game_test::ScriptedPlayer;

constexpr float G = 352.0f;  // the ground line at 480 high

// A game of type 2 at 640 by 480 with no objects and the cup out of the way.
struct Play : PlayHarness {
    Play() {
        StartGame(2);
        ClearObjects();
        game->f_CupX = 600.0f;
        game->sounds.clear();
    }
    bb_Moxelpark_MyApp* g() { return game; }
    // Puts the ball in flight at a place and speed, as after some stroke.
    void Fly(float x, float y, float vx, float vy) {
        game->f_BallState = BALL_MOVING;
        game->f_BallX = x;
        game->f_BallY = y;
        game->f_BallVX = vx;
        game->f_BallVY = vy;
    }
    // An unhit target nothing can reach keeps the cup shut.
    void ShutLid() { PlaceObject(100, OBJECT_TARGET, -1000.0f, -1000.0f); }
    bool LidShown() {
        for (const DrawEntry& e : h.EntriesOf(DRAW_KIND_RECT)) {
            if (e.r == 255.0f && e.g == 100.0f && e.b == 100.0f && e.w == 24.0f && e.h == 4.0f) return true;
        }
        return false;
    }
};

TEST(Play, PressingTheMeterSetsThePowerAndDrawsTheFadingPath) {
    Play p;
    p.Press(600, 145);  // one unit inside the meter's top edge
    EXPECT_EQ(p.g()->f_Power, 1.0f);
    std::vector<DrawEntry> dots;
    for (const DrawEntry& e : p.h.EntriesOf(DRAW_KIND_OVAL)) {
        if (e.w == 3.0f) dots.push_back(e);
    }
    ASSERT_EQ(dots.size(), 17u);
    float x = 320.0f, y = 349.0f;
    for (int i = 0; i < 17; ++i) {
        x += (17.0f * 0.2f - 0.05f * static_cast<float>(i)) * 1.0f;
        y -= 17.0f * 0.15f - 0.42f * static_cast<float>(i);
        if (y > G) y = G;  // held at the ground
        EXPECT_FLOAT_EQ(dots[i].x, x) << i;
        EXPECT_FLOAT_EQ(dots[i].y, y) << i;
        EXPECT_FLOAT_EQ(dots[i].alpha, std::fmax((16.0f - static_cast<float>(i)) / 18.0f, 0.0f)) << i;
    }
    // The meter's top bar is lit, the slider sits one unit down.
    std::vector<DrawEntry> slider = p.h.EntriesOf(SLOT_GFX);
    bool found = false;
    for (const DrawEntry& e : slider) found |= e.frame == 6.0f && e.x == 592.0f && e.y == 145.0f;
    EXPECT_TRUE(found);
    // Moving off the meter while held cancels the aim; the release then plays nothing.
    p.Press(300, 100);
    EXPECT_EQ(p.g()->f_Power, 0.0f);
    p.Release();
    EXPECT_EQ(p.g()->f_BallState, BALL_AIMING);
    EXPECT_EQ(p.g()->f_Balls, 8);
    // The meter's edge is outside the zone: power 0 cannot be played.
    p.Tap(600, 144);
    EXPECT_EQ(p.g()->f_BallState, BALL_AIMING);
}

TEST(Play, TheReleaseUpdatePlaysTheStrokeAndTheFirstStep) {
    Play p;
    p.Press(600, 145);
    p.Release();
    bb_Moxelpark_MyApp* g = p.g();
    EXPECT_EQ(g->f_BallState, BALL_MOVING);
    EXPECT_EQ(g->f_Balls, 7);
    EXPECT_EQ(g->f_ShotPower, 17.0f);
    EXPECT_EQ(g->f_Power, 0.0f);
    ASSERT_EQ(p.game->sounds.size(), 1u);
    EXPECT_EQ(p.game->sounds[0].n, SFX_STROKE);
    EXPECT_EQ(p.game->sounds[0].rate, 1.0f);
    BallModel b = BallModel::Launch(320.0f, 349.0f, 1, 1.0f, 640.0f, G);
    EXPECT_FLOAT_EQ(b.vx, 3.4f);
    EXPECT_FLOAT_EQ(b.vy, -2.55f);
    b.Step();
    EXPECT_EQ(g->f_BallX, b.x);
    EXPECT_EQ(g->f_BallY, b.y);
    EXPECT_EQ(g->f_BallVX, b.vx);
    EXPECT_EQ(g->f_BallVY, b.vy);
    // The hero stands where the ball lay, in the stroke frame.
    EXPECT_EQ(g->f_HeroX, 320.0f);
    bool hero = false;
    for (const DrawEntry& e : p.h.EntriesOf(SLOT_GFX))
        hero |= e.frame == 1.0f && e.x == 304.0f && e.y == 336.0f;
    EXPECT_TRUE(hero);
}

// Full strokes both ways, every update compared with the flight model, sounds included.
TEST(Play, FlightsFollowThePhysicsStepByStepWithTheirSounds) {
    struct Case {
        int facing, power;
    } cases[] = {{1, 191}, {-1, 150}, {1, 60}, {-1, 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "facing " << c.facing << " power " << c.power);
        Play p;
        p.ShutLid();
        bb_Moxelpark_MyApp* g = p.g();
        if (c.facing < 0) p.Tap(320, 380);  // tapping near the ball turns the golfer
        ASSERT_EQ(g->f_Facing, c.facing);
        p.Press(600, 144 + c.power);
        p.game->sounds.clear();
        p.Release();
        BallModel b = BallModel::Launch(320.0f, 349.0f, c.facing, static_cast<float>(c.power), 640.0f, G);
        int walls = 0, bounces = 0, updates = 0;
        for (;;) {
            b.Step();
            ++updates;
            ASSERT_EQ(g->f_BallX, b.x) << "update " << updates;
            ASSERT_EQ(g->f_BallY, b.y) << "update " << updates;
            ASSERT_EQ(g->f_BallVX, b.vx) << "update " << updates;
            ASSERT_EQ(g->f_BallVY, b.vy) << "update " << updates;
            ASSERT_EQ(g->f_BallState, b.moving ? BALL_MOVING : BALL_AIMING) << "update " << updates;
            walls += b.wall;
            bounces += b.hardBounce;
            if (!b.moving) break;
            p.h.Update();
        }
        EXPECT_EQ(static_cast<int>(p.game->SoundsOf(SFX_WALL).size()), walls);
        EXPECT_EQ(static_cast<int>(p.game->SoundsOf(SFX_BOUNCE).size()), bounces);
        if (c.power == 191) {
            EXPECT_GT(walls, 0);
        }
        if (c.power >= 60) {
            EXPECT_GT(bounces, 0);
        }
        EXPECT_EQ(g->f_Balls, 7);
    }
}

TEST(Play, WallsCeilingAndGroundBounces) {
    Play p;
    bb_Moxelpark_MyApp* g = p.g();
    // Left wall: put back at 8 with 90% of the speed, less the friction.
    p.Fly(10.0f, 200.0f, -5.0f, 0.0f);
    p.h.Update();
    EXPECT_EQ(g->f_BallX, 8.0f);
    EXPECT_FLOAT_EQ(g->f_BallVX, 4.5f - 0.05f);
    EXPECT_EQ(p.game->SoundsOf(SFX_WALL).size(), 1u);
    // Right wall.
    p.Fly(630.0f, 200.0f, 5.0f, 0.0f);
    p.h.Update();
    EXPECT_EQ(g->f_BallX, 632.0f);
    EXPECT_FLOAT_EQ(g->f_BallVX, -4.5f + 0.05f);
    // Ceiling: held at 8, sent down without loss (then gravity).
    p.Fly(300.0f, 9.0f, 0.0f, -5.0f);
    p.h.Update();
    EXPECT_EQ(g->f_BallY, 8.0f);
    EXPECT_FLOAT_EQ(g->f_BallVY, 5.35f);
    // Landing with vy 9 leaves with -3 and is heard; with vy 6 it leaves with -2 silently.
    struct Landing {
        float vy, after;
        size_t heard;
    } landings[] = {{9.0f, -3.0f, 1}, {6.0f, -2.0f, 0}};
    for (const Landing& l : landings) {
        p.game->sounds.clear();
        p.Fly(300.0f, G - 0.5f, 2.0f, l.vy);
        p.h.Update();
        EXPECT_EQ(g->f_BallY, G);
        EXPECT_EQ(g->f_BallVY, l.after);
        EXPECT_FLOAT_EQ(g->f_BallVX, (2.0f - 0.05f) * 0.83f);
        EXPECT_EQ(p.game->SoundsOf(SFX_BOUNCE).size(), l.heard);
    }
    // A ball lying exactly on the line gets no gravity and stops once slow.
    p.Fly(300.0f, G, 0.04f, 0.0f);
    p.h.Update();
    EXPECT_EQ(g->f_BallState, BALL_AIMING);
    EXPECT_EQ(g->f_BallY, G);
}

TEST(Play, CombosScoreWithRisingPitchAndTheLidOpensOneUpdateLater) {
    Play p;
    bb_Moxelpark_MyApp* g = p.g();
    // Three targets around where the first step of a power-1 stroke takes the ball (322.72, 346.96).
    p.PlaceObject(1, OBJECT_TARGET, 330.0f, 340.0f);
    p.PlaceObject(2, OBJECT_TARGET, 315.0f, 340.0f);
    p.PlaceObject(3, OBJECT_TARGET, 322.0f, 360.0f);
    p.h.Update();
    EXPECT_TRUE(p.LidShown());
    p.Press(600, 145);
    p.game->sounds.clear();
    p.Release();
    EXPECT_EQ(g->f_Score, 25 + 50 + 75);
    EXPECT_EQ(g->f_Combo, 3);
    std::vector<game_test::SfxCall> hits = p.game->SoundsOf(SFX_HIT);
    ASSERT_EQ(hits.size(), 3u);
    EXPECT_FLOAT_EQ(hits[0].rate, 0.8f);
    EXPECT_FLOAT_EQ(hits[1].rate, 0.9f);
    EXPECT_FLOAT_EQ(hits[2].rate, 1.0f);
    // Bounced away from each centre in turn: left of 1 (vx < 0), then right of 2 and 3
    // (vx > 0); below 1 and 2 (-0.5 each) and above 3 (+1).
    BallModel b = BallModel::Launch(320.0f, 349.0f, 1, 1.0f, 640.0f, G);
    b.Step();
    EXPECT_EQ(g->f_BallVX, std::fabs(b.vx));
    EXPECT_FLOAT_EQ(g->f_BallVY, b.vy - 0.5f - 0.5f + 1.0f);
    // The lid is still drawn in the update of the last hit, gone from the next.
    EXPECT_TRUE(p.LidShown());
    p.h.Update();
    EXPECT_FALSE(p.LidShown());
    // Struck objects are drawn faint and never struck again.
    for (const DrawEntry& e : p.h.EntriesOf(SLOT_GFX)) {
        if (e.frame == 4.0f) {
            EXPECT_EQ(e.alpha, 0.5f);
        }
    }
    EXPECT_EQ(g->f_Score, 150);
}

TEST(Play, ABonusObjectScoresFiveTimesTheComboAndThePitchStopsAtTwo) {
    Play p;
    bb_Moxelpark_MyApp* g = p.g();
    for (int n = 1; n <= 14; ++n) p.PlaceObject(n, n == 14 ? OBJECT_BONUS : OBJECT_TARGET, 300.0f, 200.0f);
    p.Fly(300.0f, 200.0f, 1.0f, 0.0f);
    p.h.Update();
    int expected = 0;
    for (int c = 1; c <= 13; ++c) expected += 25 * c;
    EXPECT_EQ(g->f_Score, expected + 5 * 14);
    std::vector<game_test::SfxCall> hits = p.game->SoundsOf(SFX_HIT);
    ASSERT_EQ(hits.size(), 14u);
    EXPECT_FLOAT_EQ(hits[12].rate, 2.0f);  // 0.7 + 1.3 reaches the cap
    EXPECT_FLOAT_EQ(hits[13].rate, 2.0f);
}

TEST(Play, TheCupCapturesOnlyWithinItsWindowAndSpeedLimits) {
    struct Case {
        const char* what;
        float x, y, vx, vy;  // before the update's motion step
        bool captured;
    } cases[] = {
        {"rolling in slowly", 600.0f - 7.5f - 2.4f, G, 3.0f, 0.0f, true},
        {"just outside", 600.0f - 8.5f - 2.4f, G, 3.0f, 0.0f, false},
        {"too fast", 600.0f - 5.64f, G, 7.1f, 0.0f, false},
        {"fast but under 7", 600.0f - 5.6f, G, 7.04f, 0.0f, true},
        {"dropping slowly", 600.0f, G - 3.0f, 0.0f, 0.5f, true},
        {"dropping too fast", 600.0f, G - 3.0f, 0.0f, 0.7f, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Play p;
        bb_Moxelpark_MyApp* g = p.g();
        p.Fly(c.x, c.y, c.vx, c.vy);
        p.h.Update();
        EXPECT_EQ(g->f_BallState, c.captured ? BALL_IN_CUP : BALL_MOVING);
        EXPECT_EQ(g->f_InCup, c.captured ? 1 : 0);
        EXPECT_EQ(p.game->SoundsOf(SFX_CUP).size(), c.captured ? 1u : 0u);
        if (c.captured) {
            EXPECT_EQ(g->f_BallX, 600.0f);
            EXPECT_EQ(g->f_BallY, G);
            EXPECT_EQ(g->f_BallVX, 0.0f);
            // The ball is drawn sunk 8 units.
            bool sunk = false;
            for (const DrawEntry& e : p.h.EntriesOf(DRAW_KIND_OVAL)) sunk |= e.w == 6.0f && e.y == G + 8.0f;
            EXPECT_TRUE(sunk);
        }
    }
    // While a target is unhit the lid is shut and the ball rolls over the cup.
    Play p;
    p.PlaceObject(1, OBJECT_TARGET, 100.0f, 100.0f);
    p.Fly(600.0f - 7.5f - 2.4f, G, 3.0f, 0.0f);
    p.h.Update();
    EXPECT_EQ(p.g()->f_BallState, BALL_MOVING);
}

TEST(Play, TheNextHoleComesTwoSecondsAfterTheDropWithTheBallWhereItLay) {
    Play p;
    bb_Moxelpark_MyApp* g = p.g();
    p.Fly(600.0f - 7.5f - 2.4f, G, 3.0f, 0.0f);
    p.h.Update();
    ASSERT_EQ(g->f_BallState, BALL_IN_CUP);
    int balls = g->f_Balls;
    p.game->sounds.clear();
    p.h.Update(44);
    EXPECT_TRUE(p.game->SoundsOf(SFX_CHEER).empty());
    p.h.Update();
    EXPECT_EQ(p.game->SoundsOf(SFX_CHEER).size(), 1u);
    p.h.Update(74);
    EXPECT_EQ(g->f_Hole, 1);
    EXPECT_EQ(g->f_HoledTimer, 119);
    // The golfer celebrates meanwhile.
    bool celebrating = false;
    for (const DrawEntry& e : p.h.EntriesOf(SLOT_GFX)) celebrating |= e.frame == 2.0f;
    EXPECT_TRUE(celebrating);
    p.h.Update();
    EXPECT_EQ(g->f_Hole, 2);
    EXPECT_EQ(g->f_BallState, BALL_AIMING);
    EXPECT_EQ(g->f_HoledTimer, 0);
    EXPECT_EQ(g->f_BallX, 600.0f);
    EXPECT_EQ(g->f_BallY, G);
    EXPECT_EQ(g->f_ObjectCount, 7);
    // Two balls, and none for bonus objects: the cleared course had none.
    EXPECT_EQ(g->f_Balls, balls + 2);
}

TEST(Play, TheGameEndsWhenAnAimingUpdateFindsNoBall) {
    Play p;
    p.ShutLid();
    bb_Moxelpark_MyApp* g = p.g();
    g->f_Balls = 1;
    p.Press(600, 200);
    p.Release();
    ASSERT_EQ(g->f_Balls, 0);
    int updates = 0;
    while (g->f_BallState == BALL_MOVING && updates < 2000) {
        EXPECT_EQ(g->f_GameOver, 0);
        p.h.Update();
        ++updates;
    }
    // The update in which the ball stopped has not aimed yet.
    EXPECT_EQ(g->f_GameOver, 0);
    p.h.Update();
    EXPECT_EQ(g->f_GameOver, 1);
    // No stroke can be played without a ball.
    p.Press(600, 200);
    p.Release();
    EXPECT_EQ(g->f_BallState, BALL_AIMING);
}

TEST(Play, TappingTheBallTurnsTheGolferAndUsesThePress) {
    Play p;
    bb_Moxelpark_MyApp* g = p.g();
    p.Press(330, 340);
    EXPECT_EQ(g->f_Facing, -1);
    EXPECT_EQ(g->f_PointerUsed, 1);
    // Dragged onto the meter in the same press, the power is not set.
    p.Press(600, 200);
    EXPECT_EQ(g->f_Power, 0.0f);
    p.Release();
    EXPECT_EQ(g->f_BallState, BALL_AIMING);
    // The golfer is drawn mirrored, 16 units behind the ball (to its right).
    bool mirrored = false;
    for (const DrawEntry& e : p.h.EntriesOf(SLOT_GFX))
        mirrored |= e.frame == 0.0f && e.w == -1.0f && e.x == 336.0f;
    EXPECT_TRUE(mirrored);
    // The edge of the 96 by 96 zone does not count.
    p.Tap(320 + 48, 349);
    EXPECT_EQ(g->f_Facing, -1);
}

TEST(Play, TheShownScoreEasesTowardTheScore) {
    Play p;
    bb_Moxelpark_MyApp* g = p.g();
    g->f_Score = 1000;
    std::vector<int> shown;
    for (int i = 0; i < 40 && g->f_ShownScore != 1000; ++i) {
        p.h.Update();
        shown.push_back(g->f_ShownScore);
    }
    ASSERT_GE(shown.size(), 4u);
    EXPECT_EQ(std::vector<int>(shown.begin(), shown.begin() + 4), (std::vector<int>{166, 305, 420, 516}));
    EXPECT_EQ(shown.back(), 1000);
    // 994 eases to 995, which is within 5 and snaps in the same update.
    EXPECT_EQ(shown[shown.size() - 2], 994);
    // Drawn as eight digits, centred at the top.
    std::vector<DrawEntry> score;
    for (const DrawEntry& e : p.h.EntriesOf(SLOT_FONT)) {
        if (e.y == 32.0f) score.push_back(e);
    }
    ASSERT_EQ(score.size(), 8u);
    const float digit[] = {'0', '0', '0', '0', '1', '0', '0', '0'};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(score[i].frame, digit[i] - 32.0f);
}

TEST(Play, TheScreenIsBuiltBackToFront) {
    Play p;
    p.PlaceObject(1, OBJECT_TARGET, 100.0f, 100.0f);
    p.PlaceObject(2, OBJECT_BONUS, 200.0f, 100.0f);
    p.h.Update();
    bb_Moxelpark_MyApp* g = p.g();
    EXPECT_EQ(g->f_ClsRed, 0.0f);
    EXPECT_EQ(g->f_ClsBlue, 80.0f);
    std::vector<DrawEntry> all = p.h.Entries();
    ASSERT_FALSE(all.empty());
    // Grass first, over the whole width from the ground line.
    EXPECT_TRUE(all[0].IsRect());
    EXPECT_EQ(all[0].x, -1.0f);
    EXPECT_EQ(all[0].y, G);
    EXPECT_EQ(all[0].w, 642.0f);
    EXPECT_EQ(all[0].g, 200.0f);
    // Then objects, cup, ball, hero, and over them the meter's bars, its
    // slider and the predicted path, in that order.
    auto indexOf = [&](auto pred) {
        for (size_t i = 0; i < all.size(); ++i) {
            if (pred(all[i])) return static_cast<int>(i);
        }
        return -1;
    };
    int target = indexOf([](const DrawEntry& e) { return e.IsImage(SLOT_GFX) && e.frame == 4.0f; });
    int bonus = indexOf([](const DrawEntry& e) { return e.IsImage(SLOT_GFX) && e.frame == 5.0f; });
    int cup = indexOf([](const DrawEntry& e) { return e.IsRect() && e.w == 16.0f && e.h == 16.0f; });
    int ball = indexOf([](const DrawEntry& e) { return e.IsOval() && e.w == 6.0f; });
    int hero = indexOf([](const DrawEntry& e) { return e.IsImage(SLOT_GFX) && e.frame == 0.0f; });
    int bar = indexOf([](const DrawEntry& e) { return e.IsRect() && e.w == 32.0f && e.h == 6.0f; });
    int slider = indexOf([](const DrawEntry& e) { return e.IsImage(SLOT_GFX) && e.frame == 6.0f; });
    EXPECT_LT(0, target);
    EXPECT_LT(target, bonus);
    EXPECT_LT(bonus, cup);
    EXPECT_LT(cup, ball);
    EXPECT_LT(ball, hero);
    EXPECT_LT(hero, bar);
    EXPECT_LT(bar, slider);
    EXPECT_EQ(all[cup].x, 592.0f);
    EXPECT_EQ(all[cup].alpha, 0.5f);
    p.Press(600, 200);
    all = p.h.Entries();
    slider = indexOf([](const DrawEntry& e) { return e.IsImage(SLOT_GFX) && e.frame == 6.0f; });
    int dot = indexOf([](const DrawEntry& e) { return e.IsOval() && e.w == 3.0f; });
    EXPECT_LT(slider, dot) << "the path lies over the meter";
}

// ---- Whole games through the update hook alone ----

TEST(ScriptedGame, APlayerPlaysWholeGamesToTheirEnd) {
    struct Case {
        int type;
        ScriptedPlayer::Aiming aiming;
        uint32_t seed;
    } cases[] = {{2, ScriptedPlayer::Aiming::AIMED, 1},
                 {1, ScriptedPlayer::Aiming::AIMED, 7},
                 {3, ScriptedPlayer::Aiming::RANDOM, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " seed " << c.seed);
        PlayHarness play;
        ScriptedPlayer player(play, c.seed, c.aiming);
        testing::internal::CaptureStdout();  // the placement's debug lines
        player.StartGame(c.type);
        ScriptedPlayer::Stats s = player.PlayToEnd(400000);
        testing::internal::GetCapturedStdout();
        bb_Moxelpark_MyApp* g = play.game;
        EXPECT_EQ(g->f_GameOver, 1);
        EXPECT_EQ(g->f_Balls, 0);
        EXPECT_EQ(g->f_BallState, BALL_AIMING);
        EXPECT_EQ(g->f_Hole, s.holes + 1);
        EXPECT_GE(s.strokes, 8);  // every ball of hole 1 at least
        EXPECT_GE(g->f_Score, 0);
        if (c.aiming == ScriptedPlayer::Aiming::AIMED) {
            EXPECT_GT(g->f_Score, 0);
            EXPECT_GE(s.holes, 1);
        }
        std::printf("type %d: %d updates, %d strokes, %d turns, %d holes, score %d\n", c.type, s.updates,
                    s.strokes, s.turns, s.holes, g->f_Score);
    }
}

}  // namespace
