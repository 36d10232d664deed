// The page's picture decoder: a small WebAssembly module of its own that runs
// in a worker (decoder.js), so that decoding a large picture sheet never
// holds up the page. It decodes with the desktop's own code
// (graphics/image_decode.cpp over stb_image), so the pixels that reach a
// texture are bit for bit the desktop's, and premultiplies them as the
// desktop does before its upload.
#include <emscripten.h>

#include "graphics/image_decode.h"

// Decodes `length` bytes of a PNG file; the premultiplied pixels (to be
// freed with moxel_free), or null. `out` receives width, height and depth.
extern "C" EMSCRIPTEN_KEEPALIVE unsigned char* moxel_decode(const unsigned char* bytes, int length,
                                                            int* out) {
    int w = 0, h = 0, depth = 0;
    unsigned char* pixels = loadImage(bytes, length, &w, &h, &depth);
    if (!pixels) return nullptr;
    premultiplyPixels(pixels, static_cast<long>(w) * h, depth);
    out[0] = w;
    out[1] = h;
    out[2] = depth;
    return pixels;
}

extern "C" EMSCRIPTEN_KEEPALIVE void moxel_free(unsigned char* pixels) {
    unloadImage(pixels);
}
