// font: the game's bitmap font and the framework's strip font.
//
// Every glyph is a grid of at most 6 by 9 pixels ('#' ink) in font_glyphs.cpp. The game's sheet
// ("fonts/editundo") puts the glyph of character 32 + n in the 16 by 16 cell n, centred by its ink across
// and on a fixed 9-row line box down, so an advance of 7 and a line height of 10 read cleanly. The same
// glyphs fill "tesk_font.png" and letter the title logo and the contact sheet.
//
// Depends on: raster.
#ifndef MOXEL_TOOLS_FONT_H
#define MOXEL_TOOLS_FONT_H

#include <string>
#include <vector>

#include "tools/raster.h"

namespace makedata {

constexpr int FONT_FIRST_CHAR = 32;
constexpr int FONT_GLYPHS = 128;  // character codes 32 to 159
constexpr int FONT_CELL = 16;
constexpr int GLYPH_ROWS = 9;
constexpr int GLYPH_TOP = 4;  // first row of the line box inside a cell: rows 4 to 12

// The glyph of a character code from 32 to 159: GLYPH_ROWS strings of '#' and '.'.
const std::vector<std::string>& glyph(int code);

// Draws frame n of the game's font sheet (the glyph of code 32 + n) into a frame set on the canvas.
void draw_font_cell(Canvas& canvas, int frame);

// The framework font: 96 glyphs (codes 32 to 127) in one strip, each frame with a one-pixel border left
// and right. Factor 1 only; the framework never asks for larger variants.
Canvas make_strip_font();

// Width of a text drawn by draw_text, in font pixels (multiply by the pixel size).
int text_width(const std::string& text);

// Draws a text glyph by glyph with proportional spacing, each font pixel a square of `pixel` units.
// `round` rounds the squares' corners, for big lettering; `row_colours`, if given, holds one colour per
// glyph row and replaces `colour` (for lettering shaded top to bottom).
void draw_text(Canvas& canvas, float x, float y, const std::string& text, float pixel, Rgba colour,
               bool round = false, const Rgba* row_colours = nullptr);

namespace detail {
// The glyph source: bands of up to 16 glyphs side by side, 5 columns each, one space between.
struct GlyphBand {
    int first_code;
    const char* rows;
};
extern const GlyphBand GLYPH_BANDS[];
extern const int GLYPH_BAND_COUNT;
}  // namespace detail

}  // namespace makedata

#endif  // MOXEL_TOOLS_FONT_H
