// The window's first size and place on the player's desktop.
//
// The game opens at 640x480 centred on the desktop. On a high-DPI screen that
// is a postage stamp, so the size grows by the monitor's content scale (2 on a
// typical 4K laptop); the game scales its logical screen to any window and
// picks its larger image files for bigger ones.
#ifndef MOXEL_HOST_BASE_WINDOW_PLACE_H
#define MOXEL_HOST_BASE_WINDOW_PLACE_H

namespace host {

constexpr int WINDOW_WIDTH = 640;
constexpr int WINDOW_HEIGHT = 480;

struct WindowRect {
    int x;
    int y;
    int width;
    int height;
};

// The window on a desktop of the given size whose monitor has the given
// content scale: 640x480 times the scale, rounded to whole pixels, or the
// largest 4:3 size that fits the desktop when that would not. Never smaller
// than 640x480, so at scale 1 (or below) the window is as it always was,
// centred with truncating division (negative on a desktop smaller than it).
WindowRect first_window_rect(int desktopWidth, int desktopHeight, float xscale, float yscale);

}  // namespace host

#endif
