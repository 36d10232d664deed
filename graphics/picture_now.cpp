// The desktop's picture source: every file is decoded at once.
#include "graphics/picture_source.h"
#include "graphics/surface.h"

namespace gfx {

Picture begin_picture(const String& path, gxtkSurface*, unsigned char** pixels, int* width, int* height,
                      int* depth) {
    *pixels = loadImage(path, width, height, depth);
    return *pixels ? Picture::DECODED : Picture::NONE;
}

void forget_picture(gxtkSurface*) {}

int pictures_coming() {
    return 0;
}

}  // namespace gfx
