// Fuzz target: image decoding and surface creation. Any bytes decode to an
// image or to null; a decoded image becomes a surface whose width, height and
// depth come from the file, and is premultiplied and "uploaded" without a GL
// context (every GL call is then a no-op, as in the game's logic tests), then
// collected, which frees what is left.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "graphics/surface.h"
#include "runtime/gc.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    gc_init1();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int width = 0, height = 0, depth = 0;
    unsigned char* pixels = loadImage(data, static_cast<int>(size), &width, &height, &depth);
    if (!pixels) return 0;
    if (width <= 0 || height <= 0 || depth < 1 || depth > 4) std::abort();
    auto* surface = new gxtkSurface(pixels, width, height, depth);
    surface->OnUnsafeLoadComplete();
    if (surface->Width() != width || surface->Height() != height) std::abort();
    // Nothing is a root here: a forced sweep destroys the surface.
    gc_force_sweep = true;
    gc_collect();
    gc_force_sweep = true;
    gc_collect();
    return 0;
}
