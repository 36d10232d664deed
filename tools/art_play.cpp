// art_play: the play screen's sheet "gfx" (golfer, target, bonus object, power slider) and "parts".
//
// The golfer is drawn from a stick pose (joints in frame pixels, facing right) dressed in bright colours,
// because he stands in front of the dark blue sky. The game places the frame's centre 16 pixels behind
// and 13 above the ball, so in frame coordinates the ball lies at (32, 29) and the ground line is y = 29.
#include "tools/art.h"

namespace makedata {

namespace {

// gfx frame numbers the game draws.
constexpr int GFX_AIM = 0;
constexpr int GFX_FOLLOW_THROUGH = 1;
constexpr int GFX_CHEER = 2;
constexpr int GFX_BALL = 3;
constexpr int GFX_TARGET = 4;
constexpr int GFX_BONUS = 5;
constexpr int GFX_SLIDER = 6;
constexpr int GFX_FLAG = 7;
constexpr int GFX_TUFT = 8;

constexpr float GROUND_Y = 29.0f;

const Rgba OUTLINE = rgb(25, 20, 45);
const Rgba SKIN = rgb(255, 205, 160);
const Rgba HAIR = rgb(120, 70, 30);
const Rgba CAP = rgb(235, 55, 55);
const Rgba CAP_BRIM = rgb(185, 30, 35);
const Rgba SHIRT = rgb(255, 220, 60);
const Rgba TROUSERS = rgb(230, 225, 205);
const Rgba SHOE = rgb(255, 255, 255);
const Rgba SHAFT = rgb(205, 210, 225);
const Rgba CLUB_HEAD = rgb(150, 160, 185);
const Rgba WHITE = rgb(255, 255, 255);
const Rgba RED = rgb(230, 40, 45);
const Rgba GOLD = rgb(255, 215, 40);
const Rgba AMBER = rgb(215, 110, 10);

// A golfer's stance: where his joints are, and whether the club passes behind his body.
struct Pose {
    Point head, neck, hip;
    Point knee_back, foot_back, knee_front, foot_front;
    Point hand_back, hand_front;
    Point grip, club_head;
    bool club_behind;
};

const Pose AIMING = {{18.5f, 7.0f},  {16.0f, 11.5f}, {13.0f, 19.0f}, {11.5f, 24.0f},
                     {10.5f, 28.0f}, {15.5f, 24.0f}, {17.0f, 28.0f}, {20.0f, 19.0f},
                     {20.5f, 19.5f}, {20.5f, 19.5f}, {29.0f, 28.0f}, false};
const Pose FOLLOW_THROUGH = {{17.0f, 6.5f},  {15.5f, 11.0f}, {14.5f, 19.0f}, {12.0f, 23.5f},
                             {10.0f, 27.0f}, {17.0f, 24.0f}, {17.5f, 28.0f}, {20.5f, 5.5f},
                             {21.0f, 6.0f},  {21.0f, 5.5f},  {7.0f, 12.5f},  true};
const Pose CHEERING = {{16.0f, 8.0f},  {16.0f, 12.5f}, {16.0f, 20.0f}, {13.5f, 24.0f},
                       {12.5f, 27.5f}, {18.5f, 24.0f}, {19.5f, 27.5f}, {9.5f, 3.5f},
                       {22.5f, 3.5f},  {5.0f, 2.5f},   {27.5f, 2.5f},  false};

// A limb as an outlined stroke.
void limb(Canvas& c, Point a, Point b, float width, Rgba colour) {
    c.line(a.x, a.y, b.x, b.y, width + 1.2f, OUTLINE);
    c.line(a.x, a.y, b.x, b.y, width, colour);
}

// An arm: short sleeve from the shoulder, then bare skin to the hand.
void arm(Canvas& c, Point shoulder, Point hand) {
    Point elbow{shoulder.x + (hand.x - shoulder.x) * 0.35f, shoulder.y + (hand.y - shoulder.y) * 0.35f};
    limb(c, elbow, hand, 1.8f, SKIN);
    limb(c, shoulder, elbow, 2.6f, SHIRT);
    c.disc(hand.x, hand.y, 1.3f, SKIN);
}

void leg(Canvas& c, Point hip, Point knee, Point foot) {
    limb(c, hip, knee, 3.0f, TROUSERS);
    limb(c, knee, foot, 2.6f, TROUSERS);
    c.ellipse(foot.x + 1.0f, foot.y + 0.4f, 2.4f, 1.3f, OUTLINE);
    c.ellipse(foot.x + 1.0f, foot.y + 0.2f, 1.8f, 0.9f, SHOE);
}

void club(Canvas& c, const Pose& p) {
    c.line(p.grip.x, p.grip.y, p.club_head.x, p.club_head.y, 1.0f, SHAFT);
    c.round_rect(p.club_head.x - 1.8f, p.club_head.y - 1.0f, 3.6f, 2.0f, 0.8f, CLUB_HEAD);
}

void head(Canvas& c, Point h) {
    c.disc(h.x, h.y, 3.9f, OUTLINE);
    c.disc(h.x - 1.2f, h.y + 0.2f, 3.0f, HAIR);
    c.disc(h.x + 0.3f, h.y + 0.5f, 3.1f, SKIN);
    c.ellipse(h.x, h.y - 1.6f, 3.6f, 2.2f, CAP);
    c.line(h.x + 1.0f, h.y - 0.7f, h.x + 5.2f, h.y - 0.4f, 1.3f, CAP_BRIM);
    c.dot(int(h.x + 1.5f), int(h.y + 0.5f), OUTLINE);
}

void golfer(Canvas& c, const Pose& p) {
    Point shoulder_back{p.neck.x - 1.0f, p.neck.y + 0.5f};
    Point shoulder_front{p.neck.x + 0.8f, p.neck.y + 0.8f};
    if (p.club_behind) club(c, p);
    leg(c, p.hip, p.knee_back, p.foot_back);
    arm(c, shoulder_back, p.hand_back);
    limb(c, p.neck, p.hip, 5.0f, SHIRT);
    c.line(p.hip.x - 2.2f, p.hip.y, p.hip.x + 2.2f, p.hip.y, 1.0f, rgb(120, 80, 40));  // belt
    leg(c, p.hip, p.knee_front, p.foot_front);
    head(c, p.head);
    arm(c, shoulder_front, p.hand_front);
    if (!p.club_behind) club(c, p);
}

// The power slider: a bar across the meter with arrowheads either side. The game draws it 1.5 times
// size, so the bar spans the meter's 32-unit width and the arrowheads stand just outside it.
void slider(Canvas& c) {
    c.polygon({{0, 10}, {8.5f, 16}, {0, 22}}, OUTLINE);
    c.polygon({{32, 10}, {23.5f, 16}, {32, 22}}, OUTLINE);
    c.polygon({{0.8f, 11.5f}, {7, 16}, {0.8f, 20.5f}}, WHITE);
    c.polygon({{31.2f, 11.5f}, {25, 16}, {31.2f, 20.5f}}, WHITE);
    c.rect(5, 14.5f, 22, 3, OUTLINE);
    c.rect(6, 15.2f, 20, 1.6f, WHITE);
}

void bonus(Canvas& c) {
    c.star(16, 16.5f, 14.5f, 6.5f, AMBER);
    c.star(16, 16.5f, 12.5f, 5.3f, GOLD);
    c.star(16, 16.5f, 6.5f, 2.8f, rgb(255, 245, 160));
    c.disc(12.5f, 11.5f, 1.3f, WHITE);
}

void ball(Canvas& c) {
    c.disc(16, 16, 6, rgb(200, 200, 215));
    c.disc(15.5f, 15.5f, 5.4f, WHITE);
    c.disc(13.5f, 13.5f, 1.2f, rgb(235, 235, 245));
}

void flag(Canvas& c) {
    c.line(12, 3, 12, GROUND_Y, 1.3f, WHITE);
    c.polygon({{12.5f, 3}, {26, 7.5f}, {12.5f, 12}}, RED);
    c.ellipse(12, GROUND_Y, 4, 1.2f, rgb(20, 20, 20, 200));
}

void tuft(Canvas& c) {
    const Rgba greens[] = {rgb(40, 160, 40), rgb(90, 220, 70), rgb(20, 120, 30)};
    for (int i = 0; i < 7; ++i) {
        float x = 9.0f + 2.3f * i;
        c.line(x, GROUND_Y, x + (i % 3 - 1) * 2.5f, GROUND_Y - 6.0f - (i * 5 % 4) * 2.0f, 1.4f,
               greens[i % 3]);
    }
}

// Particles, 8 by 8 each: sparks, twinkles, grass bits, dirt, dust puffs and confetti.
const char* const PARTS_BAND_A = R"(
...y.... ...y.... ........ ........ ........ ......g. ........ ........
...y.... .y.y.y.. ...w.... ........ ...g.... .....g.. ........ ........
...y.... ..yyy... ...w.... ...oo... ...g.... ....gg.. .g...g.. ...bb...
yyywyyy. yyywyyy. .wwwww.. ..oyyo.. ...gg... ....g... .gg.gg.. ..bbbb..
...y.... ..yyy... ...w.... ..oyyo.. ....g... ...gg... ..g.g... .bbbbb..
...y.... .y.y.y.. ...w.... ...oo... ....g... ...g.... ..ggg... ..bbb...
...y.... ...y.... ........ ........ .....g.. ..gg.... .GgggG.. ........
........ ........ ........ ........ ........ ........ ........ ........
)";
const char* const PARTS_BAND_B = R"(
........ ........ ..cccc.. ........ ........ ...y.... ........ ........
..wwww.. ........ .c....c. .rr.rr.. ...c.... ..yyy... ...rr... ..BB....
.wwwwww. ...ww... c......c rrrrrrr. ..ccc... yyyyyyy. ..rrrr.. .BBBB...
.wwwwww. ..wwww.. c......c rrrrrrr. .ccccc.. .yyyyy.. .rrrr... ..BBBB..
.wwwwww. ..wwww.. c......c .rrrrr.. .ccwcc.. ..yyy... .rr..... ...BB...
..wwww.. ...ww... c......c ..rrr... ..ccc... .yy.yy.. ........ ........
........ ........ .c....c. ...r.... ........ ........ ........ ........
........ ........ ..cccc.. ........ ........ ........ ........ ........
)";

const Palette PARTS_PALETTE = {
    {'y', rgb(255, 230, 60)},  {'w', rgb(255, 255, 255)}, {'o', rgb(255, 140, 30)},
    {'g', rgb(80, 220, 70)},   {'G', rgb(30, 140, 40)},   {'b', rgb(150, 95, 45)},
    {'c', rgb(120, 230, 255)}, {'r', rgb(255, 70, 90)},   {'B', rgb(90, 140, 255)},
};

}  // namespace

void draw_target(Canvas& c, float cx, float cy, float r) {
    c.disc(cx, cy, r, WHITE);
    c.disc(cx, cy, r * 0.88f, RED);
    c.disc(cx, cy, r * 0.66f, WHITE);
    c.disc(cx, cy, r * 0.44f, RED);
    c.disc(cx, cy, r * 0.2f, WHITE);
}

void draw_gfx(Canvas& c, int frame) {
    switch (frame) {
        case GFX_AIM:
            golfer(c, AIMING);
            break;
        case GFX_FOLLOW_THROUGH:
            golfer(c, FOLLOW_THROUGH);
            break;
        case GFX_CHEER:
            golfer(c, CHEERING);
            break;
        case GFX_BALL:
            ball(c);
            break;
        case GFX_TARGET:
            draw_target(c, 16, 16, 13);
            break;
        case GFX_BONUS:
            bonus(c);
            break;
        case GFX_SLIDER:
            slider(c);
            break;
        case GFX_FLAG:
            flag(c);
            break;
        case GFX_TUFT:
            tuft(c);
            break;
        default:
            break;  // spare frames stay empty
    }
}

void draw_parts(Canvas& c, int frame) {
    static const std::vector<std::vector<std::string>> a = split_band(PARTS_BAND_A, 8);
    static const std::vector<std::vector<std::string>> b = split_band(PARTS_BAND_B, 8);
    c.grid(0, 0, frame < 8 ? a[size_t(frame)] : b[size_t(frame - 8)], PARTS_PALETTE);
}

}  // namespace makedata
