// A hole in play while the window changes shape: 640 by 480 (logical 640 by
// 360 at 1280 by 720, 360 by 480 at 480 by 640). The hole is laid out again in
// proportion: the ball, the golfer and the cup stay on the ground line, the
// objects on screen above it, a ball in flight keeps its velocity, and nothing
// else about the hole changes.
#include <cmath>
#include <vector>

#include "audio/random.h"
#include "play_support.h"
#include "scripted_player.h"

namespace {

using game_test::BallModel;
using game_test::PlayHarness;
using game_test::ScriptedPlayer;

struct Shape {
    int width, height;  // window pixels
};
constexpr Shape SHAPES[] = {{1280, 720}, {480, 640}, {640, 480}};

// Where a place lies in the box the ball moves in, 0 to 1 on each axis: from
// the left wall, and from the ground line up to the ceiling.
struct Share {
    float x, y;
};
Share ShareOf(float x, float y) {
    float ground = bb_Moxelpark_jscrh - GROUND_FROM_BOTTOM;
    return {(x - 8.0f) / (bb_Moxelpark_jscrw - 16.0f), (ground - y) / (ground - 8.0f)};
}

struct Object {
    float kind, x, y, hit;
};

struct Shaped : PlayHarness {
    // The window takes a new shape: the render sees it, the loader reloads,
    // and the next update of play sees the new logical screen.
    void Reshape(const Shape& s) {
        h.Resize(s.width, s.height);
        h.Render();
        h.FinishLoading();
    }
    std::vector<Object> Objects() const {
        std::vector<Object> all;
        for (int n = 1; n <= OBJECT_MAX; ++n) {
            const float* e = &game->f_Objects[n * OBJECT_ENTRY_FLOATS];
            all.push_back({e[OBJECT_KIND], e[OBJECT_X], e[OBJECT_Y], e[OBJECT_HIT]});
        }
        return all;
    }
    // Updates until the ball rests (or the budget is spent).
    void UntilRest(int budget = 3000) {
        for (int i = 0; i < budget && game->f_BallState == BALL_MOVING; ++i) h.Update();
    }
};

TEST(WindowShape, AResizeDuringAHoleLaysItOutAgainInProportion) {
    Shaped p;
    p.StartGame(2);
    p.Stroke(40);
    p.UntilRest();
    ASSERT_EQ(p.game->f_BallState, BALL_AIMING);
    ASSERT_EQ(p.game->f_BallY, p.Ground());  // resting on the grass

    const std::vector<Object> built = p.Objects();
    const Share ball = ShareOf(p.game->f_BallX, p.game->f_BallY);
    const Share cup = ShareOf(p.game->f_CupX, p.Ground());
    const int score = p.game->f_Score, balls = p.game->f_Balls, hole = p.game->f_Hole;
    const int count = p.game->f_ObjectCount, facing = p.game->f_Facing;
    const int seed = bb_random_Seed;

    for (const Shape& s : SHAPES) {
        p.Reshape(s);
        p.h.Update();
        SCOPED_TRACE(testing::Message() << s.width << "x" << s.height);
        const float w = bb_Moxelpark_jscrw, g = p.Ground();
        // The ball and the golfer stand on the ground line, on screen; the cup lies on it.
        EXPECT_EQ(p.game->f_BallY, g);
        EXPECT_EQ(p.game->f_HeroY, g);
        EXPECT_NEAR(ball.x, ShareOf(p.game->f_BallX, g).x, 1e-5f);
        EXPECT_NEAR(cup.x, ShareOf(p.game->f_CupX, g).x, 1e-5f);
        EXPECT_TRUE(p.game->f_BallX >= 8.0f && p.game->f_BallX <= w - 8.0f);
        // Every object on screen above the ground, in proportion.
        std::vector<Object> now = p.Objects();
        for (size_t i = 0; i < now.size(); ++i) {
            EXPECT_EQ(now[i].kind, built[i].kind) << i + 1;
            EXPECT_EQ(now[i].hit, built[i].hit) << i + 1;
            if (!(now[i].kind > 0.0f)) continue;
            const Share was = {(built[i].x - 8.0f) / 624.0f, (352.0f - built[i].y) / 344.0f};  // at 640x480
            const Share is = ShareOf(now[i].x, now[i].y);
            EXPECT_NEAR(was.x, is.x, 1e-5f) << i + 1;
            EXPECT_NEAR(was.y, is.y, 1e-5f) << i + 1;
            EXPECT_TRUE(now[i].x > 0.0f && now[i].x < w && now[i].y > 0.0f && now[i].y < g) << i + 1;
        }
        // Nothing else about the hole changes.
        EXPECT_EQ(p.game->f_Score, score);
        EXPECT_EQ(p.game->f_Balls, balls);
        EXPECT_EQ(p.game->f_Hole, hole);
        EXPECT_EQ(p.game->f_ObjectCount, count);
        EXPECT_EQ(p.game->f_Facing, facing);
        EXPECT_EQ(bb_random_Seed, seed);
    }
    // Back at the shape it was built for, the hole is the one built.
    std::vector<Object> back = p.Objects();
    for (size_t i = 0; i < back.size(); ++i) {
        EXPECT_NEAR(built[i].x, back[i].x, 1e-3f) << i + 1;
        EXPECT_NEAR(built[i].y, back[i].y, 1e-3f) << i + 1;
    }
}

TEST(WindowShape, ABallInFlightKeepsFlyingFromItsCarriedPlaceAtTheSameSpeed) {
    Shaped p;
    p.StartGame(1);
    p.ClearObjects();
    p.game->f_CupX = 600.0f;
    p.Stroke(120);
    p.h.Update(20);
    ASSERT_EQ(p.game->f_BallState, BALL_MOVING);
    const Share at = ShareOf(p.game->f_BallX, p.game->f_BallY);
    const float vx = p.game->f_BallVX, vy = p.game->f_BallVY;

    p.Reshape({1280, 720});
    // The first update of play carries the ball over, then moves it one step.
    BallModel b;
    b.width = bb_Moxelpark_jscrw;
    b.ground = p.Ground();
    b.x = 8.0f + at.x * (b.width - 16.0f);
    b.y = b.ground - at.y * (b.ground - 8.0f);
    b.vx = vx;
    b.vy = vy;
    b.moving = true;
    b.Step();
    p.h.Update();
    EXPECT_NEAR(b.x, p.game->f_BallX, 1e-3f);
    EXPECT_NEAR(b.y, p.game->f_BallY, 1e-3f);
    EXPECT_FLOAT_EQ(p.game->f_BallVX, b.vx);
    EXPECT_FLOAT_EQ(p.game->f_BallVY, b.vy);
    // It comes to rest on the new ground line.
    p.UntilRest();
    EXPECT_EQ(p.game->f_BallY, p.Ground());
}

TEST(WindowShape, AHoleCarriedToEveryShapeCanBeFinished) {
    for (const Shape& s : {Shape{1280, 720}, Shape{480, 640}}) {
        SCOPED_TRACE(testing::Message() << s.width << "x" << s.height);
        Shaped p;
        p.StartGame(1);
        p.Reshape(s);
        ScriptedPlayer player(p);
        while (p.game->f_Hole == 1 && player.stats().updates < 60 * 600 && player.Step()) {
        }
        EXPECT_EQ(p.game->f_Hole, 2);
    }
}

}  // namespace
