// One update of play: the whole play screen and one step of the game.
//
// m_Game aims and sets the power from the pointer, plays the stroke, moves the
// ball and bounces it off the walls, the ceiling, the ground and the floating
// objects, scores the objects struck, drops the ball into the cup, moves on to
// the next hole two seconds later and ends the game when an aiming update
// finds no ball left. It also appends the play screen to the display list,
// back to front: sky, grass, objects, cup, ball, hero, meter, score, and the
// hole's caption.
//
// There is no scrolling: a hole is one screen of jscrw by jscrh logical units.
// Every number is per update at 60 updates per second, in single precision.
#include <cmath>

#include "audio/random.h"
#include "game/game.h"

namespace {

// ---- Screen layout ----
constexpr float GRASS_GREEN = 200.0f;
constexpr float GRASS_DEPTH = 256.0f;
// The power meter: a zone at the right edge, centred vertically.
constexpr float METER_ZONE_FROM_RIGHT = 128.0f;
constexpr float METER_ZONE_WIDTH = 128.0f;
constexpr float METER_TOP_ABOVE_CENTRE = 96.0f;
constexpr float METER_ZONE_HEIGHT = 192.0f;
constexpr int METER_BARS = 16;
constexpr float METER_BAR_STEP = 12.0f;
constexpr float METER_BAR_FROM_RIGHT = 64.0f;
constexpr float METER_BAR_WIDTH = 32.0f;
constexpr float METER_BAR_HEIGHT = 6.0f;
constexpr float METER_SHADE_STEP = 8.0f;  // red falls and green rises by this per bar
constexpr float METER_SLIDER_FROM_RIGHT = 48.0f;
constexpr float METER_SLIDER_SIZE = 1.5f;
constexpr float BALLS_TEXT_FROM_RIGHT = 48.0f;
constexpr float BALLS_TEXT_ABOVE_CENTRE = 116.0f;
constexpr float BIG_TEXT = 2.0f;
// The predicted path: 17 fading dots.
constexpr int PATH_DOTS = 17;
constexpr float PATH_VX_DECAY = 0.05f;
constexpr float PATH_VY_GAIN = 0.42f;
constexpr float PATH_FADE_FROM = 16.0f;
constexpr float PATH_FADE_OVER = 18.0f;
constexpr float PATH_DOT_RADIUS = 3.0f;
// The cup and its lid.
constexpr float CUP_HALF_WIDTH = 8.0f;
constexpr float CUP_DEPTH = 16.0f;
constexpr float LID_HALF_WIDTH = 12.0f;
constexpr float LID_ABOVE_GROUND = 2.0f;
constexpr float LID_HEIGHT = 4.0f;
// The ball, and how far it sinks in the cup.
constexpr float BALL_RADIUS = 6.0f;
constexpr float BALL_SINK = 8.0f;
// The hero stands this far behind and above where the ball lay.
constexpr float HERO_BEHIND = 16.0f;
constexpr float HERO_ABOVE = 13.0f;
// Tapping within this box centred on the ball turns the hero.
constexpr float TURN_ZONE_HALF = 48.0f;
// The score, at the top centre.
constexpr float SCORE_Y = 32.0f;
constexpr int SCORE_EASE_DIVISOR = 6;
constexpr int SCORE_SNAP_WITHIN = 5;

// ---- Frames of the "gfx" sheet ----
constexpr int FRAME_HERO_AIMING = 0;  // + f_BallState: 1 after the stroke, 2 celebrating
constexpr int FRAME_OBJECT_BASE = 3;  // + kind: 4 target, 5 bonus object
constexpr int FRAME_SLIDER = 6;

// ---- Physics ----
constexpr float MOTION_STEP = 0.8f;
constexpr float GRAVITY = 0.35f;
constexpr float FRICTION = 0.05f;
constexpr float STOP_VX = 0.05f;
constexpr float STOP_VY = 0.25f;
constexpr float WALL = 8.0f;     // ball centre's distance from the side walls
constexpr float CEILING = 8.0f;  // highest ball centre
constexpr float WALL_KEEP = 0.9f;
constexpr float GROUND_KEEP_VX = 0.83f;
constexpr float GROUND_VY_DIVISOR = 3.0f;
constexpr float HARD_BOUNCE_VY = -2.0f;  // a bounce leaving faster than this is heard
constexpr float LAUNCH_EXTRA = 16.0f;    // launch speed = power + 16
constexpr float LAUNCH_VX = 0.2f;
constexpr float LAUNCH_VY = 0.15f;
constexpr float HIT_RADIUS = 22.0f;
constexpr float HIT_FROM_ABOVE_VY = 1.0f;
constexpr float HIT_FROM_BELOW_VY = 0.5f;
constexpr int TARGET_POINTS = 25;
constexpr int BONUS_POINTS = 5;
constexpr float HIT_RATE_BASE = 0.7f;
constexpr float HIT_RATE_STEP = 0.1f;
constexpr float HIT_RATE_MAX = 2.0f;
// Capture: within this box around (f_CupX, g) and slower than these.
constexpr float CAPTURE_DX = 8.0f;
constexpr float CAPTURE_DY = 4.0f;
constexpr float CAPTURE_VY = 1.0f;
constexpr float CAPTURE_VX = 7.0f;
// Updates after the drop: the cheer (the next hole follows at NEXT_HOLE_AFTER).
constexpr int CHEER_AFTER = 45;

constexpr float FULL = 1.0f;
constexpr float HALF = 0.5f;

// ---- Following the window ----

// The box the ball's centre moves in on a logical screen: from the side walls
// and the ceiling down to the ground line. False when the screen is too flat
// (or not yet known) to hold one.
struct PlayBox {
    float width = 0.0f;   // between the walls
    float height = 0.0f;  // from the ceiling to the ground line
    float ground = 0.0f;
};

bool play_box(float jscrw, float jscrh, PlayBox* box) {
    box->width = jscrw - 2.0f * WALL;
    box->ground = jscrh - GROUND_FROM_BOTTOM;
    box->height = box->ground - CEILING;
    return box->width > 0.0f && box->height > 0.0f;
}

// A place carried from one box to another in proportion: the walls, the
// ceiling and the ground line stay where they are, so a ball on the grass
// stays exactly on it.
void carry(const PlayBox& from, const PlayBox& to, float* x, float* y) {
    *x = WALL + (*x - WALL) * (to.width / from.width);
    *y = to.ground - (from.ground - *y) * (to.height / from.height);
}

// Whether the meter and the ball's turn take the pointer: not once the game is
// over (its points would reach the score tables), nor under the pause panel,
// whose buttons can lie over the meter or the ball.
bool controls_live(const bb_Moxelpark_MyApp* game) {
    // A watched game takes no aim or stroke from the player.
    return game->f_GameOver == 0 && game->f_Paused == 0 && !game->Watching();
}

// Whether the pointer is in the box around the ball that turns the golfer.
bool in_turn_zone(bb_Moxelpark_MyApp* game) {
    return game->m_MouseIn(game->f_BallX - TURN_ZONE_HALF, game->f_BallY - TURN_ZONE_HALF,
                           TURN_ZONE_HALF * 2.0f, TURN_ZONE_HALF * 2.0f);
}

}  // namespace

// ---- The hole on a new logical screen ----

void bb_Moxelpark_MyApp::FitHoleToScreen() {
    if (f_HoleWidth == bb_Moxelpark_jscrw && f_HoleHeight == bb_Moxelpark_jscrh) return;
    PlayBox from, to;
    // A screen too flat to play on leaves the hole as it is until the window
    // has a usable shape again.
    if (!play_box(bb_Moxelpark_jscrw, bb_Moxelpark_jscrh, &to)) return;
    if (play_box(f_HoleWidth, f_HoleHeight, &from)) {
        // NOTE: only places change; velocities, hits, score, balls and the
        // generator's state are the hole's own and stay as they are.
        carry(from, to, &f_BallX, &f_BallY);
        carry(from, to, &f_HeroX, &f_HeroY);
        float cupY = from.ground;
        carry(from, to, &f_CupX, &cupY);
        for (int n = 1; n <= OBJECT_MAX; ++n) {
            float* e = f_Objects.Data() + n * OBJECT_ENTRY_FLOATS;
            if (e[OBJECT_KIND] > 0.0f) carry(from, to, &e[OBJECT_X], &e[OBJECT_Y]);
        }
        // Rounding must not put the ball beyond a wall, where it would be
        // heard bouncing off it.
        f_BallX = std::fmin(std::fmax(f_BallX, WALL), bb_Moxelpark_jscrw - WALL);
        f_BallY = std::fmin(std::fmax(f_BallY, CEILING), to.ground);
    }
    f_HoleWidth = bb_Moxelpark_jscrw;
    f_HoleHeight = bb_Moxelpark_jscrh;
}

// ---- One update of play ----

int bb_Moxelpark_MyApp::m_Game() {
    // 0. A resize since the last update lays the hole out for the new screen
    // (a watched game's screen changes where its own did).
    ReplayUpdate();
    FitHoleToScreen();
    const float g = bb_Moxelpark_jscrh - GROUND_FROM_BOTTOM;
    const float meterTop = bb_Moxelpark_jscrh * 0.5f - METER_TOP_ABOVE_CENTRE;

    // 1. Sky and grass.
    m_CLS2D(SKY_RED, SKY_GREEN, SKY_BLUE, FULL);
    m_SetCol(0.0f, GRASS_GREEN, 0.0f, FULL);
    m_Rect(-1.0f, g, bb_Moxelpark_jscrw + 2.0f, GRASS_DEPTH);

    // A press is the meter's only until it is released.
    if (f_PointerDown == 0) f_MeterPress = 0;

    // 2. Aiming.
    if (f_BallState == BALL_AIMING) {
        // 2.1 The game ends when the hero stands at a resting ball with none left.
        if (f_Balls <= 0) f_GameOver = 1;
        // 2.2 The combo ends, and the hero stands at the ball.
        f_Combo = 0;
        f_HeroX = f_BallX;
        f_HeroY = f_BallY;
        // 2.3 Balls left, drawn with the meter once the hole is drawn.
        if (!ballsText_.built || ballsText_.value != f_Balls)
            ballsText_ = {String(" ") + String(f_Balls), f_Balls, true};
        // Keys and pad: turn, move or clear the power, fire.
        // A watched game's strokes come from its replay alone.
        const bool fired = watching_ ? ReplayStroke() : AimByKeys();
        // 2.4 The stroke: by the first update after a pointer's release,
        // wherever it was released, or by the fire action, at the power set.
        meter_.shown = true;
        meter_.firstBarPower = f_Power;
        const bool released = f_PointerDown == 0 && f_PointerUsed == 0 && f_KeyAim == 0;
        const bool live = watching_ ? f_GameOver == 0 : controls_live(this);
        if ((released || fired) && f_Power > 0.0f && f_Balls > 0 && live) {
            RecordStroke();
            f_ShotPower = f_Power + LAUNCH_EXTRA;
            m_PlaySFX(SFX_STROKE, FULL, FULL, 0.0f);
            f_Power = 0.0f;
            f_Balls -= 1;
            f_BallState = BALL_MOVING;
            f_BallVX = f_ShotPower * static_cast<float>(f_Facing) * LAUNCH_VX;
            f_BallVY = -f_ShotPower * LAUNCH_VY;
            // A press still held when the key played the stroke is spent.
            if (fired) f_PointerUsed = 1;
            f_KeyAim = 0;
        }
        // 2.5 Setting the power, and the predicted path. The pause panel drops
        // an aim in progress, as a press on its button does: a release under
        // the panel must not come back as a stroke once it has closed.
        if (f_Paused != 0) {
            f_Power = 0.0f;
            f_MeterPress = 0;
            f_KeyAim = 0;
        }
        meter_.path = false;
        const bool pressFree = f_PointerUsed == 0 && f_PointerDown != 0 && controls_live(this);
        if (m_MouseIn(bb_Moxelpark_jscrw - METER_ZONE_FROM_RIGHT, meterTop, METER_ZONE_WIDTH,
                      METER_ZONE_HEIGHT)) {
            // Where the meter and the ball's turning zone overlap, a press that
            // lands there turns the golfer; a press that began on the meter keeps
            // setting the power across the ball.
            if (pressFree && (f_MeterPress != 0 || !in_turn_zone(this))) {
                f_MeterPress = 1;
                f_KeyAim = 0;
                f_Power = static_cast<float>(f_MouseY) - meterTop;
                meter_.path = true;
            }
        } else if (pressFree) {
            // A drag that leaves the meter through its bottom edge (or the
            // window's) holds full power: pulling hard must not lose the
            // stroke. Pressing elsewhere, or leaving above or to a side,
            // cancels the aim, and the press is no longer the meter's.
            if (f_MeterPress != 0 && static_cast<float>(f_MouseY) >= meterTop + METER_ZONE_HEIGHT) {
                f_Power = METER_FULL_POWER;
                meter_.path = true;
            } else {
                f_Power = 0.0f;
                f_MeterPress = 0;
                f_KeyAim = 0;
            }
        }
        // Power set by keys shows its path as a drag does.
        if (f_KeyAim != 0 && f_Power > 0.0f && controls_live(this)) meter_.path = true;
        meter_.pathX = f_BallX;
        meter_.pathY = f_BallY;
        meter_.pathFacing = f_Facing;
        // 2.6 The slider's place, drawn with the meter.
        meter_.power = f_Power;
    } else {
        meter_.shown = false;
    }

    // 3. The ball moves (from the update in which the stroke is played on).
    if (f_BallState == BALL_MOVING) {
        f_BallX += f_BallVX * MOTION_STEP;
        f_BallY += f_BallVY * MOTION_STEP;
        if (f_BallX < WALL) {
            f_BallX = WALL;
            f_BallVX = bb_math_Abs2(f_BallVX * WALL_KEEP);
            m_PlaySFX(SFX_WALL, FULL, FULL, 0.0f);
        }
        if (f_BallX > bb_Moxelpark_jscrw - WALL) {
            f_BallX = bb_Moxelpark_jscrw - WALL;
            f_BallVX = -bb_math_Abs2(f_BallVX * WALL_KEEP);
            m_PlaySFX(SFX_WALL, FULL, FULL, 0.0f);
        }
        if (f_BallVX < 0.0f) f_BallVX += FRICTION;
        if (f_BallVX > 0.0f) f_BallVX -= FRICTION;
        if (bb_math_Abs2(f_BallVX) < STOP_VX) f_BallVX = 0.0f;
        if (f_BallY < CEILING) {
            f_BallY = CEILING;
            f_BallVY = bb_math_Abs2(f_BallVY);
        }
        if (f_BallY > g) {
            f_BallVX *= GROUND_KEEP_VX;
            f_BallY = g;
            f_BallVY = -bb_math_Abs2(f_BallVY / GROUND_VY_DIVISOR);
            if (f_BallVY < HARD_BOUNCE_VY) m_PlaySFX(SFX_BOUNCE, FULL, FULL, 0.0f);
        } else if (f_BallY < g) {
            // NOTE: a ball lying exactly on the line gets no gravity.
            f_BallVY += GRAVITY;
        }
        if (bb_math_Abs2(f_BallVY) < STOP_VY) {
            f_BallVY = 0.0f;
            if (f_BallVX == 0.0f) f_BallState = BALL_AIMING;
        }
    }

    // 4. Objects, counting the targets not yet hit. The scale's axis is free
    // between renders, so it holds the count.
    int& targetsLeft = f_ScaleAxis;
    m_SetCol(WHITE, WHITE, WHITE, FULL);
    m_SetSize(FULL);
    targetsLeft = 0;
    for (f_Index = 0; f_Index <= OBJECT_MAX; ++f_Index) {
        float* e = f_Objects.Data() + f_Index * OBJECT_ENTRY_FLOATS;
        if (!(e[OBJECT_KIND] > 0.0f)) continue;
        f_Frame = static_cast<int>(e[OBJECT_KIND] + static_cast<float>(FRAME_OBJECT_BASE));
        bool unhit = e[OBJECT_HIT] == 0.0f;
        if (e[OBJECT_KIND] == static_cast<float>(OBJECT_TARGET) && unhit) targetsLeft += 1;
        m_Alpha(e[OBJECT_HIT] == 1.0f ? HALF : FULL);
        m_DrawImg(SLOT_GFX, e[OBJECT_X], e[OBJECT_Y], static_cast<float>(f_Frame));
        if (f_BallState != BALL_MOVING || !unhit) continue;
        float dx = f_BallX - e[OBJECT_X], dy = f_BallY - e[OBJECT_Y];
        if (!(std::sqrt(dx * dx + dy * dy) < HIT_RADIUS)) continue;
        // Struck: bounce away from the object's centre, score the combo, pitch rising.
        f_Combo += 1;
        if (f_BallX < e[OBJECT_X]) f_BallVX = -bb_math_Abs2(f_BallVX);
        if (f_BallX > e[OBJECT_X]) f_BallVX = bb_math_Abs2(f_BallVX);
        if (f_BallY < e[OBJECT_Y]) f_BallVY += HIT_FROM_ABOVE_VY;
        if (f_BallY > e[OBJECT_Y]) f_BallVY -= HIT_FROM_BELOW_VY;
        f_Score +=
            (e[OBJECT_KIND] == static_cast<float>(OBJECT_TARGET) ? TARGET_POINTS : BONUS_POINTS) * f_Combo;
        float rate = HIT_RATE_BASE + HIT_RATE_STEP * static_cast<float>(f_Combo);
        m_PlaySFX(SFX_HIT, rate > HIT_RATE_MAX ? HIT_RATE_MAX : rate, FULL, 0.0f);
        e[OBJECT_HIT] = 1.0f;
    }

    // 5. In the cup: the cheer, then the next hole with the ball where it lay.
    if (f_BallState == BALL_IN_CUP) {
        f_HoledTimer += 1;
        if (f_HoledTimer == CHEER_AFTER) m_PlaySFX(SFX_CHEER, FULL, FULL, 0.0f);
        if (f_HoledTimer == NEXT_HOLE_AFTER) {
            f_Hole += 1;
            const int ballsBefore = f_Balls;
            m_GetLevel();
            StartHoleCaption(f_Balls - ballsBefore);
            f_HoledTimer = 0;
            f_BallState = BALL_AIMING;
        }
    }

    // 6. The cup, with its lid while targets remain.
    m_SetCol(0.0f, 0.0f, 0.0f, HALF);
    m_Rect(f_CupX - CUP_HALF_WIDTH, g, CUP_HALF_WIDTH * 2.0f, CUP_DEPTH);
    if (targetsLeft > 0) {
        m_SetCol(WHITE, 100.0f, 100.0f, FULL);
        m_Rect(f_CupX - LID_HALF_WIDTH, g - LID_ABOVE_GROUND, LID_HALF_WIDTH * 2.0f, LID_HEIGHT);
    }

    // 7. Capture, in every state.
    f_InCup = 0;
    if (targetsLeft == 0 && bb_math_Abs2(f_BallX - f_CupX) < CAPTURE_DX &&
        bb_math_Abs2(f_BallY - g) < CAPTURE_DY && bb_math_Abs2(f_BallVY) < CAPTURE_VY &&
        bb_math_Abs2(f_BallVX) < CAPTURE_VX) {
        f_InCup = 1;
        f_BallVX = 0.0f;
        f_BallVY = 0.0f;
        f_BallX = f_CupX;
        f_BallY = g;
        if (f_BallState < BALL_IN_CUP) {
            f_BallState = BALL_IN_CUP;
            m_PlaySFX(SFX_CUP, FULL, FULL, 0.0f);
        }
    }

    // 8. The ball, sunk when in the cup.
    m_SetCol(WHITE, WHITE, WHITE, FULL);
    m_Oval(f_BallX, f_BallY + BALL_SINK * static_cast<float>(f_InCup), BALL_RADIUS, BALL_RADIUS);

    // 9. The hero, mirrored when facing left.
    m_SetSize(static_cast<float>(f_Facing), FULL);
    f_Frame = FRAME_HERO_AIMING + f_BallState;
    m_DrawImg(SLOT_GFX, f_HeroX - HERO_BEHIND * static_cast<float>(f_Facing), f_HeroY - HERO_ABOVE,
              static_cast<float>(f_Frame));

    // The meter, its slider and the balls left over everything of the hole,
    // and the predicted path over the meter.
    DrawMeter();

    // 10. Tapping the ball turns the hero; the tap uses the press. A press the
    // meter has taken does not also turn him.
    if (f_BallState == BALL_AIMING && in_turn_zone(this) && f_PointerUsed == 0 && f_PointerDown != 0 &&
        f_MeterPress == 0 && controls_live(this)) {
        f_PointerUsed = 1;
        f_Facing = -f_Facing;
    }

    // 11. The score, easing toward the real one.
    f_ShownScore = f_ShownScore - (f_ShownScore - f_Score) / SCORE_EASE_DIVISOR;
    if (f_ShownScore - f_Score <= SCORE_SNAP_WITHIN && f_Score - f_ShownScore <= SCORE_SNAP_WITHIN)
        f_ShownScore = f_Score;
    m_SetCol(100.0f, WHITE, 100.0f, 0.8f);
    m_SetSize(BIG_TEXT);
    if (!scoreText_.built || scoreText_.value != f_ShownScore)
        scoreText_ = {m_rstr(f_ShownScore, SCORE_DIGITS, String("0")), f_ShownScore, true};
    m_Text(bb_Moxelpark_jscrw * 0.5f, SCORE_Y, scoreText_.text, 1.0f, 1.0f);

    // Which hole this is, and where its balls came from, over the screen.
    if (f_CaptionHole != f_Hole) StartHoleCaption(-1);
    DrawHoleCaption();
    return 0;
}

void bb_Moxelpark_MyApp::DrawMeter() {
    if (!meter_.shown) return;
    const float meterTop = bb_Moxelpark_jscrh * 0.5f - METER_TOP_ABOVE_CENTRE;
    // Balls left.
    m_SetSize(BIG_TEXT);
    m_SetCol(WHITE, WHITE, WHITE, 0.8f);
    m_Text(bb_Moxelpark_jscrw - BALLS_TEXT_FROM_RIGHT, bb_Moxelpark_jscrh * 0.5f - BALLS_TEXT_ABOVE_CENTRE,
           ballsText_.text, 1.0f, 1.0f);
    // The bars, from the top down to the slider lit.
    int& bar = f_PosY;
    for (bar = 0; bar < METER_BARS; ++bar) {
        float n = static_cast<float>(bar);
        float power = bar == 0 ? meter_.firstBarPower : meter_.power;
        m_SetCol(WHITE - METER_SHADE_STEP * n, 100.0f + METER_SHADE_STEP * n, 100.0f, HALF);
        if (METER_BAR_STEP * n < power) m_Alpha(FULL);
        m_Rect(bb_Moxelpark_jscrw - METER_BAR_FROM_RIGHT, meterTop + METER_BAR_STEP * n, METER_BAR_WIDTH,
               METER_BAR_HEIGHT);
    }
    // The slider.
    m_SetCol(WHITE, WHITE, WHITE, FULL);
    m_SetSize(METER_SLIDER_SIZE);
    m_DrawImg(SLOT_GFX, bb_Moxelpark_jscrw - METER_SLIDER_FROM_RIGHT, meterTop + meter_.power,
              static_cast<float>(FRAME_SLIDER));
    // The predicted path of the power to be played: seventeen fading dots.
    if (!meter_.path) return;
    const float g = bb_Moxelpark_jscrh - GROUND_FROM_BOTTOM;
    float x = meter_.pathX, y = meter_.pathY;
    float speed = meter_.power + LAUNCH_EXTRA;
    for (f_Index = 0; f_Index < PATH_DOTS; ++f_Index) {
        float i = static_cast<float>(f_Index);
        x += (speed * LAUNCH_VX - PATH_VX_DECAY * i) * static_cast<float>(meter_.pathFacing);
        y -= speed * LAUNCH_VY - PATH_VY_GAIN * i;
        if (y > g) y = g;
        m_SetCol(WHITE, WHITE, WHITE);
        float fade = (PATH_FADE_FROM - i) / PATH_FADE_OVER;
        m_Alpha(fade < 0.0f ? 0.0f : fade);
        m_Oval(x, y, PATH_DOT_RADIUS, PATH_DOT_RADIUS);
    }
}
