// The framework's images: frames cut from one surface, with a handle and flags.
//
// An image is one or more equal-sized frames taken from a surface: a strip
// (bb_graphics_LoadImage) or a sheet read left to right, top to bottom
// (bb_graphics_LoadImage2 / m_GrabImage). Grabbed images share the source's
// surface and keep the source alive through `sourceImage`.
#ifndef MOXEL_GRAPHICS_IMAGE_H
#define MOXEL_GRAPHICS_IMAGE_H

#include "graphics/surface.h"
#include "runtime/array.h"
#include "runtime/object.h"
#include "runtime/string.h"

// Image flags.
constexpr int IMAGE_CENTRE_HANDLE = 1;      // the handle sits at the frame's centre
constexpr int IMAGE_PAD_X = 2;              // a one-pixel border left and right is not drawn
constexpr int IMAGE_PAD_Y = 4;              // the same at top and bottom
constexpr int IMAGE_WHOLE_SURFACE = 65536;  // set by the image: its one frame is the whole surface

// The top-left corner of one frame, in surface pixels.
class bb_graphics_Frame : public Object {
  public:
    bb_graphics_Frame() : x(0), y(0) {}
    bb_graphics_Frame* g_new(int x, int y);

    int x;
    int y;
};

class bb_graphics_Image : public Object {
  public:
    bb_graphics_Image();
    bb_graphics_Image* g_new() { return this; }
    void mark() override;

    // Sets the handle explicitly, which clears IMAGE_CENTRE_HANDLE.
    virtual int m_SetHandle(float x, float y);
    virtual int m_ApplyFlags(int flags);
    // Cuts frameCount frames as a horizontal strip across the whole surface.
    virtual bb_graphics_Image* m_Init(gxtkSurface* surface, int frameCount, int flags);
    // Cuts frames of width x height from `source`, starting at (x, y) and
    // wrapping to the next row at the source's right edge.
    virtual bb_graphics_Image* m_Grab(int x, int y, int width, int height, int frameCount, int flags,
                                      bb_graphics_Image* source);
    // A new image grabbed from this one; null unless this has exactly one frame.
    virtual bb_graphics_Image* m_GrabImage(int x, int y, int width, int height, int frameCount, int flags);

    gxtkSurface* surface;
    int width;  // of one frame, after padding
    int height;
    Array<bb_graphics_Frame*> frames;
    int flags;
    float handleX;
    float handleY;
    bb_graphics_Image* sourceImage;

    // Flags the framework adds to every load by default; none in this program.
    static int g_DefaultFlags;
};

// Loads an image file as a strip of frameCount frames; null when the file is
// missing or not an image (nothing is printed).
bb_graphics_Image* bb_graphics_LoadImage(String path, int frameCount, int flags);
// Loads an image file as a sheet of frameWidth x frameHeight frames.
bb_graphics_Image* bb_graphics_LoadImage2(String path, int frameWidth, int frameHeight, int frameCount,
                                          int flags);

#endif
