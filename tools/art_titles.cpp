// art_titles: the big pictures: the studio logo "common/WexoLogo", the title "logo", the menu backdrop
// "menu" and the badge pictures "BadgesA".
//
// The menu draws its backdrop layers blown up (frames 0 and 1 at three times size, frame 2 at twice) over
// the dark blue (0, 0, 80) menu background, centred on the screen, so only the parts of each frame that
// land on the 640 by 480 screen are worth drawing: frame 0 rows 48 to 208 (sky and far hills), frame 2
// rows 8 to 248 (clouds, middle hills and the flag), frame 1 rows 190 and below (the near grass).
#include <algorithm>
#include <cmath>

#include "tools/art.h"
#include "tools/font.h"

namespace makedata {

namespace {

constexpr int MENU_SKY = 0;
constexpr int MENU_NEAR = 1;
constexpr int MENU_MIDDLE = 2;
constexpr int TEST_BADGE = 0;
constexpr float PI = 3.14159265f;

const Rgba WHITE = rgb(255, 255, 255);
const Rgba NAVY = rgb(25, 25, 85);

// A small deterministic generator for scattering stars and tufts; the same every build.
struct Scatter {
    uint32_t state;
    float next() {
        state = state * 1664525u + 1013904223u;
        return float(state >> 8) / float(1u << 24);
    }
};

// A hill line across a frame: the filled area below height(x), with a lighter rim on top.
template <typename Height>
void hills(Canvas& c, Height height, Rgba fill, Rgba rim) {
    float top = 256;
    for (int x = 0; x <= 256; ++x) top = std::min(top, height(float(x)));
    c.area_below(0, 256, top, 256, height, rim);
    c.area_below(
        0, 256, top + 2, 256, [&](float x) { return height(x) + 2; }, fill);
}

void cloud(Canvas& c, float x, float y, float size) {
    const Rgba puff = rgb(200, 215, 255, 210);
    c.ellipse(x, y, 14 * size, 6 * size, puff);
    c.ellipse(x - 8 * size, y + 1 * size, 9 * size, 5 * size, puff);
    c.ellipse(x + 3 * size, y - 4 * size, 8 * size, 6 * size, puff);
}

void menu_sky(Canvas& c) {
    Scatter rnd{7};
    for (int i = 0; i < 70; ++i) {
        float x = rnd.next() * 256, y = 45 + rnd.next() * 120;
        int a = 120 + int(rnd.next() * 135);
        c.dot(int(x), int(y), rgb(255, 255, 220, a));
    }
    c.disc(30, 62, 10, rgb(255, 250, 210));
    c.disc(34, 59, 9, rgb(0, 0, 80));  // the dark side cuts the moon to a crescent
    hills(
        c, [](float x) { return 168 + 9 * std::sin(x / 19) + 5 * std::sin(x / 7.3f + 1); }, rgb(40, 50, 130),
        rgb(70, 80, 170));
}

void menu_middle(Canvas& c) {
    cloud(c, 45, 35, 1.2f);
    cloud(c, 200, 58, 0.9f);
    cloud(c, 120, 20, 0.7f);
    auto height = [](float x) {
        return 196 - 18 * std::exp(-(x - 235) * (x - 235) / 900) + 6 * std::sin(x / 23);
    };
    hills(c, height, rgb(30, 120, 60), rgb(70, 170, 80));
    // The flag on top of the right-hand hill.
    const float fx = 235, base = height(235) + 1;
    c.line(fx, base - 34, fx, base, 1.5f, WHITE);
    c.polygon({{fx + 0.7f, base - 34}, {fx + 15, base - 29}, {fx + 0.7f, base - 24}}, rgb(240, 50, 50));
    c.ellipse(fx, base, 3.5f, 1.2f, rgb(10, 40, 20));
}

void menu_near(Canvas& c) {
    auto height = [](float x) { return 196 + 4 * std::sin(x / 13 + 2) + 2 * std::sin(x / 5.1f); };
    hills(c, height, rgb(45, 170, 60), rgb(130, 230, 100));
    Scatter rnd{11};
    for (int i = 0; i < 40; ++i) {
        float x = rnd.next() * 256, y = height(x) + 4 + rnd.next() * 30;
        bool flower = rnd.next() < 0.25f;
        if (flower)
            c.disc(x, y, 1.0f, rnd.next() < 0.5f ? rgb(255, 240, 90) : WHITE);
        else
            c.line(x, y, x + 1, y - 3, 0.8f, rgb(100, 215, 80));
    }
}

// The studio emblem: a navy disc with a white rim, a big W and the studio's name.
//
// NOTE: the emblem fills only the middle of its 256 by 256 frame. The menu shows the frame at half size as
// the credits button, 40 units above the bottom right corner, just below the score panel's "Last" list;
// an emblem of more than about 62 pixels' radius would cover that list's lowest row.
constexpr float EMBLEM_CENTRE = 128;
constexpr float EMBLEM_SCALE = 0.56f;  // of the full-frame design drawn before: a rim radius of 108

// A length and a place of the full-frame design, drawn at the emblem's scale about the frame's centre.
float emblem(float length) {
    return length * EMBLEM_SCALE;
}
Point emblem_at(float x, float y) {
    return {EMBLEM_CENTRE + emblem(x - EMBLEM_CENTRE), EMBLEM_CENTRE + emblem(y - EMBLEM_CENTRE)};
}

void studio(Canvas& c) {
    c.disc(EMBLEM_CENTRE, EMBLEM_CENTRE, emblem(108), WHITE);
    c.disc(EMBLEM_CENTRE, EMBLEM_CENTRE, emblem(102), NAVY);
    c.ring(EMBLEM_CENTRE, EMBLEM_CENTRE, emblem(92), emblem(95), rgb(90, 200, 255));
    const std::vector<Point> w = {emblem_at(62, 66), emblem_at(92, 150), emblem_at(128, 98),
                                  emblem_at(164, 150), emblem_at(194, 66)};
    for (size_t i = 0; i + 1 < w.size(); ++i)
        c.line(w[i].x, w[i].y, w[i + 1].x, w[i + 1].y, emblem(18), WHITE);
    const Point ball = emblem_at(128, 60);
    c.disc(ball.x, ball.y, emblem(11), rgb(255, 210, 60));  // a ball in flight over the W
    const std::string name = "WEXO";
    const float px = emblem(4);
    const Point text = emblem_at(128, 168);
    draw_text(c, text.x - text_width(name) * px / 2, text.y, name, px, rgb(255, 210, 60));
}

// The title: "Moxelpark" in big rounded pixels, shaded yellow to orange, with a dark edge and shadow.
void title(Canvas& c) {
    const std::string name = "Moxelpark";
    const float px = 5;
    const float x = 128 - text_width(name) * px / 2, y = 18;
    Rgba shades[GLYPH_ROWS];
    for (int r = 0; r < GLYPH_ROWS; ++r) shades[r] = mix(rgb(255, 245, 120), rgb(255, 120, 30), r / 8.0f);
    Canvas letters(256, 128, c.factor());
    draw_text(letters, x, y, name, px, WHITE, true, shades);
    Canvas shadow(256, 128, c.factor());
    draw_text(shadow, x + 3, y + 4, name, px, rgb(0, 0, 30, 160), true);
    c.paste(shadow, 0, 0);
    c.paste(halo(letters, 2.5f, rgb(60, 15, 40)), 0, 0);
    c.paste(letters, 0, 0);
    const std::string tag = "arcade golf";
    Canvas sub(256, 128, c.factor());
    draw_text(sub, 128 - text_width(tag) * 2.0f / 2, 84, tag, 2, rgb(150, 235, 255));
    c.paste(halo(sub, 1.5f, rgb(0, 0, 40)), 0, 0);
    c.paste(sub, 0, 0);
}

// The symbols on the spare badges.
void badge_symbol(Canvas& c, int kind) {
    switch (kind) {
        case 0:
            c.star(32, 33, 14, 6, WHITE);
            break;
        case 1:
            c.line(26, 18, 26, 46, 2.5f, WHITE);
            c.polygon({{27, 18}, {42, 24}, {27, 30}}, WHITE);
            break;
        case 2:
            c.disc(32, 32, 11, WHITE), c.disc(29, 29, 2.5f, rgb(220, 220, 230));
            break;
        case 3:
            c.ring(32, 32, 9, 13, WHITE), c.disc(32, 32, 5, WHITE);
            break;
        case 4:
            c.polygon({{20, 38}, {32, 22}, {44, 38}, {38, 38}, {32, 30}, {26, 38}}, WHITE);
            break;
        case 5:
            c.polygon({{32, 18}, {44, 32}, {32, 46}, {20, 32}}, WHITE);
            break;
        case 6:
            c.disc(27, 28, 6.5f, WHITE), c.disc(37, 28, 6.5f, WHITE);
            c.polygon({{21, 30}, {43, 30}, {32, 44}}, WHITE);
            break;
        default:
            c.polygon({{35, 16}, {24, 34}, {31, 34}, {28, 48}, {40, 28}, {33, 28}}, WHITE);
            break;
    }
}

// Badge 0, the test badge: a gold medal on a ribbon.
void test_badge(Canvas& c) {
    c.polygon({{18, 2}, {30, 2}, {38, 26}, {28, 30}}, rgb(50, 110, 230));
    c.polygon({{46, 2}, {34, 2}, {26, 26}, {36, 30}}, rgb(230, 50, 60));
    c.disc(32, 40, 21, rgb(170, 100, 10));
    c.disc(32, 40, 18.5f, rgb(255, 200, 40));
    c.ring(32, 40, 14, 15.5f, rgb(220, 150, 20));
    c.star(32, 41, 10, 4.2f, rgb(255, 245, 170));
}

}  // namespace

void draw_studio(Canvas& c, int) {
    studio(c);
}

void draw_title(Canvas& c, int) {
    title(c);
}

void draw_menu(Canvas& c, int frame) {
    if (frame == MENU_SKY) menu_sky(c);
    if (frame == MENU_MIDDLE) menu_middle(c);
    if (frame == MENU_NEAR) menu_near(c);
}

// Badges 1 to 63 have no meaning yet; each gets its own rim colour and symbol so they stay apart.
void draw_badge(Canvas& c, int frame) {
    if (frame == TEST_BADGE) {
        test_badge(c);
        return;
    }
    float hue = float(frame % 8) / 8.0f * 2 * PI;
    auto channel = [hue](float shift) { return int(150 + 100 * std::cos(hue + shift)); };
    Rgba rim = rgb(channel(0), channel(2.1f), channel(4.2f));
    c.disc(32, 32, 27, WHITE);
    c.disc(32, 32, 25, rim);
    c.disc(32, 32, 20, mix(rim, rgb(0, 0, 40), 0.45f));
    badge_symbol(c, frame / 8 % 8);
}

}  // namespace makedata
