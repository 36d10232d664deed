// The credits box: a framed panel of six centred lines over the menu. It
// opens from the menu's logo button and closes on the next press anywhere
// (consumed, so it does not reach a menu button) or on the back action.
#include <array>

#include "game/game.h"

namespace {

constexpr float CREDITS_TEXT_SIZE = 1.5f;
constexpr float CREDITS_TOP = 0.24f;  // first line's top, as a fraction of the height

// The lines and the space below each.
struct CreditLine {
    const char* text;
    int step;
};
constexpr CreditLine CREDIT_LINES[] = {
    {"A Game By", 20}, {"The Moxelpark Team", 20}, {"moxelpark.example", 40}, {"Created using", 20},
    {"Vendle", 20},    {"vendle.example", 40},
};
constexpr int CREDIT_LINE_COUNT = sizeof(CREDIT_LINES) / sizeof(CREDIT_LINES[0]);

constexpr float CLOSE_RATE = 1.0f;
constexpr float CLOSE_VOLUME = 1.0f;

}  // namespace

int bb_Moxelpark_MyApp::m_CreditBox() {
    const float w = bb_Moxelpark_jscrw;
    const float h = bb_Moxelpark_jscrh;

    // 1 to 3. Frame and panel.
    m_ResetDraw();
    m_SetCol(255.0f, 125.0f, 0.0f, 0.8f);
    m_Rect(0.1f * w, 0.2f * h, 0.8f * w, 0.6f * h);
    m_SetCol(100.0f, 0.0f, 0.0f, 0.8f);
    m_Rect(0.12f * w, 0.22f * h, 0.76f * w, 0.56f * h);

    // 4, 5. The lines, centred, each top at 0.24 h plus the steps so far.
    m_SetCol(WHITE, WHITE, WHITE, 1.0f);
    m_SetSize(CREDITS_TEXT_SIZE);
    // The texts are built once: the box is drawn every update while it is open.
    static const std::array<String, CREDIT_LINE_COUNT> texts = [] {
        std::array<String, CREDIT_LINE_COUNT> t;
        for (int i = 0; i < CREDIT_LINE_COUNT; ++i) t[i] = String(CREDIT_LINES[i].text);
        return t;
    }();
    f_PosY = 0;
    for (int i = 0; i < CREDIT_LINE_COUNT; ++i) {
        m_Text(0.5f * w, CREDITS_TOP * h + static_cast<float>(f_PosY), texts[i], 1.0f, 0.0f);
        f_PosY += CREDIT_LINES[i].step;
    }

    // 6. A fresh press anywhere closes the box and is used up.
    if (f_PointerDown > 0 && f_PointerUsed == 0) {
        f_PointerUsed = 1;
        f_ShowCredits = 0;
        m_PlaySFX(SFX_SWITCH, CLOSE_RATE, CLOSE_VOLUME, 0.0f);
    }
    return 0;
}
