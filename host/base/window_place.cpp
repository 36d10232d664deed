// The window's first size and place: the content scale, the 4:3 fit and centring.
#include "host/base/window_place.h"

#include <algorithm>
#include <cmath>

namespace host {

namespace {

// 640x480 is 160 steps of 4x3: a fitted window keeps the game's shape exactly.
constexpr int ASPECT_WIDTH = 4;
constexpr int ASPECT_HEIGHT = 3;
constexpr int BASE_STEPS = WINDOW_WIDTH / ASPECT_WIDTH;
static_assert(BASE_STEPS * ASPECT_HEIGHT == WINDOW_HEIGHT, "the window is 4:3");

// One side grown by its scale to whole pixels, never below the side it grows
// from. Kept in double until it is known to fit: a hostile scale (huge,
// infinite, not a number) must not reach an int.
double scaled_side(int side, float scale) {
    const double grown = std::round(side * static_cast<double>(scale));
    return grown > side ? grown : side;
}

}  // namespace

WindowRect first_window_rect(int desktopWidth, int desktopHeight, float xscale, float yscale) {
    const double width = scaled_side(WINDOW_WIDTH, xscale);
    const double height = scaled_side(WINDOW_HEIGHT, yscale);
    WindowRect rect{0, 0, WINDOW_WIDTH, WINDOW_HEIGHT};
    if (width <= desktopWidth && height <= desktopHeight) {
        rect.width = static_cast<int>(width);
        rect.height = static_cast<int>(height);
    } else {
        const int steps =
            std::max(BASE_STEPS, std::min(desktopWidth / ASPECT_WIDTH, desktopHeight / ASPECT_HEIGHT));
        rect.width = steps * ASPECT_WIDTH;
        rect.height = steps * ASPECT_HEIGHT;
    }
    rect.x = (desktopWidth - rect.width) / 2;
    rect.y = (desktopHeight - rect.height) / 2;
    return rect;
}

}  // namespace host
