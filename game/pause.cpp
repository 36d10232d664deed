// The pause button and the pause panel.
//
// m_InGame runs after m_Game in every play update and owns the pause button in
// the top left corner and the back action that also opens the panel.
// m_PauseMenu slides the panel down over a darkening veil and runs its three
// buttons (quit, resume, sound) by touch or by the direction and confirm
// actions. The game is not frozen: m_Game keeps running underneath.
//
// Every sound here is the click, told apart by its rate.
#include <algorithm>

#include "game/game.h"

namespace {

// ---- The click's rates ----
constexpr float RATE_ACTION = 1.0f;  // open, resume, back, sound change
constexpr float RATE_LEFT = 0.8f;    // cursor left or up, and back toward resume
constexpr float RATE_RIGHT = 1.2f;
constexpr float RATE_QUIT = 0.5f;

// ---- Layout ----
constexpr float PAUSE_BUTTON_AT = 16.0f;  // centre of the pause button, from the top-left corner
constexpr int PAUSE_SLIDE_STEP = 24;
// Sliding out, the panel is gone once its centre line is above this.
constexpr int PAUSE_GONE_ABOVE = -32;
constexpr int PAUSE_ALREADY_GONE_BELOW = -63;
// The veil is opaque at this fraction of the logical height.
constexpr float VEIL_FULL_AT = 0.8f;
constexpr float BUTTON_SIZE = 2.0f;
constexpr float HIGHLIGHT_SIZE = 2.5f;
constexpr float MODE_MARK_SIZE = 1.5f;
constexpr float MODE_MARK_RIGHT = 20.0f;
// Side buttons' offsets from the panel's centre: landscape, portrait.
constexpr float SIDE_X_LANDSCAPE = 140.0f, SIDE_Y_LANDSCAPE = 64.0f;
constexpr float SIDE_X_PORTRAIT = 96.0f, SIDE_Y_PORTRAIT = 96.0f;
constexpr float SIDE_RING_HALF = 40.0f;  // half the highlight ring's frame at its size

// The music mode's mark: frame 7 of the "common/icons" sheet + setting 1 to 3.
constexpr int FRAME_MODE_MARK_BASE = 7;

// Panel strips: colour, then x offset from the centre, y offset from the
// centre line, width and height, for each layout.
struct Strip {
    float r, g, b, a;
    float x, y, w, h;
};
constexpr Strip LANDSCAPE_PANEL[] = {
    {255.0f, 255.0f, 10.0f, 0.6f, -128.0f, -64.0f, 256.0f, 8.0f},
    {255.0f, 150.0f, 10.0f, 0.7f, -140.0f, -52.0f, 280.0f, 104.0f},
    {10.0f, 150.0f, 255.0f, 0.6f, -128.0f, 56.0f, 256.0f, 8.0f},
};
constexpr Strip PORTRAIT_PANEL[] = {
    {255.0f, 255.0f, 10.0f, 0.6f, -96.0f, -92.0f, 192.0f, 8.0f},
    {255.0f, 150.0f, 10.0f, 0.7f, -128.0f, -80.0f, 256.0f, 160.0f},
    {10.0f, 150.0f, 255.0f, 0.6f, -96.0f, 84.0f, 192.0f, 8.0f},
};

constexpr int CHOICE_QUIT = -1;
constexpr int CHOICE_RESUME = 0;
constexpr int CHOICE_SOUND = 1;

constexpr int MUSIC_STATES = 4;  // with music the setting steps 0, 1, 2, 3

// No second action for take_key.
constexpr int NO_ACTION = -1;

// Whether a key may still act and the action (or the other one) is held; the
// key is then used up.
bool take_key(bb_Moxelpark_MyApp* game, int action, int other = NO_ACTION) {
    if (game->f_KeyUsed != 0) return false;
    if (!game->m_PlayKey(action) && !(other != NO_ACTION && game->m_PlayKey(other))) return false;
    game->f_KeyUsed = 1;
    return true;
}

// The click at one of its rates.
void click(bb_Moxelpark_MyApp* game, float rate) {
    game->m_PlaySFX(SFX_CLICK, rate, CLICK_VOLUME, 0.0f);
}

// Opens the panel with the cursor on resume.
void open_panel(bb_Moxelpark_MyApp* game) {
    game->f_Paused = 1;
    game->f_PauseSlide = 1;
    game->f_PauseChoice = CHOICE_RESUME;
    click(game, RATE_ACTION);
}

// The ring around the chosen button.
void highlight(bb_Moxelpark_MyApp* game, float x, float y) {
    game->m_SetSize(HIGHLIGHT_SIZE);
    game->m_SetCol(255.0f, 255.0f, 100.0f, 1.0f);
    game->m_DrawImg(SLOT_ICONS, x, y, static_cast<float>(ICON_HIGHLIGHT));
}

// The panel slides away; the game goes on. By key as by touch the pointer's
// press is used up, so a button already held does not reach the meter.
void resume_play(bb_Moxelpark_MyApp* game) {
    game->f_Paused = 1;
    game->f_PauseSlide = -1;
    game->f_PointerUsed = 1;
    click(game, RATE_ACTION);
}

// The panel is hidden at once and the game is over, even with the ball in flight.
void quit_game(bb_Moxelpark_MyApp* game) {
    game->RecordQuit();
    game->f_PointerUsed = 1;
    game->HidePausePanel();
    game->f_GameOver = 1;
    click(game, RATE_QUIT);
}

// The next sound setting: with music it steps through 0 to 3, else it toggles.
int next_sound_setting(int setting) {
    if (bb_Moxelpark_HasMusic == 1) {
        int next = setting + 1;
        return (next >= 0 && next < MUSIC_STATES) ? next : SOUND_OFF;
    }
    return setting == SOUND_OFF ? SOUND_ON : SOUND_OFF;
}

// A changed setting is saved at once: a player who closes the window next
// expects to find it as he left it.
void change_sound(bb_Moxelpark_MyApp* game) {
    game->f_Settings[SETTING_SOUND] = next_sound_setting(game->f_Settings[SETTING_SOUND]);
    click(game, RATE_ACTION);
    game->m_Save();
}

}  // namespace

// ---- The pause button ----

void bb_Moxelpark_MyApp::HidePausePanel() {
    f_Paused = 0;
    f_PauseSlide = -1;
    f_PauseY = PAUSE_HIDDEN_Y;
}

int bb_Moxelpark_MyApp::m_InGame() {
    // 1. The menu slides in again when the game returns to it.
    m_ResetDraw();
    f_MenuSlide = MENU_SLIDE_START;
    // A watched game has no panel: the back action and the pause button lead
    // back to the menu.
    if (Watching()) {
        const bool back = take_key(this, ACTION_BACK);
        const bool button =
            m_Button(SLOT_ICONS, PAUSE_BUTTON_AT, PAUSE_BUTTON_AT, ICON_PAUSE) != 0 && f_PointerUsed == 0;
        const bool leaveEnd = DrawReplayControls();
        if (back || button || leaveEnd) {
            click(this, RATE_QUIT);
            LeaveReplay();
        }
        return 0;
    }
    // 2. Open by the back action.
    if (f_Paused == 0 && take_key(this, ACTION_BACK)) open_panel(this);
    // 3. Open by the pause button.
    if (m_Button(SLOT_ICONS, PAUSE_BUTTON_AT, PAUSE_BUTTON_AT, ICON_PAUSE) != 0 && f_PointerUsed == 0 &&
        f_Paused == 0) {
        f_PointerUsed = 1;
        open_panel(this);
    }
    // 4. The panel, while it is open or sliding.
    if (f_Paused == 1) m_PauseMenu();
    return 0;
}

// ---- The panel ----

int bb_Moxelpark_MyApp::m_PauseMenu() {
    const float c = bb_Moxelpark_jscrw * 0.5f;

    // 1. The veil darkens as the panel comes down.
    m_ResetDraw();
    float veil =
        static_cast<float>(f_PauseY < 0 ? -f_PauseY : f_PauseY) / (bb_Moxelpark_jscrh * VEIL_FULL_AT);
    m_SetCol(0.0f, 0.0f, 0.0f, veil);
    m_Rect(0.0f, 0.0f, bb_Moxelpark_jscrw, bb_Moxelpark_jscrh);

    // 2. Slide; the rest of this call still runs after the panel closes.
    if (f_PauseSlide == 1 && static_cast<float>(f_PauseY) < bb_Moxelpark_jscrh * 0.5f)
        f_PauseY += PAUSE_SLIDE_STEP;
    if (f_PauseSlide == -1) {
        if (f_PauseY < PAUSE_ALREADY_GONE_BELOW) {
            f_Paused = 0;
        } else {
            f_PauseY -= PAUSE_SLIDE_STEP;
            if (f_PauseY < PAUSE_GONE_ABOVE) f_Paused = 0;
        }
    }

    // 3. Yellow strip, orange panel, blue strip.
    m_ResetDraw();
    const float y = static_cast<float>(f_PauseY);
    for (const Strip& s : (f_Landscape == 1 ? LANDSCAPE_PANEL : PORTRAIT_PANEL)) {
        m_SetCol(s.r, s.g, s.b, s.a);
        m_Rect(c + s.x, y + s.y, s.w, s.h);
    }
    // On a narrow screen the side buttons come in so that the highlight ring
    // around them stays on screen.
    const float sideX = std::min(f_Landscape == 1 ? SIDE_X_LANDSCAPE : SIDE_X_PORTRAIT, c - SIDE_RING_HALF);
    const float sideY = f_Landscape == 1 ? SIDE_Y_LANDSCAPE : SIDE_Y_PORTRAIT;

    // 4. Resume, in the middle.
    m_SetSize(BUTTON_SIZE);
    m_SetCol(50.0f, 50.0f, 250.0f, 1.0f);
    if (m_Button(SLOT_ICONS, c, y, ICON_RESUME) != 0 && f_PointerUsed == 0) {
        resume_play(this);
    }
    if (f_PauseChoice == CHOICE_RESUME) {
        highlight(this, c, y);
        if (take_key(this, ACTION_CONFIRM)) resume_play(this);
        if (take_key(this, ACTION_LEFT, ACTION_UP)) {
            f_PauseChoice = CHOICE_QUIT;
            click(this, RATE_LEFT);
        }
        if (take_key(this, ACTION_RIGHT)) {
            f_PauseChoice = CHOICE_SOUND;
            click(this, RATE_RIGHT);
        }
    }

    // A side button's place, truncated and kept in f_PosX, f_PosY. NOTE: it is
    // taken from f_PauseY as it stands, which quitting has just moved.
    auto placeSide = [&](float x, float* px, float* py) {
        f_PosX = static_cast<int>(x);
        f_PosY = static_cast<int>(static_cast<float>(f_PauseY) - sideY);
        *px = static_cast<float>(f_PosX);
        *py = static_cast<float>(f_PosY);
    };
    float px, py;

    // 5. Quit, on the left.
    m_SetSize(BUTTON_SIZE);
    m_SetCol(255.0f, 50.0f, 50.0f, 1.0f);
    placeSide(c - sideX, &px, &py);
    if (m_Button(SLOT_ICONS, px, py, ICON_QUIT) != 0 && f_PointerUsed == 0) {
        quit_game(this);
    }
    if (f_PauseChoice == CHOICE_QUIT) {
        highlight(this, px, py);
        if (take_key(this, ACTION_CONFIRM)) quit_game(this);
        if (take_key(this, ACTION_RIGHT, ACTION_DOWN)) {
            f_PauseChoice = CHOICE_RESUME;
            click(this, RATE_LEFT);
        }
    }

    // 6. Sound, on the right; the click comes after the change, so switching on is heard.
    m_SetSize(BUTTON_SIZE);
    m_SetCol(50.0f, 250.0f, 50.0f, 1.0f);
    f_Frame = f_Settings[SETTING_SOUND] == SOUND_OFF ? ICON_SOUND_OFF : ICON_SOUND_ON;
    placeSide(c + sideX, &px, &py);
    if (m_Button(SLOT_ICONS, px, py, f_Frame) != 0 && f_PointerUsed == 0) {
        f_PointerUsed = 1;
        change_sound(this);
    }
    int setting = f_Settings[SETTING_SOUND];
    if (bb_Moxelpark_HasMusic == 1 && setting >= SOUND_ON && setting < MUSIC_STATES) {
        m_SetSize(MODE_MARK_SIZE);
        m_SetCol(180.0f, 255.0f, 255.0f, 1.0f);
        m_DrawImg(SLOT_ICONS, px + MODE_MARK_RIGHT, py, static_cast<float>(setting + FRAME_MODE_MARK_BASE));
    }
    if (f_PauseChoice == CHOICE_SOUND) {
        highlight(this, px, py);
        if (take_key(this, ACTION_CONFIRM)) change_sound(this);
        if (take_key(this, ACTION_LEFT, ACTION_DOWN)) {
            f_PauseChoice = CHOICE_RESUME;
            click(this, RATE_LEFT);
        }
    }

    // 7. Back: the panel slides away.
    if (take_key(this, ACTION_BACK)) resume_play(this);
    return 0;
}
