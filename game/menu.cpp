// The title menu: rebuilt whole every update of MODE_MENU. It slides in after
// each game, shows the backdrop and the score panel with the selected game
// type's top ten and last ten, and offers the sound switch, the three game
// types (by pointer, keys or pad), the iCade switch and the credits button.
// A score whose game is kept can be picked (pointer, touch, keys or pad) and
// watched again.
//
// One press acts once: a control acts only while f_PointerUsed (or, for
// keys, f_KeyUsed) is 0 and sets it; the update clears the latches when
// everything is released. While the credits or badges box is open only the
// sound button acts and the score lists are hidden.
#include <algorithm>

#include "game/game.h"

namespace {

// Frames of the "menu" backdrop and the logo.
constexpr int BACKDROP_BACK = 0;
constexpr int BACKDROP_MIDDLE = 1;
constexpr int BACKDROP_SIDE = 2;

// The title rests a quarter of the way down, but never higher than this: its
// letters reach 48 units above its centre and the sound switch 55 units down
// from the top, so on screens wider than 16:10 it would run under the switch.
constexpr float TITLE_HIGHEST = 106.0f;

// The score panel on the right.
constexpr float PANEL_WIDTH = 140.0f;
constexpr float PANEL_ALPHA = 0.4f;
constexpr float PANEL_TEXT_INSET = 20.0f;
constexpr float TOP_LIST_Y = 60.0f;
// The lists get the rows that fit below this much of each half of the screen.
constexpr int LIST_HEADROOM = 90;
constexpr int LIST_MAX_ROWS = TABLE_LENGTH;
constexpr float LIST_SIZE = 1.5f;

// The mark before a score whose game can be watched.
constexpr float REPLAY_MARK_BEFORE = 10.0f;
constexpr float REPLAY_MARK_SIDE = 4.0f;
// The row keys have picked is lit by a faint bar of the list's colour. Rows
// are numbered through both lists; none picked is PICK_NONE.
constexpr float PICK_ALPHA = 0.3f;
constexpr int PICK_NONE = -1;
constexpr int PICK_ROWS = 2 * TABLE_LENGTH;

// The sound switch.
constexpr int SOUND_BUTTON_Y = 32;

// Game-type buttons: frame t - 1, the selection mark over the selected one.
constexpr int TYPE_MARK_FRAME = 15;
constexpr float TYPE_MARK_ALPHA = 0.75f;
constexpr float TYPE_BUTTON_SIZE = 1.5f;

// Places of the type buttons for t = 1 to 3, as fractions of the logical
// area plus multiples of the slide S.
struct TypePlace {
    float xw, xs;  // x = xw * w + xs * S
    float yh, ys;  // y = yh * h + ys * S
};
constexpr TypePlace TYPE_LANDSCAPE[GAME_TYPES] = {
    {0.2f, 0.0f, 0.7f, -8.0f}, {0.4f, 0.0f, 0.7f, -12.0f}, {0.6f, 0.0f, 0.7f, -10.0f}};
constexpr TypePlace TYPE_PORTRAIT[GAME_TYPES] = {
    {0.3f, -8.0f, 0.45f, 0.0f}, {0.3f, 0.0f, 0.65f, -12.0f}, {0.3f, 8.0f, 0.85f, 0.0f}};

// The iCade switch (frame 0 off, 1 on) and the credits button.
constexpr float ICADE_FROM_RIGHT = 38.0f;
constexpr float ICADE_Y = 38.0f;
constexpr float CREDITS_FROM_RIGHT = 70.0f;
constexpr float CREDITS_FROM_BOTTOM = 40.0f;
constexpr float CREDITS_SIZE = 0.5f;

// Sounds: the click's rate tells the actions apart.
constexpr float RATE_NORMAL = 1.0f;
constexpr float RATE_PREVIOUS = 0.8f;
constexpr float RATE_NEXT = 1.2f;
constexpr float SWITCH_VOLUME = 1.0f;

// Whether the credits box or the badges box is open over the menu.
bool box_open(const bb_Moxelpark_MyApp* game) {
    return game->f_ShowCredits == 1 || game->f_ShowBadges == 1;
}

// Starts a game of the selected type: both latches set so the press or key
// does nothing more.
void start_game(bb_Moxelpark_MyApp* game) {
    game->f_GameMode = MODE_PLAY_LOAD;
    game->f_PointerUsed = 1;
    game->f_KeyUsed = 1;
    game->m_PlaySFX(SFX_CLICK, RATE_NORMAL, CLICK_VOLUME, 0.0f);
}

// Draws one score list: a title, then `rows` entries of f_HighScores from
// `first`, right-aligned, one per line.
// NOTE: the text is rebuilt every update; it is hidden (and not built) while a
// box is open.
void draw_score_list(bb_Moxelpark_MyApp* game, float x, float y, const char* title, const char* singleTitle,
                     int first, int rows) {
    static const String LINE_BREAK("\\n");
    static const String PAD(" ");
    if (box_open(game)) return;
    String text = rows == 1 ? String(singleTitle) : String(title) + String(rows);
    // NOTE: m_rstr counts in f_Loop, so the list counts in f_Index.
    for (game->f_Index = 0; game->f_Index < rows; ++game->f_Index) {
        text = text + LINE_BREAK + game->m_rstr(game->f_HighScores[first + game->f_Index], SCORE_DIGITS, PAD);
    }
    game->m_Text(x, y, text, 0.0f, 0.0f);
}

// Watches the game behind a row of the selected type's top ten (`last`
// false) or last ten; false when it is not kept.
bool watch_row(bb_Moxelpark_MyApp* game, bool last, int rank) {
    Replay replay;
    if (!game->ReplayBehind(game->f_GameType, last, rank, &replay)) return false;
    game->f_PointerUsed = 1;
    game->f_KeyUsed = 1;
    game->m_PlaySFX(SFX_CLICK, RATE_NORMAL, CLICK_VOLUME, 0.0f);
    game->WatchReplay(replay);
    return true;
}

// The rows of a list whose games are kept: each gets a small mark before its
// score, the row picked by keys is lit, and a press on a row (pointer or
// finger) watches that game.
void pick_replay(bb_Moxelpark_MyApp* game, float x, float y, float lineHeight, bool last, int rows,
                 int picked) {
    if (box_open(game) || lineHeight <= 0.0f) return;
    const float rowWidth = PANEL_WIDTH - PANEL_TEXT_INSET;
    for (int rank = 0; rank < rows; ++rank) {
        if (!game->HasReplayBehind(game->f_GameType, last, rank)) continue;
        // Row 0 is the list's title.
        const float rowY = y + lineHeight * static_cast<float>(rank + 1);
        game->m_Rect(x - REPLAY_MARK_BEFORE, rowY + (lineHeight - REPLAY_MARK_SIDE) / 2.0f, REPLAY_MARK_SIDE,
                     REPLAY_MARK_SIDE);
        if (picked == (last ? TABLE_LENGTH : 0) + rank) {
            game->m_Alpha(PICK_ALPHA);
            game->m_Rect(x - REPLAY_MARK_BEFORE, rowY, rowWidth, lineHeight);
            game->m_Alpha(1.0f);
        }
        if (game->f_PointerUsed == 0 && game->f_PointerDown != 0 &&
            game->m_MouseIn(x - REPLAY_MARK_BEFORE, rowY, rowWidth, lineHeight))
            watch_row(game, last, rank);
    }
}

// The kept row after (`step` 1) or before (-1) `from` among the `rows` shown
// of each list, the top ten's before the last ten's; PICK_NONE past the end.
int step_pick(const bb_Moxelpark_MyApp* game, int rows, int from, int step) {
    for (int p = from + step; p >= 0 && p < PICK_ROWS; p += step) {
        if (p % TABLE_LENGTH < rows &&
            game->HasReplayBehind(game->f_GameType, p >= TABLE_LENGTH, p % TABLE_LENGTH))
            return p;
    }
    return PICK_NONE;
}

}  // namespace

int bb_Moxelpark_MyApp::m_Menu() {
    const float w = bb_Moxelpark_jscrw;
    const float h = bb_Moxelpark_jscrh;

    // 1, 2. A new frame; the slide moves one step toward rest.
    m_CLS2D(SKY_RED, SKY_GREEN, SKY_BLUE, 1.0f);
    if (f_MenuSlide < 0) f_MenuSlide += 1;
    const float s = static_cast<float>(f_MenuSlide);

    // 3, 4. Backdrop layers, each sliding at its own rate.
    f_PanelWidth = PANEL_WIDTH;
    m_ResetDraw();
    m_SetSize(3.0f);
    m_DrawImg(SLOT_MENU, w / 2.0f, h / 2.0f + 16.0f * s, BACKDROP_BACK);
    m_SetSize(2.0f);
    m_Alpha(1.0f);
    m_DrawImg(SLOT_MENU, 0.4f * w + 20.0f * s, h / 2.0f, BACKDROP_SIDE);
    m_SetSize(3.0f);
    m_Alpha(1.0f);
    m_DrawImg(SLOT_MENU, w / 2.0f, h / 2.0f - 24.0f * s, BACKDROP_MIDDLE);
    m_SetSize(1.0f);
    m_DrawImg(SLOT_LOGO, 0.4f * w, std::max(0.25f * h, TITLE_HIGHEST) + 12.0f * s, 0.0f);

    // 5. Score panel.
    const float panelX = w - PANEL_WIDTH - 4.0f * s;
    m_SetCol(0.0f, 0.0f, 0.0f, PANEL_ALPHA);
    m_Rect(panelX, 0.0f, PANEL_WIDTH, h);
    m_ResetDraw();

    // 6. Sound switch: acts even while a box is open.
    m_SetSize(2.0f);
    m_SetCol(50.0f, 250.0f, 50.0f, 1.0f);
    f_Frame = f_Settings[SETTING_SOUND] == SOUND_OFF ? ICON_SOUND_OFF : ICON_SOUND_ON;
    f_PosX = static_cast<int>(w / 2.0f);
    f_PosY = 4 * f_MenuSlide + SOUND_BUTTON_Y;
    if (m_Button(SLOT_ICONS, static_cast<float>(f_PosX), static_cast<float>(f_PosY), f_Frame) != 0 &&
        f_PointerUsed == 0) {
        // Off turns on; anything else (music settings included) turns off.
        f_Settings[SETTING_SOUND] = f_Settings[SETTING_SOUND] == SOUND_OFF ? SOUND_ON : SOUND_OFF;
        f_PointerUsed = 1;
        m_PlaySFX(SFX_CLICK, RATE_NORMAL, CLICK_VOLUME, 0.0f);
        // Kept at once: closing the window from the menu saves nothing else.
        m_Save();
    }

    // 7. The top list's colour and size.
    m_SetCol(255.0f, 200.0f, 100.0f, 1.0f);
    m_SetSize(LIST_SIZE);

    // 8. Top ten of the selected type, as many rows as fit in half the screen.
    const int base = (f_GameType - 1) * TABLE_LENGTH;
    const int lineHeight =
        static_cast<int>(static_cast<float>(ImageInfo(f_FontSlot, IMAGE_INFO_HEIGHT)) * f_SizeY);
    int rows = lineHeight > 0 ? static_cast<int>(h / 2.0f - LIST_HEADROOM) / lineHeight : LIST_MAX_ROWS;
    if (rows < 1) rows = 1;
    if (rows > LIST_MAX_ROWS) rows = LIST_MAX_ROWS;
    const bool validType = base >= 0 && base + TABLE_LENGTH <= LAST_TEN_BASE;
    if (validType) {
        draw_score_list(this, panelX + PANEL_TEXT_INSET, TOP_LIST_Y, "Top ", "Highscore", base, rows);
        pick_replay(this, panelX + PANEL_TEXT_INSET, TOP_LIST_Y, static_cast<float>(lineHeight), false, rows,
                    menuPick_);
    }

    // 9. The last ten, newest first.
    m_SetCol(200.0f, 255.0f, 100.0f, 1.0f);
    m_SetSize(LIST_SIZE);
    if (validType) {
        draw_score_list(this, panelX + PANEL_TEXT_INSET, h / 2.0f, "Last ", "Last", LAST_TEN_BASE + base,
                        rows);
        pick_replay(this, panelX + PANEL_TEXT_INSET, h / 2.0f, static_cast<float>(lineHeight), true, rows,
                    menuPick_);
    }

    // 10. Game-type buttons with the selection mark.
    m_ResetDraw();
    m_SetSize(TYPE_BUTTON_SIZE);
    m_Alpha(1.0f);
    const TypePlace* places = f_Landscape == 1 ? TYPE_LANDSCAPE : TYPE_PORTRAIT;
    for (f_Index = 0; f_Index < GAME_TYPES; ++f_Index) {
        const TypePlace& p = places[f_Index];
        const int type = f_Index + 1;
        const float x = p.xw * w + p.xs * s;
        const float y = p.yh * h + p.ys * s;
        if (m_Button(SLOT_BUTTONS, x, y, type - 1) != 0 && f_PointerUsed == 0 && !box_open(this)) {
            f_GameType = type;
            start_game(this);
        }
        if (f_GameType == type) {
            m_Alpha(TYPE_MARK_ALPHA);
            m_DrawImg(SLOT_BUTTONS, x, y, TYPE_MARK_FRAME);
            m_Alpha(1.0f);
        }
    }

    // 11. Keys and pad: Tab or the pad's Back steps through the scores whose
    // games are kept (and off them after the last); while one is picked, up
    // and down step between them, the start watches it and back lets go.
    // Otherwise both directions choose the type, then the start.
    m_ResetDraw();
    // A picked score whose game is no longer kept, or no longer shown, is let go.
    if (menuPick_ != step_pick(this, rows, menuPick_ - 1, 1)) menuPick_ = PICK_NONE;
    const bool keysFree = f_KeyUsed == 0 && !box_open(this);
    const bool start = m_PlayKey(ACTION_CONFIRM) || m_PlayKey(ACTION_FACE_B) || m_PlayKey(ACTION_FACE_X) ||
                       m_PlayKey(ACTION_FACE_Y);
    if (keysFree && m_PlayKey(ACTION_SCORES)) {
        f_KeyUsed = 1;
        menuPick_ = step_pick(this, rows, menuPick_, 1);
        m_PlaySFX(SFX_CLICK, RATE_NEXT, CLICK_VOLUME, 0.0f);
    } else if (keysFree && menuPick_ != PICK_NONE && (m_PlayKey(ACTION_UP) || m_PlayKey(ACTION_DOWN))) {
        f_KeyUsed = 1;
        const int step = m_PlayKey(ACTION_UP) ? -1 : 1;
        const int next = step_pick(this, rows, menuPick_, step);
        if (next != PICK_NONE) menuPick_ = next;
        m_PlaySFX(SFX_CLICK, step < 0 ? RATE_PREVIOUS : RATE_NEXT, CLICK_VOLUME, 0.0f);
    } else if (keysFree && menuPick_ != PICK_NONE && m_PlayKey(ACTION_BACK)) {
        f_KeyUsed = 1;
        menuPick_ = PICK_NONE;
    } else if (keysFree && menuPick_ != PICK_NONE && start) {
        watch_row(this, menuPick_ >= TABLE_LENGTH, menuPick_ % TABLE_LENGTH);
    }
    if ((m_PlayKey(ACTION_UP) || m_PlayKey(ACTION_LEFT)) && f_GameType > 1 && f_KeyUsed == 0 &&
        !box_open(this)) {
        f_KeyUsed = 1;
        f_GameType -= 1;
        menuPick_ = PICK_NONE;
        m_PlaySFX(SFX_CLICK, RATE_PREVIOUS, CLICK_VOLUME, 0.0f);
    }
    if ((m_PlayKey(ACTION_DOWN) || m_PlayKey(ACTION_RIGHT)) && f_GameType < GAME_TYPES && f_KeyUsed == 0 &&
        !box_open(this)) {
        f_KeyUsed = 1;
        f_GameType += 1;
        menuPick_ = PICK_NONE;
        m_PlaySFX(SFX_CLICK, RATE_NEXT, CLICK_VOLUME, 0.0f);
    }
    if (start && f_KeyUsed == 0 && !box_open(this)) start_game(this);

    // 12. iCade switch.
    m_ResetDraw();
    if (m_Button(SLOT_ICADE, w - ICADE_FROM_RIGHT, 4.0f * s + ICADE_Y, bb_Moxelpark_iCadeControls) != 0 &&
        !box_open(this) && f_PointerUsed == 0) {
        f_PointerUsed = 1;
        m_iCade(bb_Moxelpark_iCadeControls == 0 ? 1 : 0);
        m_PlaySFX(SFX_SWITCH, RATE_NORMAL, SWITCH_VOLUME, 0.0f);
    }

    // 13. Credits button.
    m_SetSize(CREDITS_SIZE);
    if (m_Button(SLOT_AUTHOR, w - CREDITS_FROM_RIGHT, h - CREDITS_FROM_BOTTOM - 4.0f * s, 0) != 0 &&
        f_PointerUsed == 0 && !box_open(this)) {
        f_PointerUsed = 1;
        m_PlaySFX(SFX_SWITCH, RATE_NORMAL, SWITCH_VOLUME, 0.0f);
        f_ShowCredits = 1;
    }
    return 0;
}
