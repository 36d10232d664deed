// Starting a game and building its holes.
//
// Holes are generated, not stored: m_GetLevel reseeds the framework's random
// generator from the game type and the hole number, so a game type always
// gives the same sequence of layouts for the same logical screen size. Only
// the cup's place is drawn before the reseeding and so follows from whatever
// the generator produced last.
//
// Depends on the random generator (audio/random.h) and Print for the
// placement's debug line.
#include "audio/random.h"
#include "game/game.h"

namespace {

// The ball waits on the tee three units above the ground line.
constexpr float TEE_ABOVE_GROUND = 3.0f;
// Every hole holds its targets plus this many bonus objects (fewer once the
// count reaches OBJECT_MAX).
constexpr int BONUS_OBJECTS = 3;
// Course seed: game type * SEED_PER_TYPE + hole.
constexpr int SEED_PER_TYPE = 1024;
// Attempts per object; the last one is taken wherever it lies.
constexpr int PLACEMENT_TRIES = 128;
// A candidate is kept once some earlier object is this far away on one axis.
constexpr float OBJECT_SPACING = 48.0f;

// Where objects and the cup may lie, as distances from the logical edges.
constexpr double CUP_MARGIN = 64.0;
constexpr double OBJECT_LEFT = 48.0;
constexpr double OBJECT_RIGHT_MARGIN = 96.0;
constexpr double OBJECT_TOP = 48.0;
constexpr double OBJECT_BOTTOM_ABOVE_GROUND = 64.0;

// The raw value of the generator: advances the seed once, r in [0, 1).
double next_raw() {
    return static_cast<double>(bb_random_Rnd());
}

}  // namespace

// ---- A new game ----

int bb_Moxelpark_MyApp::m_LoadGame() {
    // The game is recorded from here: its type, the seed and the screen it begins on.
    BeginReplay();
    // 1, 2. A fresh score, no game-over overlay, and play mode.
    f_Score = 0;
    f_GameOver = 0;
    f_GameOverTime = 0;
    f_GameMode = MODE_PLAY;
    // 3. The ball on the tee, the hero facing right.
    f_BallX = bb_Moxelpark_jscrw * 0.5f;
    f_BallY = bb_Moxelpark_jscrh - GROUND_FROM_BOTTOM - TEE_ABOVE_GROUND;
    f_Facing = 1;
    f_BallState = BALL_AIMING;
    f_HoledTimer = 0;
    // 4. No object of a previous game remains (nor earns bonus balls).
    for (int i = 0; i < OBJECT_FLOATS; ++i) f_Objects[i] = 0.0f;
    // 5, 6. The starting balls, and hole 1 built.
    f_Balls = START_BALLS;
    f_Hole = 1;
    m_GetLevel();
    return 0;
}

// ---- One hole ----

int bb_Moxelpark_MyApp::m_GetLevel() {
    float* objects = f_Objects.Data();

    // 1. The cup, drawn before the reseeding.
    f_CupX = static_cast<float>(CUP_MARGIN + next_raw() * ((bb_Moxelpark_jscrw - CUP_MARGIN) - CUP_MARGIN));

    // 2. Counts. The scale's axis is free between renders, so it holds the
    // number of targets here.
    int& targets = f_ScaleAxis;
    targets = f_Hole * f_GameType;
    f_ObjectCount = targets + BONUS_OBJECTS;
    if (f_ObjectCount > OBJECT_MAX) f_ObjectCount = OBJECT_MAX;

    // 3. Two balls every hole, the first included.
    f_Balls += BALLS_PER_HOLE;

    // 4. One more for every bonus object the finished hole's strokes never touched.
    for (f_Index = 1; f_Index <= OBJECT_MAX; ++f_Index) {
        const float* e = objects + f_Index * OBJECT_ENTRY_FLOATS;
        if (e[OBJECT_KIND] == static_cast<float>(OBJECT_BONUS) && e[OBJECT_HIT] == 0.0f) f_Balls += 1;
    }

    // 5. The course seed.
    bb_random_Seed = f_GameType * SEED_PER_TYPE + f_Hole;

    // 6. Placement. NOTE: a candidate is accepted as soon as one earlier object
    // lies far enough on either axis, so objects may overlap; that is how every
    // game type's courses are defined, and it must stay so.
    double xRange = (static_cast<double>(bb_Moxelpark_jscrw) - OBJECT_RIGHT_MARGIN) - OBJECT_LEFT;
    // NOTE: the height range alone is rounded to single precision before it is used.
    double yRange = static_cast<float>(
        (static_cast<double>(bb_Moxelpark_jscrh) - GROUND_FROM_BOTTOM - OBJECT_BOTTOM_ABOVE_GROUND) -
        OBJECT_TOP);
    for (f_Index = 1; f_Index <= f_ObjectCount; ++f_Index) {
        float* e = objects + f_Index * OBJECT_ENTRY_FLOATS;
        e[OBJECT_KIND] = static_cast<float>(OBJECT_TARGET);
        f_Tries = PLACEMENT_TRIES;
        do {
            f_Tries -= 1;
            f_PosX = static_cast<int>(OBJECT_LEFT + next_raw() * xRange);
            f_PosY = static_cast<int>(OBJECT_TOP + next_raw() * yRange);
            if (f_Index == 1) f_Tries = 0;
            for (int j = 1; j < f_Index; ++j) {
                const float* other = objects + j * OBJECT_ENTRY_FLOATS;
                if (bb_math_Abs2(other[OBJECT_X] - static_cast<float>(f_PosX)) >= OBJECT_SPACING ||
                    bb_math_Abs2(other[OBJECT_Y] - static_cast<float>(f_PosY)) >= OBJECT_SPACING)
                    f_Tries = 0;
            }
            Print(String(f_Index) + String(":") + String(f_Index) + String(":") + String(f_Tries));
        } while (f_Tries > 0);
        e[OBJECT_X] = static_cast<float>(f_PosX);
        e[OBJECT_Y] = static_cast<float>(f_PosY);
        e[OBJECT_HIT] = 0.0f;
        if (f_Index > targets) e[OBJECT_KIND] = static_cast<float>(OBJECT_BONUS);
    }

    // 7. The screen this layout is for, so play can follow a later resize.
    f_HoleWidth = bb_Moxelpark_jscrw;
    f_HoleHeight = bb_Moxelpark_jscrh;
    return 0;
}
