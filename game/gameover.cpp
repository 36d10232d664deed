// The game-over overlay and the score tables.
//
// When a game ends the overlay (a dimming veil, two bars and the words "GAME"
// and "OVER", and a "New Highscore" banner when the score makes the table)
// grows over the play screen for 89 updates; the game then goes back to the
// menu, where the score is recorded and saved, and the overlay shrinks away
// over the menu.
//
// NOTE: the banner and the table disagree on ties on purpose. The banner's
// ordinal (m_MyNth) gives a score equal to an entry that entry's place; the
// table takes only a strictly greater score, so the equal score is stored
// below the older entry.
#include "game/game.h"

namespace {

// Timer: built up in play for OVERLAY_SWITCH_TIME, then handed to the menu part-way down.
constexpr int OVERLAY_MENU_TIME = 73;
constexpr int OVERLAY_FADE_STEP = 2;

// Veil: alpha T / 40, at most 0.7.
constexpr float VEIL_ALPHA_DIVISOR = 40.0f;
constexpr float VEIL_ALPHA_MAX = 0.7f;

// Bars: 12 units per update, at most 45% of the height.
constexpr int BAR_GROWTH = 12;
constexpr float BAR_MAX_OF_HEIGHT = 0.45f;
constexpr float BAR_THICKNESS = 16.0f;
constexpr float WORD_SIZE = 4.0f;

// The highscore banner: a blue box 30% of the width across with its two
// lines inside it, the text made smaller where the box is too narrow for it.
constexpr float BANNER_RISE_DIVISOR = 1.5f;
constexpr float BANNER_HEIGHT = 32.0f;  // at least; taller when the two lines need it
constexpr float BANNER_WIDTH_OF_SCREEN = 0.3f;
constexpr float BANNER_TEXT_SIZE = 2.0f;  // at most
constexpr float BANNER_PADDING = 4.0f;
constexpr const char* BANNER_TEXT = "New Highscore";

// Draws the overlay at timer t.
void draw_overlay(bb_Moxelpark_MyApp* game, int t) {
    // Built once: the overlay is drawn every update for seconds at a time.
    static const String GAME_WORD("GAME");
    static const String OVER_WORD("OVER");
    static const String BANNER(BANNER_TEXT);
    static const int BANNER_LENGTH = BANNER.Length();
    const float w = bb_Moxelpark_jscrw;
    const float h = bb_Moxelpark_jscrh;

    // Veil.
    float veil = static_cast<float>(t) / VEIL_ALPHA_DIVISOR;
    game->m_SetCol(0.0f, 0.0f, 0.0f, veil > VEIL_ALPHA_MAX ? VEIL_ALPHA_MAX : veil);
    game->m_Rect(-1.0f, -1.0f, w + 2.0f, h + 2.0f);

    // Bar length, kept in the drawing position's scratch field.
    int& barLength = game->f_PosY;
    const int maxBar = static_cast<int>(h * BAR_MAX_OF_HEIGHT);
    barLength = BAR_GROWTH * t > maxBar ? maxBar : BAR_GROWTH * t;
    const float b = static_cast<float>(barLength);

    // Bars growing from the left and the right edge.
    game->m_ResetDraw();
    game->m_SetCol(255.0f, 255.0f, 0.0f, 0.5f);
    game->m_Rect(-1.0f, 0.45f * h - 8.0f, 2.0f * b, BAR_THICKNESS);
    game->m_SetCol(255.0f, 128.0f, 0.0f, 0.5f);
    game->m_Rect(w - 2.0f * b, 0.55f * h - 8.0f, 2.0f * b + 1.0f, BAR_THICKNESS);

    // The words come in from the top and the bottom edge.
    game->m_ResetDraw();
    game->m_SetSize(WORD_SIZE);
    game->m_SetCol(255.0f, 180.0f, 180.0f, 1.0f);
    game->m_Text(0.35f * w, b, GAME_WORD, 1.0f, 1.0f);
    game->m_Text(0.65f * w, h - b, OVER_WORD, 1.0f, 1.0f);

    // Highscore banner with the place the score reaches (m_MyNth leaves it in f_Loop).
    const String nth = game->m_MyNth();
    const int& place = game->f_Loop;
    if (place >= 1) {
        const float bannerY = h - b / BANNER_RISE_DIVISOR;
        const float boxWidth = BANNER_WIDTH_OF_SCREEN * w;
        // Each glyph takes one advance; the longer of the two lines sets the size.
        const int longest = nth.Length() > BANNER_LENGTH ? nth.Length() : BANNER_LENGTH;
        float size = (boxWidth - 2.0f * BANNER_PADDING) / static_cast<float>(FONT_ADVANCE * longest);
        if (size > BANNER_TEXT_SIZE) size = BANNER_TEXT_SIZE;
        const float line = static_cast<float>(FONT_LINE_HEIGHT) * size;
        float boxHeight = 2.0f * line + 2.0f * BANNER_PADDING;
        if (boxHeight < BANNER_HEIGHT) boxHeight = BANNER_HEIGHT;
        game->m_SetSize(1.0f);
        game->m_SetCol(0.0f, 125.0f, 255.0f, 0.5f);
        game->m_Rect(0.5f * w - boxWidth / 2.0f, bannerY - boxHeight / 2.0f, boxWidth, boxHeight);
        game->m_SetSize(size);
        game->m_SetCol(100.0f, 255.0f, 100.0f, 1.0f);
        game->m_Text(0.5f * w, bannerY - line / 2.0f, BANNER, 1.0f, 1.0f);
        game->m_Text(0.5f * w, bannerY + line / 2.0f, nth, 1.0f, 1.0f);
    }
}

}  // namespace

int bb_Moxelpark_MyApp::m_GameOver() {
    // 1. Draw while the timer runs.
    if (f_GameOverTime > 0) draw_overlay(this, f_GameOverTime);

    // 2. Grow in play; hand over to the menu; shrink on the menu.
    if (f_GameMode == MODE_PLAY) {
        if (f_GameOverTime + 1 >= OVERLAY_SWITCH_TIME && HoldWatchedEnd()) return 0;
        f_GameOverTime += 1;
        if (f_GameOverTime >= OVERLAY_SWITCH_TIME) {
            f_GameMode = MODE_MENU_LOAD;
            f_GameOverTime = OVERLAY_MENU_TIME;
        }
    } else if (f_GameMode < MODE_PLAY) {
        f_GameOverTime = f_GameOverTime > OVERLAY_FADE_STEP ? f_GameOverTime - OVERLAY_FADE_STEP : 0;
    }
    return 0;
}

int bb_Moxelpark_MyApp::m_LoadMenu() {
    // A watched game's score is its replay's: no table hears of it.
    if (EndReplay()) return 0;
    if (f_GameType < 1 || f_GameType > GAME_TYPES) return 0;
    const int top = (f_GameType - 1) * TABLE_LENGTH;
    const int last = LAST_TEN_BASE + top;

    // Top ten: the first entry strictly below the score; the tenth drops out.
    int place = -1;
    for (f_Loop = 0; f_Loop < TABLE_LENGTH && place < 0; ++f_Loop) {
        if (f_HighScores[top + f_Loop] < f_Score) place = f_Loop;
    }
    if (place >= 0) {
        for (f_Loop = TABLE_LENGTH - 1; f_Loop > place; --f_Loop)
            f_HighScores[top + f_Loop] = f_HighScores[top + f_Loop - 1];
        f_HighScores[top + place] = f_Score;
    }

    // Last ten, always, zero included; the oldest drops out.
    for (f_Loop = TABLE_LENGTH - 1; f_Loop > 0; --f_Loop)
        f_HighScores[last + f_Loop] = f_HighScores[last + f_Loop - 1];
    f_HighScores[last] = f_Score;

    // The game itself follows its score, saved before the state is: a stop
    // in between leaves replays whose scores no longer match their places,
    // and those are not shown.
    RecordReplay(place);

    // The kept game learns that its score is in the tables before the state
    // is saved, and goes after it: however the program is stopped in
    // between, or a save fails, the score is in the tables once.
    RecordKeptGame();
    return 0;
}
