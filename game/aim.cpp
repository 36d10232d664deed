// Aiming without a pointer, and dropping an aim the player never released.
//
// In play the action layer the menus use also aims: left and right turn the
// golfer to face that way, up and down move the power on the meter while held
// (one bar for a tap, empty to full in about a second and a half), fire plays
// the stroke at the power set and the second action clears it. The pointer
// keeps working beside them; whichever the player touched last sets the power.
#include "game/game.h"

namespace {

// A tap moves the power one bar of the meter.
constexpr float KEY_POWER_TAP = 12.0f;
// Held past this many updates, the power runs on; from the press it reaches
// full power after KEY_FILL_UPDATES (a second and a half at 60 updates).
constexpr int KEY_HOLD_DELAY = 15;
constexpr int KEY_FILL_UPDATES = 90;
constexpr float KEY_POWER_RUN =
    (METER_FULL_POWER - KEY_POWER_TAP) / static_cast<float>(KEY_FILL_UPDATES - KEY_HOLD_DELAY);

// The change of power for an update in which up or down has been held for
// `held` updates before it, in the direction `dir` (1 harder, -1 softer).
float power_step(int held, int dir) {
    if (held == 0) return KEY_POWER_TAP * static_cast<float>(dir);
    if (held >= KEY_HOLD_DELAY) return KEY_POWER_RUN * static_cast<float>(dir);
    return 0.0f;
}

}  // namespace

bool bb_Moxelpark_MyApp::AimByKeys() {
    // Neither the game-over screen nor the pause panel lets keys aim; the
    // panel works its own buttons with the same actions.
    if (f_GameOver != 0 || f_Paused != 0) {
        f_PowerKeyTime = 0;
        return false;
    }
    // Turning: face the way pressed.
    if (m_PlayKey(ACTION_LEFT)) {
        f_Facing = -1;
    } else if (m_PlayKey(ACTION_RIGHT)) {
        f_Facing = 1;
    }
    // Power: down on the meter is harder, as a drag downward is.
    const int dir = (m_PlayKey(ACTION_DOWN) ? 1 : 0) - (m_PlayKey(ACTION_UP) ? 1 : 0);
    if (dir == 0) {
        f_PowerKeyTime = 0;
    } else {
        float power = f_Power + power_step(f_PowerKeyTime, dir);
        f_Power = power < 0.0f ? 0.0f : (power > METER_FULL_POWER ? METER_FULL_POWER : power);
        f_PowerKeyTime += 1;
        f_KeyAim = 1;
        f_MeterPress = 0;
        // A press held on the meter stops setting the power.
        if (f_PointerDown != 0) f_PointerUsed = 1;
    }
    // The second action clears the power, a drag's included.
    if (m_PlayKey(ACTION_FACE_B)) {
        f_Power = 0.0f;
        f_KeyAim = 0;
        f_MeterPress = 0;
        if (f_PointerDown != 0) f_PointerUsed = 1;
    }
    // Fire acts once per press, like the menus' confirm.
    if (f_KeyUsed == 0 && m_PlayKey(ACTION_CONFIRM)) {
        f_KeyUsed = 1;
        return true;
    }
    return false;
}

void bb_Moxelpark_MyApp::DropAim() {
    f_Power = 0.0f;
    f_MeterPress = 0;
    f_KeyAim = 0;
    f_PowerKeyTime = 0;
    // Whatever is still held, or held again at once, acts only after it has
    // been let go: a pad's button is read afresh at every update.
    f_PointerUsed = 1;
    f_KeyUsed = 1;
}
