// The game object's life and its two hooks: the globals of the game module,
// construction, marking, the update (pointer and touch sampling, the latches,
// the mode dispatcher and the overlays, in their fixed order) and the render
// (timing, then the background, the scale and the replay of drawlist.cpp).
//
// All logic and all drawing happen in the update; the render only replays.
#include <climits>
#include <cmath>

#include "audio/audio.h"
#include "game/game.h"
#include "graphics/graphics.h"
#include "host/base/window.h"
#include "input/input.h"

// ---- Globals of the game module ----
int bb_Moxelpark_DebugMode = 0;
int bb_Moxelpark_iCadeControls = 0;
int bb_Moxelpark_HasMusic = 0;
int bb_Moxelpark_OnScreenControls = 0;
int bb_Moxelpark_AccelerometerControls = 0;
float bb_Moxelpark_rawscrw = LOGICAL_WIDTH;
float bb_Moxelpark_rawscrh = LOGICAL_HEIGHT;
float bb_Moxelpark_jscrw = LOGICAL_WIDTH;
float bb_Moxelpark_jscrh = LOGICAL_HEIGHT;

namespace {

constexpr int MS_PER_SECOND = 1000;
constexpr int FPS_AVERAGE_WEIGHT = 9;  // running average: (new + 9 old) / 10
constexpr int FPS_AVERAGE_DIVISOR = 10;
constexpr float READOUT_X = 16.0f;
constexpr float READOUT_FROM_BOTTOM = 16.0f;

// The actions whose release clears f_KeyUsed.
constexpr int GAME_ACTIONS[] = {ACTION_UP,     ACTION_LEFT,   ACTION_RIGHT,  ACTION_DOWN, ACTION_CONFIRM,
                                ACTION_FACE_B, ACTION_FACE_X, ACTION_FACE_Y, ACTION_BACK, ACTION_SCORES};

// A pointer coordinate in device pixels to logical units, truncated toward
// zero. The scale is 0 before the first render and a window position can be
// anything: values that do not fit an int give 0 or the int limits.
int to_logical(float pixels, float scale) {
    float v = pixels / scale;
    if (std::isnan(v)) return 0;
    if (v >= static_cast<float>(INT_MAX)) return INT_MAX;
    if (v <= static_cast<float>(INT_MIN)) return INT_MIN;
    return static_cast<int>(v);
}

// A game is under way from its first update in play to its return to the
// menu; it stands while the pause panel is open or its end is shown.
host::Activity activity_of(const bb_Moxelpark_MyApp* game) {
    if (game->f_LoadStep > 0) return host::Activity::LOADING;
    if (game->Watching()) return host::Activity::WATCHING;
    if (game->f_GameMode != MODE_PLAY) return host::Activity::MENU;
    if (game->f_Paused != 0 || game->f_GameOver != 0) return host::Activity::PAUSED;
    return host::Activity::PLAYING;
}

// A new game starts from rest, whatever the last one left behind: power set
// on the meter during its game-over screen would be played as a stroke by the
// first update, a press held since then must be released before it counts,
// and a panel opened over the game-over screen is hidden as at start-up.
void clear_for_new_game(bb_Moxelpark_MyApp* game) {
    game->f_Power = 0.0f;
    game->f_MeterPress = 0;
    game->f_KeyAim = 0;
    game->f_PowerKeyTime = 0;
    game->f_CaptionHole = 0;
    game->f_PointerUsed = 1;
    game->HidePausePanel();
}

}  // namespace

// ---- Construction and marking ----

bb_Moxelpark_MyApp::bb_Moxelpark_MyApp() {
    gc_assign(f_Images, Array<bb_graphics_Image*>(IMAGE_SLOTS));
    gc_assign(f_ImageInfo, Array<int>(IMAGE_SLOTS * IMAGE_INFO_PER_SLOT));
    gc_assign(f_BadgeQueue, Array<int>(BADGE_ROWS));
    gc_assign(f_BadgeTimer, Array<int>(BADGE_ROWS));
    gc_assign(f_BadgeFlags, Array<bool>(BADGE_FLAGS));
    gc_assign(f_Pad, Array<int>(PAD_ENTRIES));
    gc_assign(f_Settings, Array<int>(SETTINGS_COUNT));
    gc_assign(f_HighScores, Array<int>(HIGHSCORE_COUNT));
    gc_assign(f_ChannelMap, Array<int>(CHANNEL_MAP_SIZE));
    gc_assign(f_DrawList, Array<float>(DRAW_LIST_FLOATS));
    // Room for the largest list, once: remembering a frame allocates nothing.
    drawn_.list.reserve(DRAW_LIST_FLOATS);
    drawn_.images.assign(IMAGE_SLOTS, nullptr);
    gc_assign(f_TouchDown, Array<int>(TOUCH_POINTS));
    gc_assign(f_TouchX, Array<int>(TOUCH_POINTS));
    gc_assign(f_TouchY, Array<int>(TOUCH_POINTS));
    gc_assign(f_Sounds, Array<bb_audio_Sound*>(SOUND_SLOTS));
    gc_assign(f_Objects, Array<float>(OBJECT_FLOATS));
}

bb_Moxelpark_MyApp* bb_Moxelpark_MyApp::g_new() {
    bb_app_App::g_new();
    return this;
}

void bb_Moxelpark_MyApp::mark() {
    bb_app_App::mark();
    gc_mark_q(f_Images);
    gc_mark_q(f_ImageInfo);
    gc_mark_q(f_BadgeQueue);
    gc_mark_q(f_BadgeTimer);
    gc_mark_q(f_BadgeFlags);
    gc_mark_q(f_Pad);
    gc_mark_q(f_Settings);
    gc_mark_q(f_HighScores);
    gc_mark_q(f_ChannelMap);
    gc_mark_q(f_DrawList);
    gc_mark_q(f_TouchDown);
    gc_mark_q(f_TouchX);
    gc_mark_q(f_TouchY);
    gc_mark_q(f_Sounds);
    gc_mark_q(f_Objects);
}

// ---- One update ----

int bb_Moxelpark_MyApp::m_OnUpdate() {
    gxtkInput* input = bb_input_device;
    const bool leftDown = input->KeyDown(KEY_LMB) != 0;

    // 1. Timing.
    int t = bb_app_device->MilliSecs();
    if (t - f_UpdateLastMs >= 1) f_UpdateFps = MS_PER_SECOND / (t - f_UpdateLastMs);
    f_UpdateFpsAvg = (f_UpdateFps + FPS_AVERAGE_WEIGHT * f_UpdateFpsAvg) / FPS_AVERAGE_DIVISOR;
    f_UpdateLastMs = bb_app_device->MilliSecs();

    // The menu is laid out on its held shape, play on the whole window; the
    // pointer is read on the logical area of this update's screen.
    HoldMenuShape(f_GameMode == MODE_MENU);

    // 2. Pointer; a fresh press has no drag distance.
    f_OldMouseX = f_MouseX;
    f_OldMouseY = f_MouseY;
    f_MouseX = to_logical(input->MouseX() - f_OffsetX, f_ScaleX);
    f_MouseY = to_logical(input->MouseY() - f_OffsetY, f_ScaleY);
    if (f_MouseWasDown == 0 && leftDown) {
        f_OldMouseX = f_MouseX;
        f_OldMouseY = f_MouseY;
    }

    // 3. Button state.
    f_PointerDown = leftDown ? 1 : 0;
    f_PointerHit = input->KeyHit(KEY_LMB);

    // 4. Touches.
    for (f_Loop = 0; f_Loop < TOUCH_POINTS; ++f_Loop) {
        f_TouchDown[f_Loop] = 0;
        f_TouchX[f_Loop] = TOUCH_UP;
        f_TouchY[f_Loop] = TOUCH_UP;
        if (input->KeyDown(KEY_TOUCH0 + f_Loop) != 0) {
            f_TouchDown[f_Loop] = 1;
            f_TouchX[f_Loop] = to_logical(input->TouchX(f_Loop) - f_OffsetX, f_ScaleX);
            f_TouchY[f_Loop] = to_logical(input->TouchY(f_Loop) - f_OffsetY, f_ScaleY);
            f_PointerDown = 1;
        }
    }

    // 5. Pointer latch.
    f_MouseWasDown = leftDown ? 1 : 0;
    if (f_PointerDown == 0) f_PointerUsed = 0;

    // 6. Key latch, and the back action closing the boxes over the menu.
    bool anyAction = false;
    for (int action : GAME_ACTIONS) {
        if (m_PlayKey(action)) {
            anyAction = true;
            break;
        }
    }
    if (!anyAction) f_KeyUsed = 0;
    if (f_KeyUsed == 0 && f_PointerUsed == 0 && m_PlayKey(ACTION_BACK) && f_GameMode == MODE_MENU &&
        (f_ShowCredits == 1 || f_ShowBadges == 1)) {
        f_ShowCredits = 0;
        f_ShowBadges = 0;
        f_KeyUsed = 1;
        f_PointerUsed = 1;
    }

    // The window lost the input (focus gone, iconified) with something held:
    // the aim is dropped, never played, and nothing held acts once back.
    if (input->HeldDropped()) DropAim();

    // 7. Mode dispatch, only while no asset loading is under way.
    if (f_LoadStep == 0) {
        switch (f_GameMode) {
            case MODE_MENU:
                m_Menu();
                break;
            case MODE_MENU_LOAD:
                m_LoadMenu();
                f_GameMode = MODE_MENU;
                break;
            case MODE_PLAY: {
                // A watched game may run several updates of play in this one
                // (held to play faster, or on to its next stroke); each is
                // a whole update of play, and the game's end is shown at
                // the normal pace.
                const int passes = ReplayPasses();
                for (int pass = 0; pass < passes; ++pass) {
                    m_Game();
                    m_InGame();
                    ReplayQuit();
                    if (f_GameOver > 0 || f_GameMode != MODE_PLAY) break;
                }
                break;
            }
            case MODE_PLAY_LOAD:
                clear_for_new_game(this);
                m_LoadGame();
                // A game is kept from its first update on.
                KeepGame();
                break;
            default:
                break;
        }
        if (f_GameMode == MODE_PLAY && f_GameOver > 0) m_GameOver();
        // The game as this update leaves it, when a stroke, a rest, a hole
        // or its end has changed it.
        KeepOnChange();
        if (f_GameMode == MODE_MENU || f_GameMode == MODE_MENU_LOAD) m_GameOver();
        if (f_GameMode == MODE_MENU) {
            if (f_ShowCredits == 1) m_CreditBox();
            if (f_GameMode == MODE_MENU && f_ShowBadges == 1) m_BadgesBox();
        }
    }

    // 8. One loader step, which draws the wait screen.
    if (f_LoadStep >= 1) m_Loader();

    // 9. iCade letters.
    if (bb_Moxelpark_iCadeControls == 1) DecodeICade();

    // 10. On-screen presses last one update; iCade holds stay.
    for (int i = 0; i < PAD_ENTRIES; ++i) {
        if (f_Pad[i] == PAD_TOUCHED) f_Pad[i] = PAD_RELEASED;
    }

    // 11. On-screen pad during play.
    if (bb_Moxelpark_OnScreenControls == 1 && f_GameMode > MODE_PLAY_THRESHOLD &&
        bb_Moxelpark_iCadeControls != 1)
        OnScreenPad();

    // 12. Tilt indicator; an iCade cabinet has no tilt.
    if (bb_Moxelpark_AccelerometerControls == 1 && bb_Moxelpark_iCadeControls != 1) {
        TiltIndicator();
    } else if (bb_Moxelpark_iCadeControls == 1) {
        f_TiltX = f_TiltY = 0.0f;
        f_TiltSmoothX = f_TiltSmoothY = 0.0f;
    }

    // 13. Render-rate readout; above the tilt indicator when that is shown.
    if (bb_Moxelpark_DebugMode == 1) {
        m_ResetDraw();
        float y = (bb_Moxelpark_AccelerometerControls == 1 && bb_Moxelpark_iCadeControls != 1)
                      ? bb_Moxelpark_jscrh * 0.5f
                      : bb_Moxelpark_jscrh - READOUT_FROM_BOTTOM;
        m_Text(READOUT_X, y, String(f_RenderFpsAvg), 0.0f, 0.0f);
    }

    // 14. Badge announcements over everything.
    m_ShowBadges();

    // 15. What the player is doing, for the window system.
    host::window().SetActivity(activity_of(this));
    return 0;
}

// ---- One render ----

int bb_Moxelpark_MyApp::m_OnRender() {
    // 1. Timing; two renders in one millisecond keep the previous rate.
    int t = bb_app_device->MilliSecs();
    if (t > f_RenderLastMs) f_RenderFps = MS_PER_SECOND / (t - f_RenderLastMs);
    f_RenderFpsAvg = (FPS_AVERAGE_WEIGHT * f_RenderFpsAvg + f_RenderFps) / FPS_AVERAGE_DIVISOR;
    f_RenderLastMs = bb_app_device->MilliSecs();

    // 2. Background, window-size check, scale and replay.
    RenderFrame();

    // 3. What was drawn, so that a frame that would be the same is left out.
    RememberPicture();
    return 0;
}
