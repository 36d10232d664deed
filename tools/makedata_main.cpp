// moxel_makedata: writes the game's whole data directory from the art and sound recipes in this folder.
//
//   moxel_makedata DATA_DIR [CONTACT_SHEET_PNG]
//
// Every image sheet goes out as NAME.png, NAME-hd.png and NAME-hd2.png (twice and four times the pixels),
// then the framework's strip font tesk_font.png and the sound effects under sfx/. The output depends on
// nothing but this source, so two runs give identical files. The optional contact sheet puts every image
// at factor 1 on one picture over the game's dark blue, for judging the art at a glance.
//
// Depends on: raster, font, art, synth.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "tools/art.h"
#include "tools/font.h"
#include "tools/synth.h"

namespace {

using namespace makedata;

struct Variant {
    int factor;
    const char* suffix;
};
constexpr Variant VARIANTS[] = {{1, ""}, {2, "-hd"}, {4, "-hd2"}};

const Rgba PLAY_BLUE = rgb(0, 0, 80);
constexpr int SHEET_WIDTH = 1100;  // contact sheet width
constexpr int SHEET_GAP = 12;
constexpr int LABEL_HEIGHT = 14;

// Creates the parent directory of a file path; false on failure.
bool make_parent(const std::filesystem::path& file) {
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    return !ec;
}

bool save_png(const std::filesystem::path& path, const Canvas& canvas) {
    if (make_parent(path) && write_png(path.string(), canvas)) return true;
    std::fprintf(stderr, "moxel_makedata: cannot write %s\n", path.string().c_str());
    return false;
}

// One labelled picture of the contact sheet.
struct Tile {
    std::string label;
    Canvas picture;
};

// Lays the tiles out in rows over the dark blue and writes the sheet.
bool write_contact_sheet(const std::filesystem::path& path, const std::vector<Tile>& tiles) {
    struct Place {
        int x, y;
    };
    std::vector<Place> places;
    int x = SHEET_GAP, y = SHEET_GAP, row_height = 0;
    for (const Tile& t : tiles) {
        int w = std::max(t.picture.pixel_width(), text_width(t.label));
        if (x + w > SHEET_WIDTH - SHEET_GAP && x > SHEET_GAP) {
            x = SHEET_GAP;
            y += row_height + SHEET_GAP;
            row_height = 0;
        }
        places.push_back({x, y});
        x += w + SHEET_GAP;
        row_height = std::max(row_height, LABEL_HEIGHT + t.picture.pixel_height());
    }
    Canvas sheet(SHEET_WIDTH, y + row_height + SHEET_GAP, 1);
    sheet.rect(0, 0, float(SHEET_WIDTH), float(sheet.pixel_height()), PLAY_BLUE);
    for (size_t i = 0; i < tiles.size(); ++i) {
        draw_text(sheet, float(places[i].x), float(places[i].y), tiles[i].label, 1, rgb(255, 255, 160));
        sheet.paste(tiles[i].picture, places[i].x, places[i].y + LABEL_HEIGHT);
    }
    return save_png(path, sheet);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: moxel_makedata DATA_DIR [CONTACT_SHEET_PNG]\n");
        return 2;
    }
    const std::filesystem::path out = argv[1];
    bool ok = true;
    std::vector<Tile> tiles;

    for (const SheetRecipe& recipe : image_sheets()) {
        for (const Variant& v : VARIANTS) {
            Canvas sheet = render_sheet(recipe, v.factor);
            ok = save_png(out / (recipe.name + v.suffix + ".png"), sheet) && ok;
            if (v.factor == 1) tiles.push_back({recipe.name, std::move(sheet)});
        }
    }
    Canvas strip = make_strip_font();
    ok = save_png(out / "tesk_font.png", strip) && ok;
    tiles.push_back({"tesk_font", std::move(strip)});

    for (const SoundFile& sound : make_sounds()) {
        std::filesystem::path path = out / sound.name;
        if (!make_parent(path) || !write_wav(path.string(), sound.samples)) {
            std::fprintf(stderr, "moxel_makedata: cannot write %s\n", path.string().c_str());
            ok = false;
        }
    }

    if (argc == 3) ok = write_contact_sheet(argv[2], tiles) && ok;
    return ok ? 0 : 1;
}
