// art_sheets: the table of image sheets and the loop that paints one (see art.h).
#include "tools/art.h"
#include "tools/font.h"

namespace makedata {

const std::vector<SheetRecipe>& image_sheets() {
    // NOTE: the frame sizes and counts are the loader's; only the column counts are our choice.
    static const std::vector<SheetRecipe> sheets = {
        {"common/icons", 32, 32, 16, 4, draw_icons},
        {"common/Buttons", 64, 64, 16, 4, draw_buttons},
        {"common/dpad", 32, 32, 16, 4, draw_dpad},  // 4 across puts 1, 4, 5, 6, 9 in a cross
        {"common/icade", 64, 64, 2, 2, draw_icade},
        {"common/WexoLogo", 256, 256, 1, 1, draw_studio},
        {"fonts/editundo", FONT_CELL, FONT_CELL, FONT_GLYPHS, 16, draw_font_cell},
        {"menu", 256, 256, 4, 2, draw_menu},
        {"logo", 256, 128, 1, 1, draw_title},
        {"parts", 8, 8, 16, 4, draw_parts},
        {"BadgesA", 64, 64, 64, 8, draw_badge},
        {"gfx", 32, 32, 16, 4, draw_gfx},
    };
    return sheets;
}

Canvas render_sheet(const SheetRecipe& recipe, int factor) {
    int rows = (recipe.frames + recipe.columns - 1) / recipe.columns;
    Canvas canvas(recipe.frame_w * recipe.columns, recipe.frame_h * rows, factor);
    for (int i = 0; i < recipe.frames; ++i) {
        canvas.set_frame((i % recipe.columns) * recipe.frame_w, (i / recipe.columns) * recipe.frame_h,
                         recipe.frame_w, recipe.frame_h);
        recipe.draw(canvas, i);
    }
    return canvas;
}

}  // namespace makedata
