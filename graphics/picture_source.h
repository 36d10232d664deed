// Where a loaded surface's pixels come from. The build chooses the back end:
// on the desktop a file is decoded at once, on the calling thread
// (picture_now.cpp); in the browser only its header is read at once, and the
// pixels are decoded away from the page's main thread and reach the surface
// a few frames later (picture_web.cpp), so that a large sheet never holds up
// the page. A file the page is still fetching is promised the same way: its
// size comes from the build's list of pictures, its pixels once it is here.
#ifndef MOXEL_GRAPHICS_PICTURE_SOURCE_H
#define MOXEL_GRAPHICS_PICTURE_SOURCE_H

#include "runtime/string.h"

class gxtkSurface;

namespace gfx {

enum class Picture {
    NONE,      // missing or not decodable: nothing is set
    DECODED,   // *pixels holds the decoded picture (not premultiplied)
    PROMISED,  // size and depth are set, *pixels is null; the pixels come
               // to `surface` later, premultiplied (gxtkSurface::PixelsArrived)
};

// Starts bringing in the picture at `path` for `surface`. A surface holds at
// most one promise: a new one replaces the last.
Picture begin_picture(const String& path, gxtkSurface* surface, unsigned char** pixels, int* width,
                      int* height, int* depth);

// The surface goes away or no longer wants what was promised to it.
void forget_picture(gxtkSurface* surface);

// Pictures promised whose files are at hand and whose pixels are still on
// their way; pictures of files not fetched yet do not count.
int pictures_coming();

}  // namespace gfx

#endif
