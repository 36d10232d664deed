// art_controls: things the player presses: "common/icons", "common/Buttons", "common/dpad" and
// "common/icade".
//
// The game tints icons and pad arrows with the draw colour (green sound button, red quit, blue resume,
// yellow highlight ring), so they are drawn white with a dark halo that keeps them readable on the
// orange pause panel as well as on the blue menu.
#include <cmath>

#include "tools/art.h"
#include "tools/font.h"

namespace makedata {

namespace {

// icons frame numbers the game draws.
constexpr int ICON_PAUSE = 0;
constexpr int ICON_QUIT = 1;
constexpr int ICON_RESUME = 3;
constexpr int ICON_SOUND_ON = 4;
constexpr int ICON_SOUND_OFF = 5;
constexpr int ICON_RING = 6;
constexpr int ICON_CALIBRATE = 7;
constexpr int ICON_MODE_FIRST = 8;  // 8 to 10: the three sound modes
constexpr int ICON_MODE_LAST = 10;

// Buttons frame numbers: 0 to 2 the game types, 15 the selection mark.
constexpr int BUTTON_TYPES = 3;
constexpr int BUTTON_SELECTED = 15;

// dpad frame numbers, laid out like a numeric keypad on a 4-wide sheet.
constexpr int PAD_ACTION = 0;
constexpr int PAD_UP = 1;
constexpr int PAD_LEFT = 4;
constexpr int PAD_CENTRE = 5;
constexpr int PAD_RIGHT = 6;
constexpr int PAD_DOWN = 9;

constexpr float PI = 3.14159265f;

const Rgba WHITE = rgb(255, 255, 255);
const Rgba HALO = rgb(10, 10, 30, 200);

// Draws white art through `paint` onto a layer and lays it over its dark halo.
template <typename Paint>
void haloed(Canvas& c, int w, int h, Paint paint) {
    Canvas layer(w, h, c.factor());
    paint(layer);
    c.paste(halo(layer, 1.5f, HALO), 0, 0);
    c.paste(layer, 0, 0);
}

// A loudspeaker facing right, its box at x.
void speaker(Canvas& c, float x) {
    c.rect(x, 12, 5, 8, WHITE);
    c.polygon({{x + 4, 12}, {x + 11, 6}, {x + 11, 26}, {x + 4, 20}}, WHITE);
}

void icon(Canvas& c, int frame) {
    switch (frame) {
        case ICON_PAUSE:
            c.round_rect(8, 6, 6, 20, 1.5f, WHITE);
            c.round_rect(18, 6, 6, 20, 1.5f, WHITE);
            break;
        case ICON_QUIT:
            c.line(8, 8, 24, 24, 5, WHITE);
            c.line(24, 8, 8, 24, 5, WHITE);
            break;
        case ICON_RESUME:
            c.polygon({{9, 5}, {27, 16}, {9, 27}}, WHITE);
            break;
        case ICON_SOUND_ON:
            speaker(c, 4);
            c.arc(16, 16, 6, 2.2f, -50, 50, WHITE);
            c.arc(16, 16, 11, 2.2f, -50, 50, WHITE);
            break;
        case ICON_SOUND_OFF:
            speaker(c, 4);
            c.line(19, 12, 27, 20, 2.6f, WHITE);
            c.line(27, 12, 19, 20, 2.6f, WHITE);
            break;
        case ICON_RING:
            c.ring(16, 16, 12.5f, 15.5f, WHITE);
            break;
        case ICON_CALIBRATE:
            c.ring(16, 16, 8, 10.5f, WHITE);
            c.line(16, 2, 16, 30, 2, WHITE);
            c.line(2, 16, 30, 16, 2, WHITE);
            c.disc(16, 16, 2.5f, WHITE);
            break;
        default:
            if (frame >= ICON_MODE_FIRST && frame <= ICON_MODE_LAST) {
                // One, two or three waves from a dot: the mode's number at a glance.
                c.disc(9, 22, 3, WHITE);
                for (int i = 0; i <= frame - ICON_MODE_FIRST; ++i)
                    c.arc(9, 22, 8.0f + 6.0f * i, 2.4f, -90, 0, WHITE);
            }
            break;
    }
}

// The selection mark: a thick yellow rounded frame just inside the button's edge.
void selection_mark(Canvas& c) {
    const Rgba yellow = rgb(255, 235, 60);
    const float lo = 2.5f, hi = 61.5f, r = 9.0f, w = 4.0f;
    c.line(lo + r, lo, hi - r, lo, w, yellow);
    c.line(lo + r, hi, hi - r, hi, w, yellow);
    c.line(lo, lo + r, lo, hi - r, w, yellow);
    c.line(hi, lo + r, hi, hi - r, w, yellow);
    c.arc(lo + r, lo + r, r, w, 180, 270, yellow);
    c.arc(hi - r, lo + r, r, w, 270, 360, yellow);
    c.arc(hi - r, hi - r, r, w, 0, 90, yellow);
    c.arc(lo + r, hi - r, r, w, 90, 180, yellow);
}

// A game-type button: a little hole with one, two or three targets and the count written below.
void game_type(Canvas& c, int targets) {
    c.round_rect(3, 3, 58, 58, 10, rgb(230, 240, 255));
    c.round_rect(5, 5, 54, 54, 8, rgb(70, 130, 230));
    c.round_rect(5, 42, 54, 17, 8, rgb(40, 160, 60));
    c.rect(5, 42, 54, 6, rgb(40, 160, 60));
    c.rect(5, 42, 54, 1.5f, rgb(120, 230, 110));
    static const Point places[3][3] = {{{32, 24}}, {{20, 24}, {44, 24}}, {{17, 30}, {32, 16}, {47, 30}}};
    static const float radius[3] = {13, 10, 8.5f};
    for (int i = 0; i < targets; ++i)
        draw_target(c, places[targets - 1][i].x, places[targets - 1][i].y, radius[targets - 1]);
    std::string digit(1, char('0' + targets));
    const float px = 1.5f;
    draw_text(c, 32 - text_width(digit) * px / 2, 46.5f, digit, px, WHITE);
}

// A pad key: a rounded grey key with an arrow pointing at `angle` degrees (0 = up, clockwise).
void pad_arrow(Canvas& c, float angle) {
    float a = angle * PI / 180.0f, ca = std::cos(a), sa = std::sin(a);
    auto turn = [&](float x, float y) { return Point{16 + x * ca - y * sa, 16 + x * sa + y * ca}; };
    c.polygon({turn(0, -10), turn(9, 1), turn(4, 1), turn(4, 9), turn(-4, 9), turn(-4, 1), turn(-9, 1)},
              WHITE);
}

void pad_key(Canvas& c) {
    c.round_rect(1, 1, 30, 30, 7, rgb(200, 210, 240));
    c.round_rect(2.5f, 2.5f, 27, 27, 6, rgb(70, 80, 120));
}

}  // namespace

void draw_icons(Canvas& c, int frame) {
    haloed(c, 32, 32, [frame](Canvas& layer) { icon(layer, frame); });
}

void draw_buttons(Canvas& c, int frame) {
    if (frame < BUTTON_TYPES) game_type(c, frame + 1);
    if (frame == BUTTON_SELECTED) selection_mark(c);
}

void draw_dpad(Canvas& c, int frame) {
    switch (frame) {
        case PAD_ACTION:
            c.disc(16, 16, 14, rgb(255, 220, 220));
            c.disc(16, 16, 12.5f, rgb(215, 50, 50));
            c.disc(12.5f, 12, 4, rgb(250, 130, 130));
            break;
        case PAD_UP:
            pad_key(c), pad_arrow(c, 0);
            break;
        case PAD_RIGHT:
            pad_key(c), pad_arrow(c, 90);
            break;
        case PAD_DOWN:
            pad_key(c), pad_arrow(c, 180);
            break;
        case PAD_LEFT:
            pad_key(c), pad_arrow(c, 270);
            break;
        case PAD_CENTRE:
            pad_key(c), c.disc(16, 16, 5, WHITE);
            break;
        default:
            break;
    }
}

// The arcade-controller icon: a control deck with a ball-top stick and three buttons; frame 0 unlit
// and grey, frame 1 lit.
void draw_icade(Canvas& c, int frame) {
    const bool lit = frame == 1;
    const Rgba deck = lit ? rgb(60, 60, 90) : rgb(55, 55, 65);
    const Rgba rim = lit ? rgb(120, 220, 255) : rgb(120, 120, 135);
    c.polygon({{9, 29}, {55, 29}, {61, 53}, {3, 53}}, rim);
    c.polygon({{11, 31}, {53, 31}, {58, 51}, {6, 51}}, deck);
    c.rect(3, 53, 58, 5, lit ? rgb(40, 40, 60) : rgb(45, 45, 50));
    if (lit) c.disc(20, 16, 12, rgb(255, 80, 60, 70));  // glow
    c.ellipse(20, 41, 6, 2.5f, rgb(20, 20, 25));
    c.line(20, 41, 20, 20, 3, rgb(190, 190, 200));
    c.disc(20, 16, 7, lit ? rgb(245, 50, 45) : rgb(125, 125, 135));
    c.disc(17.5f, 13.5f, 2.2f, lit ? rgb(255, 170, 160) : rgb(170, 170, 180));
    const Rgba lamps[3] = {rgb(255, 230, 40), rgb(60, 230, 90), rgb(70, 150, 255)};
    const Point at[3] = {{36, 41}, {45, 37.5f}, {53, 42}};
    for (int i = 0; i < 3; ++i) {
        if (lit) c.disc(at[i].x, at[i].y, 5.5f, mix(lamps[i], rgb(0, 0, 0, 0), 0.6f));
        c.ellipse(at[i].x, at[i].y, 3.8f, 3.0f, lit ? lamps[i] : rgb(100, 100, 110));
    }
}

}  // namespace makedata
