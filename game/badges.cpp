// Badges: the texts of the badge table, the announcement rows that slide in
// at the bottom left over every screen, and the badges box over the menu.
//
// This game has the machinery but a single placeholder badge; nothing in play
// awards one or starts an announcement. The flags are still saved and loaded
// (save.cpp), and the rows are processed every update.
#include "game/game.h"

namespace {

// The badge table: "name|detail" per id.
constexpr const char* TEST_BADGE = "Test Badge|This is a Test Badge which has no purpose.";
constexpr char16_t TEXT_SEPARATOR = '|';

// The separator as a text, built once: announcement rows ask for names every update.
const String& separator() {
    static const String separator(&TEXT_SEPARATOR, 1);
    return separator;
}

// Announcement rows: only the first 13 of the 15 are shown.
constexpr int SHOWN_ROWS = 13;
constexpr int ROW_WIDTH = 160;
constexpr float ROW_HEIGHT = 32.0f;
constexpr int ROW_PITCH = 34;
constexpr int ROW_SLIDE_SPEED = 16;
// The row slides in, rests until this timer value, then slides out until the end.
constexpr int ROW_REST_END = 230;
constexpr int ROW_END = 240;
constexpr float ROW_TEXT_X = 16.0f;
constexpr float ROW_TEXT_Y = 4.0f;
constexpr float ROW_PICTURE_X = 144.0f;
constexpr float ROW_PICTURE_Y = 16.0f;
constexpr float ROW_PICTURE_SIZE = 0.5f;
// Badge pictures: frames 0 to 63 of the "BadgesA" sheet.
constexpr int BADGE_PICTURES = 64;

// The badges box.
constexpr float BOX_SCROLL_STEP = 16.0f;
constexpr float BOX_DRAG_FACTOR = 1.5f;
constexpr float BOX_EASE_DIVISOR = 6.0f;
constexpr float BOX_SNAP_DISTANCE = 6.0f;

}  // namespace

// ---- Texts ----

String bb_Moxelpark_MyApp::m_BadgeID(int id) {
    if (id == 0) return String(TEST_BADGE);
    return String();
}

String bb_Moxelpark_MyApp::m_BadgeName(int id) {
    String text = m_BadgeID(id);
    int bar = text.Find(separator());
    return bar < 0 ? text : text.Slice(0, bar);
}

String bb_Moxelpark_MyApp::m_BadgeDetail(int id) {
    String text = m_BadgeID(id);
    int first = text.Find(separator());
    if (first < 0) return String();
    int second = text.Find(separator(), first + 1);
    return second < 0 ? text.Slice(first + 1) : text.Slice(first + 1, second);
}

// ---- Announcements ----

int bb_Moxelpark_MyApp::m_ShowBadges() {
    m_ResetDraw();
    for (f_Loop = 0; f_Loop < SHOWN_ROWS; ++f_Loop) {
        // 1. An idle row is skipped; a busy one counts on.
        int t = f_BadgeTimer[f_Loop];
        if (t == 0) continue;
        // NOTE: a timer past the end only has one more update to live; holding
        // it there keeps the arithmetic below in range.
        t = t > ROW_END ? ROW_END + 1 : t + 1;
        f_BadgeTimer[f_Loop] = t;

        // 2. Slide in, rest, slide out; the row is drawn once more in the update it ends.
        int x = ROW_SLIDE_SPEED * t - ROW_WIDTH;
        if (t > ROW_REST_END) x = ROW_SLIDE_SPEED * (ROW_END - t) - ROW_WIDTH;
        if (x > 0) x = 0;
        if (t > ROW_END) f_BadgeTimer[f_Loop] = 0;

        // 3 to 6. Row 0 at the bottom, each next row higher.
        const float fx = static_cast<float>(x);
        const float fy = bb_Moxelpark_jscrh - static_cast<float>(ROW_PITCH * (f_Loop + 1));
        const int id = f_BadgeQueue[f_Loop];
        m_SetCol(0.0f, 0.0f, 80.0f, 0.8f);
        m_Rect(fx, fy, static_cast<float>(ROW_WIDTH), ROW_HEIGHT);
        m_SetCol(WHITE, WHITE, WHITE, 1.0f);
        m_Text(fx + ROW_TEXT_X, fy + ROW_TEXT_Y, m_BadgeName(id), 0.0f, 0.0f);
        // Only ids with a frame on the sheet have a picture.
        if (id >= 0 && id < BADGE_PICTURES) {
            m_SetSize(ROW_PICTURE_SIZE);
            m_DrawImg(SLOT_BADGES, fx + ROW_PICTURE_X, fy + ROW_PICTURE_Y, static_cast<float>(id));
            m_SetSize(1.0f);
        }
    }
    return 0;
}

// ---- The badges box ----

int bb_Moxelpark_MyApp::m_BadgesBox() {
    const float w = bb_Moxelpark_jscrw;
    const float h = bb_Moxelpark_jscrh;

    // Frame and panel, full height.
    m_ResetDraw();
    m_SetCol(255.0f, 125.0f, 0.0f, 0.8f);
    m_Rect(0.1f * w, -1.0f, 0.8f * w, h + 2.0f);
    m_SetCol(100.0f, 0.0f, 0.0f, 0.8f);
    m_Rect(0.12f * w, -1.0f, 0.76f * w, h + 2.0f);
    m_SetCol(WHITE, WHITE, WHITE, 1.0f);
    f_BadgeSel = -1;

    // Scrolling by keys (never past the top), then by dragging.
    if (m_PlayKey(ACTION_UP)) f_BadgeScrollTo -= BOX_SCROLL_STEP;
    if (m_PlayKey(ACTION_DOWN)) f_BadgeScrollTo += BOX_SCROLL_STEP;
    if (f_BadgeScrollTo > 0.0f) f_BadgeScrollTo = 0.0f;
    if (f_PointerDown > 0 && static_cast<float>(f_MouseX) > 0.12f * w) {
        f_BadgeScrollTo += BOX_DRAG_FACTOR * static_cast<float>(f_MouseY - f_OldMouseY);
    }
    f_BadgeScroll += (f_BadgeScrollTo - f_BadgeScroll) / BOX_EASE_DIVISOR;
    float left = f_BadgeScrollTo - f_BadgeScroll;
    if (left < BOX_SNAP_DISTANCE && left > -BOX_SNAP_DISTANCE) f_BadgeScroll = f_BadgeScrollTo;
    // The box lists no badges: this game has none to show.
    return 0;
}
