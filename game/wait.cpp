// The wait screen shown while assets load: a dark background, a yellow disc
// and an orange band behind the author's logo, and two comet-like rings of
// eleven dots, half a turn apart, circling at 16 degrees per update.
#include <algorithm>
#include <cmath>

#include "game/game.h"

namespace {

constexpr int SPIN_STEP = 16;  // degrees per update
constexpr int RING_DOTS = 11;
constexpr int RING_DOT_STEP = 16;  // degrees between neighbouring dots
constexpr int BACK_RING_OFFSET = 180;
constexpr float RING_RADIUS = 0.25f;  // of the short side
constexpr float RING_DOT_RADIUS = 8.0f;
constexpr float DISC_RADIUS = 0.3f;  // of the short side

// One ring: dot n more opaque than dot n - 1, at (spin + offset + 16 n) degrees.
void draw_ring(bb_Moxelpark_MyApp* game, float grey, int offset) {
    float cx = bb_Moxelpark_jscrw * 0.5f;
    float cy = bb_Moxelpark_jscrh * 0.5f;
    float radius = static_cast<float>(game->f_WaitSide) * RING_RADIUS;
    for (game->f_Loop = 0; game->f_Loop < RING_DOTS; ++game->f_Loop) {
        int n = game->f_Loop;
        game->m_SetCol(grey, grey, grey, static_cast<float>(n) / 10.0f);
        float a = static_cast<float>(game->f_Spin + offset + RING_DOT_STEP * n) * DEG_TO_RAD;
        game->m_Oval(cx + std::sin(a) * radius, cy - std::cos(a) * radius, RING_DOT_RADIUS, RING_DOT_RADIUS);
    }
}

}  // namespace

int bb_Moxelpark_MyApp::m_WaitStart(int spinner) {
    // 1. Background, the short side the rings scale with, and the spin.
    m_CLS2D(40.0f, 40.0f, 80.0f, 1.0f);
    f_WaitSide = static_cast<int>(std::min(bb_Moxelpark_jscrw, bb_Moxelpark_jscrh));
    // The angle wraps like the 32-bit counter it is, without overflow.
    f_Spin = static_cast<int>(static_cast<unsigned>(f_Spin) + SPIN_STEP);
    // 2. Back ring.
    if (spinner == 1) draw_ring(this, 250.0f, BACK_RING_OFFSET);
    // 3. Yellow disc.
    float side = static_cast<float>(f_WaitSide);
    m_SetCol(255.0f, 255.0f, 0.0f, 0.8f);
    m_Oval(bb_Moxelpark_jscrw * 0.5f, bb_Moxelpark_jscrh * 0.5f, side * DISC_RADIUS, side * DISC_RADIUS);
    // 4. Orange band.
    m_SetCol(250.0f, 160.0f, 60.0f, 0.7f);
    m_Rect(0.0f, bb_Moxelpark_jscrh * 0.4f, bb_Moxelpark_jscrw, bb_Moxelpark_jscrh * 0.2f);
    // 5. The author's logo.
    m_ResetDraw();
    m_DrawImg(SLOT_AUTHOR, bb_Moxelpark_jscrw * 0.5f, bb_Moxelpark_jscrh * 0.48f, 0.0f);
    // 6. Front ring.
    if (spinner == 1) draw_ring(this, 50.0f, 0);
    return 0;
}
