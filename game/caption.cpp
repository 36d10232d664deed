// The hole's caption: "Hole 3" at the start of every hole, and at a new hole a
// line saying where its balls came from, fading away within two seconds. It
// is drawn over the finished play screen and takes no input; on a narrow
// screen it keeps clear of the edges and of the meter.
#include <algorithm>

#include "game/game.h"

namespace {

constexpr int CAPTION_UPDATES = 120;  // two seconds at 60 updates
constexpr int CAPTION_FADE_UPDATES = 60;
constexpr float CAPTION_Y_FROM_CENTRE = 72.0f;  // above the middle of the sky
constexpr float CAPTION_LINE_GAP = 24.0f;
constexpr float CAPTION_SIZE = 2.0f;
constexpr float CAPTION_LINE_SIZE = 1.0f;
constexpr float CAPTION_ALPHA = 0.8f;
// The score's green for the line about the balls.
constexpr float LINE_RED = 100.0f, LINE_GREEN = 255.0f, LINE_BLUE = 100.0f;
// On a narrow screen the caption keeps clear of the edges, where a line too
// wide is drawn smaller, and of the meter's column at the right edge (the
// slider reaches this far in): reaching into it, the caption goes up above the
// balls left, its line this far above the middle.
constexpr float CAPTION_MARGIN = 4.0f;
constexpr float METER_COLUMN_FROM_RIGHT = 72.0f;
constexpr float CAPTION_LINE_ABOVE_METER = 132.0f;

// The width of a text of n glyphs at a size: one advance each.
float text_width(int n, float size) {
    return static_cast<float>(FONT_ADVANCE * n) * size;
}

}  // namespace

void bb_Moxelpark_MyApp::StartHoleCaption(int ballsGained) {
    f_CaptionHole = f_Hole;
    f_CaptionTime = CAPTION_UPDATES;
    captionText_ = String("Hole ") + String(f_Hole);
    captionLine_ = String();
    if (ballsGained < 0) return;
    captionLine_ = String("+") + String(BALLS_PER_HOLE) + String(" balls");
    const int bonus = ballsGained - BALLS_PER_HOLE;
    if (bonus == 1) {
        captionLine_ = captionLine_ + String(", +1 for an untouched bonus object");
    } else if (bonus > 1) {
        captionLine_ = captionLine_ + String(", +") + String(bonus) + String(" for untouched bonus objects");
    }
}

void bb_Moxelpark_MyApp::DrawHoleCaption() {
    if (f_CaptionTime <= 0) return;
    float fade = static_cast<float>(f_CaptionTime) / static_cast<float>(CAPTION_FADE_UPDATES);
    if (fade > 1.0f) fade = 1.0f;
    const float w = bb_Moxelpark_jscrw;
    const float x = w * 0.5f;
    const int lineLength = captionLine_.Length();
    float lineSize = CAPTION_LINE_SIZE;
    if (lineLength > 0 && text_width(lineLength, lineSize) > w - 2.0f * CAPTION_MARGIN)
        lineSize = (w - 2.0f * CAPTION_MARGIN) / text_width(lineLength, 1.0f);
    const float widest =
        std::max(text_width(captionText_.Length(), CAPTION_SIZE), text_width(lineLength, lineSize));
    float y = bb_Moxelpark_jscrh * 0.5f - CAPTION_Y_FROM_CENTRE;
    if (x + widest * 0.5f > w - METER_COLUMN_FROM_RIGHT)
        y = bb_Moxelpark_jscrh * 0.5f - CAPTION_LINE_ABOVE_METER - CAPTION_LINE_GAP;
    m_ResetDraw();
    m_SetSize(CAPTION_SIZE);
    m_SetCol(WHITE, WHITE, WHITE, CAPTION_ALPHA * fade);
    m_Text(x, y, captionText_, 1.0f, 1.0f);
    if (lineLength > 0) {
        m_SetSize(lineSize);
        m_SetCol(LINE_RED, LINE_GREEN, LINE_BLUE, CAPTION_ALPHA * fade);
        m_Text(x, y + CAPTION_LINE_GAP, captionLine_, 1.0f, 1.0f);
    }
    f_CaptionTime -= 1;
}
