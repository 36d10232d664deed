// The framework's images and frames: loading, cutting frames, padding and handles.
#include "graphics/image.h"

#include "graphics/graphics.h"
#include "host/base/files.h"
#include "runtime/debug.h"

int bb_graphics_Image::g_DefaultFlags = 0;

bb_graphics_Frame* bb_graphics_Frame::g_new(int fx, int fy) {
    x = fx;
    y = fy;
    return this;
}

bb_graphics_Image::bb_graphics_Image()
    : surface(nullptr), width(0), height(0), flags(0), handleX(0), handleY(0), sourceImage(nullptr) {}

void bb_graphics_Image::mark() {
    gc_mark_q(surface);
    gc_mark_q(frames);
    gc_mark_q(sourceImage);
}

int bb_graphics_Image::m_SetHandle(float x, float y) {
    handleX = x;
    handleY = y;
    flags &= ~IMAGE_CENTRE_HANDLE;
    return 0;
}

int bb_graphics_Image::m_ApplyFlags(int newFlags) {
    flags = newFlags;
    if (flags & IMAGE_PAD_X) {
        for (int i = 0; i < frames.Length(); ++i) frames[i]->x += 1;
        width -= 2;
    }
    if (flags & IMAGE_PAD_Y) {
        for (int i = 0; i < frames.Length(); ++i) frames[i]->y += 1;
        height -= 2;
    }
    if (flags & IMAGE_CENTRE_HANDLE)
        m_SetHandle(static_cast<float>(width) * 0.5f, static_cast<float>(height) * 0.5f);
    // A single frame covering the surface is drawn without a source rectangle.
    if (frames.Length() == 1 && frames[0]->x == 0 && frames[0]->y == 0 && width == surface->Width() &&
        height == surface->Height()) {
        flags |= IMAGE_WHOLE_SURFACE;
    }
    return 0;
}

bb_graphics_Image* bb_graphics_Image::m_Init(gxtkSurface* newSurface, int frameCount, int newFlags) {
    gc_assign(surface, newSurface);
    width = surface->Width() / frameCount;
    height = surface->Height();
    Array<bb_graphics_Frame*> strip(frameCount);
    for (int i = 0; i < frameCount; ++i) gc_assign(strip[i], (new bb_graphics_Frame())->g_new(i * width, 0));
    gc_assign(frames, strip);
    m_ApplyFlags(newFlags);
    return this;
}

bb_graphics_Image* bb_graphics_Image::m_Grab(int x, int y, int frameWidth, int frameHeight, int frameCount,
                                             int newFlags, bb_graphics_Image* source) {
    gc_assign(sourceImage, source);
    gc_assign(surface, source->surface);
    width = frameWidth;
    height = frameHeight;
    Array<bb_graphics_Frame*> sheet(frameCount);
    gc_assign(frames, sheet);

    const bb_graphics_Frame* origin = source->frames[0];
    int cx = x;
    int cy = y;
    for (int i = 0; i < frameCount; ++i) {
        // A new row starts at the left edge, not at x.
        if (cx + width > source->width) {
            cx = 0;
            cy += height;
        }
        if (cx + width > source->width || cy + height > source->height) {
            Error(String("Image frame outside surface"));
        }
        gc_assign(frames[i], (new bb_graphics_Frame())->g_new(cx + origin->x, cy + origin->y));
        cx += width;
    }
    m_ApplyFlags(newFlags);
    return this;
}

bb_graphics_Image* bb_graphics_Image::m_GrabImage(int x, int y, int frameWidth, int frameHeight,
                                                  int frameCount, int newFlags) {
    if (frames.Length() != 1) return nullptr;
    return (new bb_graphics_Image())
        ->g_new()
        ->m_Grab(x, y, frameWidth, frameHeight, frameCount, newFlags, this);
}

bb_graphics_Image* bb_graphics_LoadImage(String path, int frameCount, int flags) {
    gxtkSurface* surface = bb_graphics_device->LoadSurface(bb_data_FixDataPath(path));
    if (!surface) return nullptr;
    return (new bb_graphics_Image())->g_new()->m_Init(surface, frameCount, flags);
}

bb_graphics_Image* bb_graphics_LoadImage2(String path, int frameWidth, int frameHeight, int frameCount,
                                          int flags) {
    bb_graphics_Image* sheet = bb_graphics_LoadImage(path, 1, 0);
    if (!sheet) return nullptr;
    return sheet->m_GrabImage(0, 0, frameWidth, frameHeight, frameCount, flags);
}
