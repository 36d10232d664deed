// The layout of one frame as boxes: every text line and every button the
// frame drew, each as the box of its visible pixels (its ink) in logical
// units, taken from the display list and the generated pictures, and the
// faults of a layout: two items of one layer whose ink overlaps (more than a
// corner touch), an item that runs past the edge of the logical screen.
//
// What counts: the lines of every m_Text, every m_Button's picture, the title
// picture and the power meter's bars. What does not: backgrounds, panels,
// veils, the ground and the sky, the backdrop, the course (golfer, targets,
// ball, the predicted path), and the marks drawn on a button (the selected
// type's frame, the pause panel's highlight ring), which may lie under or on a
// text. A text or button of an overlay (a box, the pause panel, the game-over
// overlay, a badge row) is compared only with the other texts and buttons of
// the same overlay: it is drawn over what lies under it.
#ifndef MOXEL_TESTS_SUPPORT_LAYOUT_BOXES_H
#define MOXEL_TESTS_SUPPORT_LAYOUT_BOXES_H

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/picture.h"
#include "tests/support/recording_game.h"

namespace test_support {

// A box in logical units; right and bottom are the far edges.
struct Box {
    float left = 0, top = 0, right = 0, bottom = 0;

    bool Empty() const { return right <= left || bottom <= top; }
    // Whether the two share some area (touching edges do not).
    bool Meets(const Box& o) const {
        return left < o.right && o.left < right && top < o.bottom && o.top < bottom;
    }
    void Add(const Box& o) {
        if (o.Empty()) return;
        if (Empty()) {
            *this = o;
            return;
        }
        left = std::min(left, o.left);
        top = std::min(top, o.top);
        right = std::max(right, o.right);
        bottom = std::max(bottom, o.bottom);
    }
};

inline std::ostream& operator<<(std::ostream& out, const Box& b) {
    return out << "(" << b.left << ", " << b.top << ") to (" << b.right << ", " << b.bottom << ")";
}

// One text line or button of a frame: the box of its ink, and the image
// entries (glyphs, a button's picture) or rectangles it is made of.
struct LayoutItem {
    std::string what;
    std::string layer;  // "screen", or the overlay it belongs to
    Box ink;
    std::vector<game_test::DrawEntry> pieces;
    std::string text;  // of a text line: the whole text, and the line's number from 1
    int line = 0;
};

// The ink of every frame of the pictures that texts and buttons use, in the
// variant the game has loaded.
class InkAtlas {
  public:
    explicit InkAtlas(const bb_Moxelpark_MyApp& game) : factor_(game.f_HiRes) {
        const std::string suffix = factor_ == HIRES_HD2 ? "-hd2" : factor_ == HIRES_HD ? "-hd" : "";
        const struct {
            int slot;
            const char* name;
        } sheets[] = {{SLOT_FONT, "fonts/editundo"},
                      {SLOT_ICONS, "common/icons"},
                      {SLOT_BUTTONS, "common/Buttons"},
                      {SLOT_ICADE, "common/icade"},
                      {SLOT_AUTHOR, "common/WexoLogo"},
                      {SLOT_LOGO, "logo"},
                      {SLOT_GFX, "gfx"},
                      {SLOT_BADGES, "BadgesA"}};
        for (const auto& s : sheets) {
            Sheet& sheet = sheets_[s.slot];
            sheet.picture = load("data/" + std::string(s.name) + suffix + ".png");
            // The font's info holds its advance and line height; its cells are square.
            sheet.frameW =
                s.slot == SLOT_FONT ? FONT_CELL * factor_ : game.ImageInfo(s.slot, IMAGE_INFO_WIDTH);
            sheet.frameH =
                s.slot == SLOT_FONT ? FONT_CELL * factor_ : game.ImageInfo(s.slot, IMAGE_INFO_HEIGHT);
        }
    }

    bool Loaded() const {
        for (const auto& s : sheets_) {
            if (s.second.picture.w == 0 || s.second.frameW <= 0) return false;
        }
        return true;
    }

    // The ink of an image entry in logical units: the frame drawn about its
    // centre at the entry's size, f_ImageScale logical units a pixel.
    Box InkOf(const game_test::DrawEntry& e, float imageScale) const {
        auto found = sheets_.find(static_cast<int>(e.kind));
        if (found == sheets_.end()) return {};
        const Sheet& s = found->second;
        const int columns = s.picture.w / s.frameW;
        const int n = static_cast<int>(e.frame);
        if (columns <= 0 || n < 0 || (n / columns + 1) * s.frameH > s.picture.h) return {};
        const Ink ink = ink_of(s.picture, n % columns * s.frameW, n / columns * s.frameH, s.frameW, s.frameH);
        if (ink.empty()) return {};
        const float kx = e.w * imageScale, ky = e.h * imageScale;
        const float hw = s.frameW / 2.0f, hh = s.frameH / 2.0f;
        return {e.x + (ink.left - hw) * kx, e.y + (ink.top - hh) * ky, e.x + (ink.right + 1 - hw) * kx,
                e.y + (ink.bottom + 1 - hh) * ky};
    }

    // Whether an image entry or a rectangle covers the logical point (x, y)
    // with a visible pixel.
    bool Inked(const game_test::DrawEntry& e, float imageScale, float x, float y) const {
        if (e.IsRect()) return e.x <= x && x < e.x + e.w && e.y <= y && y < e.y + e.h;
        auto found = sheets_.find(static_cast<int>(e.kind));
        if (found == sheets_.end()) return false;
        const Sheet& s = found->second;
        const int columns = s.picture.w / s.frameW;
        const int n = static_cast<int>(e.frame);
        const float px = (x - e.x) / (e.w * imageScale) + s.frameW / 2.0f;
        const float py = (y - e.y) / (e.h * imageScale) + s.frameH / 2.0f;
        if (columns <= 0 || n < 0 || (n / columns + 1) * s.frameH > s.picture.h) return false;
        if (px < 0 || py < 0 || px >= s.frameW || py >= s.frameH) return false;
        return s.picture.alpha(n % columns * s.frameW + static_cast<int>(px),
                               n / columns * s.frameH + static_cast<int>(py)) != 0;
    }

  private:
    struct Sheet {
        Picture picture;
        int frameW = 0, frameH = 0;
    };
    int factor_;
    std::map<int, Sheet> sheets_;
};

// The bars of the power meter are the only rectangles of this size.
constexpr float METER_BAR_W = 32.0f, METER_BAR_H = 6.0f;

// The texts and buttons of the frame the recording game has just built.
inline std::vector<LayoutItem> LayoutItems(const RecordingGame& game, const InkAtlas& atlas) {
    const FrameRecord& f = game.frame;
    auto entry = [&](int i) {
        const float* e = &game.f_DrawList[i * DRAW_ENTRY_FLOATS];
        return game_test::DrawEntry{e[DRAW_KIND], e[DRAW_X],     e[DRAW_Y],     e[DRAW_ROTATION],
                                    e[DRAW_W],    e[DRAW_H],     e[DRAW_FRAME], e[DRAW_ALPHA],
                                    e[DRAW_RED],  e[DRAW_GREEN], e[DRAW_BLUE]};
    };
    auto layer_of = [&](int i) {
        std::string layer = "screen";
        for (const auto& o : f.overlays) {
            if (o.first <= i) layer = o.name;
        }
        return layer;
    };
    auto add_piece = [&](LayoutItem& item, const game_test::DrawEntry& e) {
        item.pieces.push_back(e);
        item.ink.Add(e.IsRect() ? Box{e.x, e.y, e.x + e.w, e.y + e.h} : atlas.InkOf(e, game.f_ImageScale));
    };
    std::vector<LayoutItem> items;
    // Texts, line by line: a new line starts where the glyphs step down.
    for (const auto& t : f.texts) {
        LayoutItem line;
        int number = 0;
        for (int i = t.first; i < t.end; ++i) {
            const game_test::DrawEntry g = entry(i);
            if (!line.pieces.empty() && g.y != line.pieces.back().y) {
                items.push_back(line);
                line = {};
                ++number;
            }
            if (line.pieces.empty()) {
                std::ostringstream what;
                what << "text \"" << t.text << "\" line " << number + 1;
                line.what = what.str();
                line.layer = layer_of(i);
                line.text = t.text;
                line.line = number + 1;
            }
            add_piece(line, g);
        }
        if (!line.pieces.empty()) items.push_back(line);
    }
    for (int i : f.buttons) {
        const game_test::DrawEntry b = entry(i);
        std::ostringstream what;
        what << "button of slot " << b.kind << " frame " << b.frame;
        LayoutItem button{what.str(), layer_of(i), {}, {}, {}, 0};
        add_piece(button, b);
        items.push_back(button);
    }
    LayoutItem meter{"power meter", "", {}, {}, {}, 0};
    for (int i = 0; i < game.f_DrawCount / DRAW_ENTRY_FLOATS; ++i) {
        const game_test::DrawEntry e = entry(i);
        if (e.IsImage(SLOT_LOGO)) {
            LayoutItem title{"title", layer_of(i), {}, {}, {}, 0};
            add_piece(title, e);
            items.push_back(title);
        }
        if (e.IsRect() && e.w == METER_BAR_W && e.h == METER_BAR_H) {
            meter.layer = layer_of(i);
            add_piece(meter, e);
        }
    }
    if (!meter.pieces.empty()) items.push_back(meter);
    return items;
}

// The area, in square logical units, where both items show ink: sampled on a
// grid finer than the smallest pixel drawn.
inline float SharedInk(const LayoutItem& a, const LayoutItem& b, const InkAtlas& atlas, float imageScale) {
    if (!a.ink.Meets(b.ink)) return 0.0f;
    const Box both{std::max(a.ink.left, b.ink.left), std::max(a.ink.top, b.ink.top),
                   std::min(a.ink.right, b.ink.right), std::min(a.ink.bottom, b.ink.bottom)};
    constexpr float STEP = 0.125f;
    auto inked = [&](const LayoutItem& item, float x, float y) {
        for (const auto& p : item.pieces) {
            if (atlas.Inked(p, imageScale, x, y)) return true;
        }
        return false;
    };
    int shared = 0;
    for (float y = both.top + STEP / 2; y < both.bottom; y += STEP) {
        for (float x = both.left + STEP / 2; x < both.right; x += STEP)
            shared += inked(a, x, y) && inked(b, x, y);
    }
    return static_cast<float>(shared) * STEP * STEP;
}

// Ink two items may share and still read as they are: a corner touch of a few
// pixels, such as the iCade switch's foot on the top list's title, which the
// menu has always drawn.
constexpr float TOUCHING_INK = 6.0f;

// Faults of a layout on a logical screen of width by height: every pair of
// one layer whose ink overlaps by more than a touch, and every box past an
// edge. Empty when it holds.
inline std::vector<std::string> LayoutFaults(const std::vector<LayoutItem>& items, const InkAtlas& atlas,
                                             float imageScale, float width, float height) {
    std::vector<std::string> faults;
    for (size_t i = 0; i < items.size(); ++i) {
        const LayoutItem& a = items[i];
        if (a.ink.Empty()) continue;
        if (a.ink.left < 0 || a.ink.top < 0 || a.ink.right > width || a.ink.bottom > height) {
            std::ostringstream out;
            out << a.layer << ": " << a.what << " runs past the edge: " << a.ink;
            faults.push_back(out.str());
        }
        for (size_t j = i + 1; j < items.size(); ++j) {
            const LayoutItem& b = items[j];
            if (a.layer != b.layer) continue;
            const float shared = SharedInk(a, b, atlas, imageScale);
            if (shared <= TOUCHING_INK) continue;
            std::ostringstream out;
            out << a.layer << ": " << a.what << " " << a.ink << " overlaps " << b.what << " " << b.ink
                << " in " << shared << " square units";
            faults.push_back(out.str());
        }
    }
    return faults;
}

}  // namespace test_support

#endif
