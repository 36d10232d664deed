// Support for tests of play: a harness over the recording game that starts
// games the way the menu does, pointer input given in logical units, and a
// model of the ball's flight written from the game's physics table (not from
// its code), used both to check the game step by step and by the scripted
// player to aim.
#ifndef MOXEL_TESTS_GAME_PLAY_SUPPORT_H
#define MOXEL_TESTS_GAME_PLAY_SUPPORT_H

#include <cmath>
#include <vector>

#include "harness.h"
#include "tests/support/recording_game.h"

namespace game_test {

using test_support::RecordingGame;
using test_support::SfxCall;

// ---- A harness over a recording game ----
// Created and loaded, with play helpers.

class PlayHarness {
  public:
    explicit PlayHarness(int width = 640, int height = 480)
        : h(width, height, test_support::MakeRecordingGame) {
        game = test_support::LastRecordingGame();
        h.StartAndLoad();
    }

    // What the menu's start choice does: the type, then the load mode; the
    // next update builds hole 1 with the pointer latch set, and the first play
    // update, with nothing pressed, frees it as a player's release does.
    void StartGame(int type) {
        game->f_GameType = type;
        game->f_GameMode = MODE_PLAY_LOAD;
        h.Update(2);
    }

    // ---- Pointer in logical units ----
    void PointAt(int x, int y) { test_support::PointAt(h, x, y); }
    void Press(int x, int y) {
        PointAt(x, y);
        h.MouseDown();
        h.Update();
    }
    void Release() {
        h.MouseUp();
        h.Update();
    }
    void Tap(int x, int y) {
        Press(x, y);
        Release();
    }
    // A key held for one update, then released for one.
    void Key(int key) {
        h.KeyDown(key);
        h.Update();
        h.KeyUp(key);
        h.Update();
    }

    // ---- Geometry of the play screen ----
    float Ground() const { return bb_Moxelpark_jscrh - GROUND_FROM_BOTTOM; }
    float MeterTop() const { return bb_Moxelpark_jscrh * 0.5f - 96.0f; }
    // A logical point in the meter zone that sets the given power (1 to 191),
    // outside the ball's turning zone.
    void MeterPoint(int power, int* x, int* y) const {
        int right = static_cast<int>(bb_Moxelpark_jscrw) - 1;
        int left = static_cast<int>(bb_Moxelpark_jscrw - 128.0f) + 1;
        *x = (static_cast<float>(right) < game->f_BallX + 48.0f) ? left : right;
        *y = static_cast<int>(std::ceil(MeterTop())) + power;
    }
    // Sets the power on the meter and releases: the stroke is played by the release's update.
    void Stroke(int power) {
        int x, y;
        MeterPoint(power, &x, &y);
        Press(x, y);
        Release();
    }

    // ---- The course ----
    void ClearObjects() {
        for (int i = 0; i < OBJECT_FLOATS; ++i) game->f_Objects[i] = 0.0f;
    }
    void PlaceObject(int n, int kind, float x, float y, int hit = 0) {
        float* e = &game->f_Objects[n * OBJECT_ENTRY_FLOATS];
        e[OBJECT_KIND] = static_cast<float>(kind);
        e[OBJECT_X] = x;
        e[OBJECT_Y] = y;
        e[OBJECT_HIT] = static_cast<float>(hit);
    }

    GameHarness h;
    RecordingGame* game = nullptr;
};

// ---- Whole strokes and games ----

// Enough updates for any stroke to come to rest and a hole to follow.
constexpr int REST_LIMIT = 3000;

// Runs updates until the ball is at rest and no hole change is pending.
inline void until_at_rest(PlayHarness& p) {
    for (int i = 0; i < REST_LIMIT; ++i) {
        if (p.game->f_BallState == BALL_AIMING) return;
        p.h.Update();
    }
    ADD_FAILURE() << "the ball never came to rest";
}

struct Stroke {
    int facing;
    int power;
};

// Turns the golfer by a tap on the ball when he faces the other way, then
// plays the stroke on the meter.
inline void play_stroke(PlayHarness& p, const Stroke& s) {
    if (p.game->f_Facing != s.facing)
        p.Tap(static_cast<int>(p.game->f_BallX), static_cast<int>(p.game->f_BallY));
    ASSERT_EQ(p.game->f_Facing, s.facing);
    const int balls = p.game->f_Balls;
    p.Stroke(s.power);
    ASSERT_EQ(p.game->f_Balls, balls - 1) << "the stroke was not played";
}

// Opens the panel by the back key, moves to Quit and chooses it.
inline void quit_from_panel(PlayHarness& p) {
    p.Key(KEY_ESCAPE);
    p.Key(KEY_LEFT);
    p.Key(KEY_ENTER);
    ASSERT_EQ(p.game->f_GameOver, 1);
}

inline void until_menu(PlayHarness& p) {
    for (int i = 0; i < REST_LIMIT && p.game->f_GameMode != MODE_MENU; ++i) p.h.Update();
    ASSERT_EQ(p.game->f_GameMode, MODE_MENU);
}

// ---- The ball's flight without objects ----
// From the play loop's physics table, in single precision. One Step is one
// update of a moving ball.

struct BallModel {
    float x = 0, y = 0, vx = 0, vy = 0;
    float width = 640, ground = 352;
    bool moving = false;
    // Sounds of the last step.
    bool wall = false, hardBounce = false;

    static BallModel Launch(float x, float y, int facing, float power, float width, float ground) {
        BallModel b;
        float s = power + 16.0f;
        b.x = x;
        b.y = y;
        b.vx = s * static_cast<float>(facing) * 0.2f;
        b.vy = -s * 0.15f;
        b.width = width;
        b.ground = ground;
        b.moving = true;
        return b;
    }

    void Step() {
        wall = hardBounce = false;
        x += vx * 0.8f;
        y += vy * 0.8f;
        if (x < 8.0f) {
            x = 8.0f;
            vx = std::fabs(vx * 0.9f);
            wall = true;
        }
        if (x > width - 8.0f) {
            x = width - 8.0f;
            vx = -std::fabs(vx * 0.9f);
            wall = true;
        }
        if (vx < 0.0f) vx += 0.05f;
        if (vx > 0.0f) vx -= 0.05f;
        if (std::fabs(vx) < 0.05f) vx = 0.0f;
        if (y < 8.0f) {
            y = 8.0f;
            vy = std::fabs(vy);
        }
        if (y > ground) {
            vx *= 0.83f;
            y = ground;
            vy = -std::fabs(vy / 3.0f);
            hardBounce = vy < -2.0f;
        } else if (y < ground) {
            vy += 0.35f;
        }
        if (std::fabs(vy) < 0.25f) {
            vy = 0.0f;
            if (vx == 0.0f) moving = false;
        }
    }
};

}  // namespace game_test

#endif
