// font: parsing the glyph bands and drawing the two font sheets (see font.h).
#include "tools/font.h"

#include <algorithm>

namespace makedata {

namespace {

constexpr int BAND_COLUMNS = 5;    // columns of one glyph in a band
constexpr int STRIP_FRAME_W = 8;   // tesk_font frame: 1 border + 6 glyph + 1 border
constexpr int STRIP_FRAME_H = 11;  // 9 glyph rows with one blank row above and below
constexpr int STRIP_GLYPHS = 96;
constexpr int SPACE_ADVANCE = 4;  // font pixels

const Rgba INK = rgb(255, 255, 255);

// The "missing glyph" box, for codes that have no picture.
const std::vector<std::string> MISSING = {".....", "#####", "#...#", "#...#", "#...#",
                                          "#...#", "#####", ".....", "....."};

// Splits every band into glyphs and files them by character code.
std::vector<std::vector<std::string>> build_table() {
    std::vector<std::vector<std::string>> table(FONT_GLYPHS, MISSING);
    for (int b = 0; b < detail::GLYPH_BAND_COUNT; ++b) {
        const detail::GlyphBand& band = detail::GLYPH_BANDS[b];
        std::vector<std::vector<std::string>> glyphs = split_band(band.rows, BAND_COLUMNS);
        for (size_t g = 0; g < glyphs.size(); ++g) table[band.first_code - FONT_FIRST_CHAR + g] = glyphs[g];
    }
    return table;
}

// First and one-past-last inked column of a glyph; {0, 0} when it has no ink.
std::pair<int, int> ink_columns(const std::vector<std::string>& rows) {
    int lo = 99, hi = 0;
    for (const std::string& row : rows) {
        for (int c = 0; c < int(row.size()); ++c) {
            if (row[c] != '#') continue;
            lo = std::min(lo, c);
            hi = std::max(hi, c + 1);
        }
    }
    return lo > hi ? std::pair{0, 0} : std::pair{lo, hi};
}

// How far the pen moves past a glyph inked from column lo to hi (one past the last): its ink and one
// blank column; a space, which has no ink, moves it SPACE_ADVANCE.
int advance(unsigned char ch, int lo, int hi) {
    return ch == ' ' ? SPACE_ADVANCE : hi - lo + 1;
}

// Draws a glyph with its first inked column at x.
void blit_glyph(Canvas& canvas, int x, int y, const std::vector<std::string>& rows) {
    int left = ink_columns(rows).first;
    for (int r = 0; r < int(rows.size()); ++r)
        for (int c = left; c < int(rows[r].size()); ++c)
            if (rows[r][c] == '#') canvas.dot(x + c - left, y + r, INK);
}

}  // namespace

const std::vector<std::string>& glyph(int code) {
    static const std::vector<std::vector<std::string>> table = build_table();
    return table[std::clamp(code - FONT_FIRST_CHAR, 0, FONT_GLYPHS - 1)];
}

// NOTE: centred by ink across (a 5-wide glyph starts at column 6), so the game's pen, which sits on the
// cell centre, lands on the middle of every letter; rows stay fixed so letters share one baseline.
void draw_font_cell(Canvas& canvas, int frame) {
    const std::vector<std::string>& rows = glyph(FONT_FIRST_CHAR + frame);
    auto [lo, hi] = ink_columns(rows);
    blit_glyph(canvas, (FONT_CELL - (hi - lo) + 1) / 2, GLYPH_TOP, rows);
}

Canvas make_strip_font() {
    Canvas strip(STRIP_FRAME_W * STRIP_GLYPHS, STRIP_FRAME_H, 1);
    for (int i = 0; i < STRIP_GLYPHS; ++i) {
        const std::vector<std::string>& rows = glyph(FONT_FIRST_CHAR + i);
        auto [lo, hi] = ink_columns(rows);
        strip.set_frame(i * STRIP_FRAME_W, 0, STRIP_FRAME_W, STRIP_FRAME_H);
        blit_glyph(strip, 1 + (6 - (hi - lo)) / 2, 1, rows);
    }
    return strip;
}

int text_width(const std::string& text) {
    int w = 0;
    for (unsigned char ch : text) {
        auto [lo, hi] = ink_columns(glyph(ch));
        w += advance(ch, lo, hi);
    }
    return std::max(0, w - 1);
}

void draw_text(Canvas& canvas, float x, float y, const std::string& text, float pixel, Rgba colour,
               bool round, const Rgba* row_colours) {
    for (unsigned char ch : text) {
        const std::vector<std::string>& rows = glyph(ch);
        auto [lo, hi] = ink_columns(rows);
        for (int r = 0; r < GLYPH_ROWS; ++r) {
            for (int c = lo; c < hi; ++c) {
                if (rows[r][c] != '#') continue;
                float px = x + (c - lo) * pixel, py = y + r * pixel;
                Rgba ink = row_colours ? row_colours[r] : colour;
                if (round)
                    canvas.round_rect(px, py, pixel, pixel, pixel * 0.3f, ink);
                else
                    canvas.rect(px, py, pixel, pixel, ink);
            }
        }
        x += advance(ch, lo, hi) * pixel;
    }
}

}  // namespace makedata
