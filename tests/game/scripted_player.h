// A scripted player: plays whole games through the update hook alone, with
// the pointer, as a person would (tap the ball to turn the golfer, press on
// the power meter, release to play the stroke, wait for the ball to stop).
//
// It reads the screen's state from the game's fields to choose its strokes,
// and aims with the flight model of play_support.h (which ignores the
// objects), so it hits targets and sinks the ball often enough to play
// several holes. Every Step is exactly one update, so benchmarks and soak
// tests can count and time updates.
//
//   PlayHarness play;                  // a loaded game over the fake window
//   ScriptedPlayer player(play);       // seed 1, aiming
//   player.StartGame(2);               // the menu's start choice for type 2
//   ScriptedPlayer::Stats s = player.PlayToEnd();   // until f_GameOver
//
// Aiming::RANDOM plays random strokes instead (short games).
#ifndef MOXEL_TESTS_GAME_SCRIPTED_PLAYER_H
#define MOXEL_TESTS_GAME_SCRIPTED_PLAYER_H

#include <cmath>
#include <cstdint>

#include "play_support.h"

namespace game_test {

class ScriptedPlayer {
  public:
    enum class Aiming { AIMED, RANDOM };

    struct Stats {
        int updates = 0;  // updates run by Step
        int strokes = 0;  // strokes played (balls used)
        int turns = 0;    // taps that turned the golfer
        int holes = 0;    // holes finished (the next hole was built)
    };

    explicit ScriptedPlayer(PlayHarness& play, uint32_t seed = 1, Aiming aiming = Aiming::AIMED)
        : play_(play), rng_(seed), aiming_(aiming) {}

    // The menu's start choice for a game type; runs the update that builds hole 1.
    void StartGame(int type) {
        play_.StartGame(type);
        lastHole_ = play_.game->f_Hole;
        phase_ = Phase::IDLE;
    }

    // One update, with whatever input the player chooses for it. False once
    // the game is over (nothing is run then).
    bool Step() {
        bb_Moxelpark_MyApp* g = play_.game;
        if (g->f_GameOver != 0) return false;
        if (phase_ == Phase::RELEASE_TURN || phase_ == Phase::RELEASE_STROKE) {
            int ballsBefore = g->f_Balls;
            play_.h.MouseUp();
            Run();
            if (phase_ == Phase::RELEASE_STROKE && g->f_Balls < ballsBefore) ++stats_.strokes;
            phase_ = Phase::IDLE;
        } else if (g->f_BallState == BALL_AIMING && g->f_Paused == 0 && g->f_PointerUsed == 0 &&
                   g->f_Balls > 0) {
            int facing = 0, power = 0;
            Choose(&facing, &power);
            int x, y;
            if (facing != g->f_Facing && TurnPoint(&x, &y)) {
                ++stats_.turns;
                phase_ = Phase::RELEASE_TURN;
            } else {
                play_.MeterPoint(power, &x, &y);
                phase_ = Phase::RELEASE_STROKE;
            }
            play_.PointAt(x, y);
            play_.h.MouseDown();
            Run();
        } else {
            Run();
        }
        if (g->f_Hole != lastHole_) {
            stats_.holes += g->f_Hole - lastHole_;
            lastHole_ = g->f_Hole;
        }
        return g->f_GameOver == 0;
    }

    // Steps until the game is over or the update budget is spent.
    Stats PlayToEnd(int maxUpdates = 1000000) {
        while (stats_.updates < maxUpdates && Step()) {
        }
        return stats_;
    }

    const Stats& stats() const { return stats_; }

    // The stroke it would choose now: the golfer's facing and the power.
    void Plan(int* facing, int* power) { Choose(facing, power); }

  private:
    enum class Phase { IDLE, RELEASE_TURN, RELEASE_STROKE };

    void Run() {
        play_.h.Update();
        ++stats_.updates;
    }

    uint32_t Next() {
        rng_ = rng_ * 1103515245u + 12345u;
        return rng_ >> 8;
    }

    // A point of the golfer's turning zone that no other control covers.
    bool TurnPoint(int* x, int* y) const {
        const bb_Moxelpark_MyApp* g = play_.game;
        static const int offsets[][2] = {{0, 40}, {40, 0}, {-40, 0}, {0, -40}, {40, 40}, {-40, 40}, {0, 0}};
        float meterLeft = bb_Moxelpark_jscrw - 128.0f, meterTop = play_.MeterTop();
        for (const auto& o : offsets) {
            int px = static_cast<int>(g->f_BallX) + o[0], py = static_cast<int>(g->f_BallY) + o[1];
            float fx = static_cast<float>(px), fy = static_cast<float>(py);
            bool inTurnZone = fx > g->f_BallX - 48.0f && fx < g->f_BallX + 48.0f && fy > g->f_BallY - 48.0f &&
                              fy < g->f_BallY + 48.0f;
            bool inMeter = fx > meterLeft && fy > meterTop && fy < meterTop + 192.0f;
            bool onPauseButton = px < 33 && py < 33;
            bool onScreen = px >= 0 && py >= 0 && fx < bb_Moxelpark_jscrw && fy < bb_Moxelpark_jscrh;
            if (inTurnZone && !inMeter && !onPauseButton && onScreen) {
                *x = px;
                *y = py;
                return true;
            }
        }
        return false;
    }

    // How good a predicted flight is for the goal: lower is better.
    float Rate(BallModel b, bool toCup) const {
        const bb_Moxelpark_MyApp* g = play_.game;
        float best = 1e9f;
        for (int step = 0; step < 2000 && b.moving; ++step) {
            b.Step();
            if (toCup) {
                float dx = std::fabs(b.x - g->f_CupX);
                if (dx < 8.0f && std::fabs(b.y - b.ground) < 4.0f && std::fabs(b.vy) < 1.0f &&
                    std::fabs(b.vx) < 7.0f)
                    return 0.0f;
                if (!b.moving) best = dx;
                continue;
            }
            for (int n = 1; n <= OBJECT_MAX; ++n) {
                const float* e = &g->f_Objects[n * OBJECT_ENTRY_FLOATS];
                if (e[OBJECT_KIND] != static_cast<float>(OBJECT_TARGET) || e[OBJECT_HIT] != 0.0f) continue;
                float d = std::hypot(b.x - e[OBJECT_X], b.y - e[OBJECT_Y]);
                if (d < best) best = d;
            }
        }
        return best;
    }

    void Choose(int* facing, int* power) {
        const bb_Moxelpark_MyApp* g = play_.game;
        if (aiming_ == Aiming::RANDOM) {
            *facing = (Next() & 1) ? 1 : -1;
            *power = 1 + static_cast<int>(Next() % 191);
            return;
        }
        bool toCup = true;
        for (int n = 1; n <= OBJECT_MAX; ++n) {
            const float* e = &g->f_Objects[n * OBJECT_ENTRY_FLOATS];
            if (e[OBJECT_KIND] == static_cast<float>(OBJECT_TARGET) && e[OBJECT_HIT] == 0.0f) toCup = false;
        }
        float ground = bb_Moxelpark_jscrh - GROUND_FROM_BOTTOM;
        float best = 1e9f;
        *facing = g->f_Facing;
        *power = 1 + static_cast<int>(Next() % 191);
        // A random start keeps a player from repeating a stroke that objects deflect.
        int start = static_cast<int>(Next() % 4);
        for (int f : {g->f_Facing, -g->f_Facing}) {
            for (int p = 1 + start; p < 192; p += 4) {
                BallModel b = BallModel::Launch(g->f_BallX, g->f_BallY, f, static_cast<float>(p),
                                                bb_Moxelpark_jscrw, ground);
                float r = Rate(b, toCup);
                if (r < best) {
                    best = r;
                    *facing = f;
                    *power = p;
                }
            }
        }
    }

    PlayHarness& play_;
    uint32_t rng_;
    Aiming aiming_;
    Phase phase_ = Phase::IDLE;
    int lastHole_ = 0;
    Stats stats_;
};

}  // namespace game_test

#endif
