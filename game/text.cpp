// Text in the bitmap font, image buttons and touch zones, and two small text
// formatters: right-aligned numbers and the ordinal of a score.
//
// Text is drawn glyph by glyph through the display list; its metrics (advance
// and line height) are those given when the font was loaded. Hit tests use the
// pointer and touch positions sampled at the start of the update, with strict
// edges: a press exactly on an edge does not count.
#include <cmath>

#include "game/game.h"

namespace {

constexpr char16_t CHAR_BACKSLASH = 92;
constexpr char16_t CHAR_LETTER_N = 110;
constexpr char16_t CHAR_FIRST_GLYPH = 33;
constexpr char16_t CHAR_LAST_GLYPH = 159;

// m_rstr builds widths up to this in place; wider ones take the general path.
constexpr int RSTR_BUFFER = 64;
constexpr char16_t CHAR_DIGIT_0 = 48;
constexpr char16_t CHAR_MINUS = 45;

}  // namespace

// ---- Text ----

int bb_Moxelpark_MyApp::m_Text(float x, float y, String text, float ax, float ay) {
    float advance = static_cast<float>(ImageInfo(f_FontSlot, IMAGE_INFO_WIDTH));
    float lineHeight = static_cast<float>(ImageInfo(f_FontSlot, IMAGE_INFO_HEIGHT));
    float r = f_Rotation * DEG_TO_RAD;
    int n = text.Length();

    // Writing direction u and line direction v.
    float ux = std::cos(r), uy = -std::sin(r);
    float vx = std::sin(r), vy = std::cos(r);
    // NOTE: the alignment width counts every character, line breaks included,
    // so all lines of a text start at the same point.
    float width = advance * f_SizeX * static_cast<float>(n - 1);
    float line = lineHeight * f_SizeY;
    float startX = x - ux * (width * ax / 2.0f) - vx * (line * (ay - 1.0f) / 2.0f);
    float startY = y - uy * (width * ax / 2.0f) - vy * (line * (ay - 1.0f) / 2.0f);
    float stepX = ux * advance * f_SizeX;
    float stepY = uy * advance * f_SizeX;

    float penX = startX, penY = startY;
    int lines = 0;
    for (int i = 0; i < n; ++i) {
        char16_t c = text[i];
        if (c == CHAR_BACKSLASH && i + 1 < n && text[i + 1] == CHAR_LETTER_N) {
            ++lines;
            penX = startX + vx * line * static_cast<float>(lines);
            penY = startY + vy * line * static_cast<float>(lines);
            ++i;
            continue;
        }
        if (c == 0) continue;
        if (c == CHAR_BACKSLASH) {
            m_DrawImg(f_FontSlot, penX, penY, static_cast<float>(FONT_BACKSLASH_FRAME));
        } else if (c >= CHAR_FIRST_GLYPH && c <= CHAR_LAST_GLYPH) {
            m_DrawImg(f_FontSlot, penX, penY, static_cast<float>(c - FONT_FIRST_CHAR));
        }
        penX += stepX;
        penY += stepY;
    }
    return 0;
}

// ---- Buttons and zones ----

namespace {

// Half the size of a slot's frame in logical units at the current draw size.
void button_half_size(const bb_Moxelpark_MyApp* game, int slot, float* hw, float* hh) {
    *hw = game->f_ImageScale * static_cast<float>(game->ImageInfo(slot, IMAGE_INFO_WIDTH)) * game->f_SizeX *
          0.5f;
    *hh = game->f_ImageScale * static_cast<float>(game->ImageInfo(slot, IMAGE_INFO_HEIGHT)) * game->f_SizeY *
          0.5f;
}

// Whether a touch position lies strictly inside the box of half size hw, hh around (x, y).
bool strictly_inside(int tx, int ty, float x, float y, float hw, float hh) {
    float fx = static_cast<float>(tx), fy = static_cast<float>(ty);
    return x - hw < fx && fx < x + hw && y - hh < fy && fy < y + hh;
}

}  // namespace

int bb_Moxelpark_MyApp::m_Button(int slot, float x, float y, int frame) {
    m_DrawImg(slot, x, y, static_cast<float>(frame));
    float hw, hh;
    button_half_size(this, slot, &hw, &hh);
    // NOTE: the per-touch down flag is not consulted: a touch that is up sits
    // at TOUCH_UP, outside every button on screen.
    f_ButtonHit = 0;
    for (f_Loop = 0; f_Loop < TOUCH_POINTS; ++f_Loop) {
        if (strictly_inside(f_TouchX[f_Loop], f_TouchY[f_Loop], x, y, hw, hh) && f_PointerDown > 0)
            f_ButtonHit = 1;
    }
    return f_ButtonHit;
}

bool bb_Moxelpark_MyApp::m_Button0(int slot, float x, float y, int frame) {
    m_DrawImg(slot, x, y, static_cast<float>(frame));
    float hw, hh;
    button_half_size(this, slot, &hw, &hh);
    return strictly_inside(f_TouchX[0], f_TouchY[0], x, y, hw, hh) && f_PointerDown > 0;
}

bool bb_Moxelpark_MyApp::m_MouseIn(float x, float y, float w, float h) {
    bool inside = false;
    for (f_Loop = 0; f_Loop < TOUCH_POINTS; ++f_Loop) {
        if (f_TouchDown[f_Loop] == 0) continue;
        float tx = static_cast<float>(f_TouchX[f_Loop]), ty = static_cast<float>(f_TouchY[f_Loop]);
        if (x < tx && tx < x + w && y < ty && ty < y + h) inside = true;
    }
    return inside;
}

// ---- Formatters ----

// NOTE: the text is `pad` repeated width + 1 times followed by the number, cut
// to its last `width` characters. The menu and the play screen format scores
// every update, so the usual widths are built right to left in one buffer and
// allocate only the result; f_Loop ends where the padding loop leaves it.
String bb_Moxelpark_MyApp::m_rstr(int value, int width, String pad) {
    if (width > RSTR_BUFFER) {
        String s = pad;
        for (f_Loop = 1; f_Loop <= width; ++f_Loop) s = s + pad;
        s = s + String(value);
        int from = s.Length() - width;
        return s.Slice(from < 0 ? 0 : from);
    }
    f_Loop = width >= 1 ? width + 1 : 1;
    if (width <= 0) return String();
    char16_t text[RSTR_BUFFER];
    int n = 0;
    // The decimal number, last digit first; unsigned so that INT_MIN negates.
    unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    do {
        if (n < width) text[RSTR_BUFFER - 1 - n++] = static_cast<char16_t>(CHAR_DIGIT_0 + magnitude % 10u);
        magnitude /= 10u;
    } while (magnitude != 0);
    if (value < 0 && n < width) text[RSTR_BUFFER - 1 - n++] = CHAR_MINUS;
    const int padLength = pad.Length();
    const int padTotal = padLength * (width + 1);
    for (int k = 0; k < padTotal && n < width; ++k) {
        text[RSTR_BUFFER - 1 - n++] = pad[padLength - 1 - k % padLength];
    }
    return String(text + RSTR_BUFFER - n, n);
}

String bb_Moxelpark_MyApp::m_MyNth() {
    f_Loop = 0;
    if (f_GameType < 1 || f_GameType > GAME_TYPES) return String();
    // The ordinals of places 1 to 10, built once: the game-over overlay asks every update.
    static const String ORDINALS[TABLE_LENGTH] = {String("1st!"), String("2nd"), String("3rd"), String("4th"),
                                                  String("5th"),  String("6th"), String("7th"), String("8th"),
                                                  String("9th"),  String("10th")};
    int base = (f_GameType - 1) * TABLE_LENGTH;
    // NOTE: an equal score takes the place of the entry it equals; insertion
    // into the table needs a strictly greater one.
    for (int i = 0; i < TABLE_LENGTH; ++i) {
        if (f_Score >= f_HighScores[base + i]) {
            f_Loop = i + 1;
            return ORDINALS[i];
        }
    }
    return String();
}
