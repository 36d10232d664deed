// art: the game's image sheets, each drawn by code into a grid of frames.
//
// The table in art_sheets.cpp lists every sheet the game loads: its file base name, the frame size at
// factor 1, the frame count the loader asks for and how many frames sit in one row of the sheet. A sheet
// is always a whole number of frames wide and holds at least the frame count, so every grab fits at every
// factor. Each sheet has one drawing routine that paints one frame with its origin at the frame's corner;
// art_play.cpp holds the play screen's sheets, art_controls.cpp the buttons and icons, art_titles.cpp the
// logos, the menu backdrop and the badges.
//
// Depends on: raster, font.
#ifndef MOXEL_TOOLS_ART_H
#define MOXEL_TOOLS_ART_H

#include <string>
#include <vector>

#include "tools/raster.h"

namespace makedata {

using DrawFrame = void (*)(Canvas& canvas, int frame);

struct SheetRecipe {
    std::string name;  // file base name under data/, e.g. "common/icons"
    int frame_w, frame_h;
    int frames;
    int columns;  // frames per row of the sheet
    DrawFrame draw;
};

// Every image sheet of the game, in loader order.
const std::vector<SheetRecipe>& image_sheets();

// Draws a whole sheet at a resolution factor (1, 2 or 4).
Canvas render_sheet(const SheetRecipe& recipe, int factor);

// Frame painters, one per sheet.
void draw_gfx(Canvas& c, int frame);      // art_play.cpp
void draw_parts(Canvas& c, int frame);    // art_play.cpp
void draw_icons(Canvas& c, int frame);    // art_controls.cpp
void draw_buttons(Canvas& c, int frame);  // art_controls.cpp
void draw_dpad(Canvas& c, int frame);     // art_controls.cpp
void draw_icade(Canvas& c, int frame);    // art_controls.cpp
void draw_studio(Canvas& c, int frame);   // art_titles.cpp
void draw_title(Canvas& c, int frame);    // art_titles.cpp
void draw_menu(Canvas& c, int frame);     // art_titles.cpp
void draw_badge(Canvas& c, int frame);    // art_titles.cpp

// A bullseye target of the given radius, shared by the play sheet and the game-type buttons.
void draw_target(Canvas& c, float cx, float cy, float r);

}  // namespace makedata

#endif  // MOXEL_TOOLS_ART_H
