// The display list and the drawing helpers, the scale from the window to the
// logical screen, and the replay of the list at render time.
//
// Every screen describes its frame during the update by appending entries of
// 15 floats in logical units; drawing helpers only store numbers into the
// preallocated list, so building a frame allocates nothing. The render scales
// the list uniformly to the window: the logical area spans the whole window,
// one of its sides nominal and the other shorter. The menu holds its logical
// area within the shapes its layout serves: in a window taller or wider than
// that, its area is the nearest shape that holds, centred, and the background
// (and whatever the menu draws beyond its area) fills the rest.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "game/game.h"
#include "graphics/graphics.h"

namespace {

constexpr float OPAQUE = 1.0f;
constexpr int AXIS_WIDTH = 1;
constexpr int AXIS_HEIGHT = 2;

// Floats of the display list in use, held to the array.
int used_floats(int drawCount) {
    if (drawCount < 0) return 0;
    return drawCount < DRAW_LIST_FLOATS ? drawCount : DRAW_LIST_FLOATS;
}

// Whether an optional float argument was given.
bool given(float v) {
    return v > OMITTED;
}

}  // namespace

// ---- Draw state ----

int bb_Moxelpark_MyApp::m_ResetDraw() {
    f_SizeX = f_SizeY = 1.0f;
    f_Rotation = 0.0f;
    f_ColRed = f_ColGreen = f_ColBlue = WHITE;
    f_ColAlpha = OPAQUE;
    return 0;
}

int bb_Moxelpark_MyApp::m_CLS2D(float r, float g, float b, float a) {
    if (given(r)) {
        f_ClsRed = r;
        f_ClsGreen = g;
        f_ClsBlue = b;
        f_ClsAlpha = a;
    }
    m_ResetDraw();
    f_DrawCount = 0;
    // The frame is replayed on the logical area it is laid out on.
    f_ListHeldShape = f_HeldShape;
    return 0;
}

int bb_Moxelpark_MyApp::m_SetSize(float x, float y) {
    f_SizeX = x;
    f_SizeY = given(y) ? y : x;
    return 0;
}

int bb_Moxelpark_MyApp::m_Alpha(float a) {
    f_ColAlpha = a;
    return 0;
}

int bb_Moxelpark_MyApp::m_SetCol(float r, float g, float b, float a) {
    f_ColRed = r;
    f_ColGreen = g;
    f_ColBlue = b;
    if (given(a)) f_ColAlpha = a;
    return 0;
}

// ---- Appends ----

bool bb_Moxelpark_MyApp::AppendEntry(float kind, float x, float y, float w, float h, float frame) {
    // NOTE: a full frame drops further draws silently; the last entry slot of
    // the array is never used.
    if (f_DrawCount > DRAW_LIST_FULL || f_DrawCount < 0) return false;
    float* e = &f_DrawList[f_DrawCount];
    e[DRAW_KIND] = kind;
    e[DRAW_X] = x;
    e[DRAW_Y] = y;
    e[DRAW_ROTATION] = f_Rotation;
    e[DRAW_W] = w;
    e[DRAW_H] = h;
    e[DRAW_FRAME] = frame;
    e[DRAW_ALPHA] = f_ColAlpha;
    e[DRAW_RED] = f_ColRed;
    e[DRAW_GREEN] = f_ColGreen;
    e[DRAW_BLUE] = f_ColBlue;
    f_DrawCount += DRAW_ENTRY_FLOATS;
    return true;
}

int bb_Moxelpark_MyApp::m_DrawImg(int slot, float x, float y, float frame) {
    AppendEntry(static_cast<float>(slot), x, y, f_SizeX, f_SizeY, frame);
    return 0;
}

int bb_Moxelpark_MyApp::m_Rect(float x, float y, float w, float h) {
    AppendEntry(DRAW_KIND_RECT, x, y, w, h, 0.0f);
    return 0;
}

int bb_Moxelpark_MyApp::m_Oval(float x, float y, float rx, float ry) {
    AppendEntry(DRAW_KIND_OVAL, x, y, rx, ry, 0.0f);
    return 0;
}

// ---- Scale and replay ----

void bb_Moxelpark_MyApp::ComputeScale(int width, int height) {
    // NOTE: a window without area (iconified, or no window at all in tests)
    // would give a zero scale and a logical area of 0/0; keep the last one.
    if (width <= 0 || height <= 0) return;
    float sx = static_cast<float>(width) / bb_Moxelpark_rawscrw;
    float sy = static_cast<float>(height) / bb_Moxelpark_rawscrh;
    float s;
    if (sy > sx) {
        f_ScaleAxis = AXIS_HEIGHT;
        s = sy;
    } else {
        f_ScaleAxis = AXIS_WIDTH;
        s = sx;
    }
    bb_Moxelpark_jscrw = static_cast<float>(width) / s;
    bb_Moxelpark_jscrh = static_cast<float>(height) / s;
    f_OffsetX = f_OffsetY = 0.0f;
    // The menu's held shape keeps the nominal side and the window's other
    // side, in whole pixels from the window's edges.
    if (watching_) {
        // A watched game keeps the screen it was played on, letterboxed in
        // whole pixels from the window's edges.
        bb_Moxelpark_jscrw = replayWidth_;
        bb_Moxelpark_jscrh = replayHeight_;
        const float byWidth = static_cast<float>(width) / replayWidth_;
        const float byHeight = static_cast<float>(height) / replayHeight_;
        f_ScaleAxis = byHeight < byWidth ? AXIS_HEIGHT : AXIS_WIDTH;
        s = std::min(byWidth, byHeight);
        f_OffsetX = std::floor((static_cast<float>(width) - replayWidth_ * s) / 2.0f);
        f_OffsetY = std::floor((static_cast<float>(height) - replayHeight_ * s) / 2.0f);
    } else if (f_HeldShape == 1 && bb_Moxelpark_jscrw < bb_Moxelpark_jscrh * MENU_ASPECT_MIN) {
        bb_Moxelpark_jscrw = bb_Moxelpark_jscrh * MENU_ASPECT_MIN;
        f_ScaleAxis = AXIS_WIDTH;
        s = static_cast<float>(width) / bb_Moxelpark_jscrw;
        f_OffsetY = std::floor((static_cast<float>(height) - bb_Moxelpark_jscrh * s) / 2.0f);
    } else if (f_HeldShape == 1 && bb_Moxelpark_jscrw > bb_Moxelpark_jscrh * MENU_ASPECT_MAX) {
        bb_Moxelpark_jscrh = bb_Moxelpark_jscrw / MENU_ASPECT_MAX;
        f_ScaleAxis = AXIS_HEIGHT;
        s = static_cast<float>(height) / bb_Moxelpark_jscrh;
        f_OffsetX = std::floor((static_cast<float>(width) - bb_Moxelpark_jscrw * s) / 2.0f);
    }
    f_ScaleX = f_ScaleY = s;
    f_Landscape = 1;
    if (bb_Moxelpark_jscrw < bb_Moxelpark_jscrh) f_Landscape = 0;
}

void bb_Moxelpark_MyApp::HoldMenuShape(bool held) {
    const int want = held ? 1 : 0;
    if (f_HeldShape == want) return;
    f_HeldShape = want;
    ComputeScale(f_DeviceWidth, f_DeviceHeight);
}

void bb_Moxelpark_MyApp::RenderFrame() {
    int width = bb_graphics_DeviceWidth();
    int height = bb_graphics_DeviceHeight();
    // Drawing needs a render under way; without one (no GL context) only the
    // size check and the scale run.
    bool drawing = bb_graphics_renderDevice != nullptr;

    // 1. The background is a rectangle one pixel beyond every edge.
    if (drawing) {
        bb_graphics_SetColor(f_ClsRed, f_ClsGreen, f_ClsBlue);
        bb_graphics_SetAlpha(f_ClsAlpha);
        bb_graphics_DrawRect(-1.0f, -1.0f, static_cast<float>(width + 2), static_cast<float>(height + 2));
        // 2. Colour back to white, opaque.
        bb_graphics_SetColor(WHITE, WHITE, WHITE);
        bb_graphics_SetAlpha(OPAQUE);
    }

    // 3. A new window size reloads every image at the factor that suits it.
    if (width != f_DeviceWidth || height != f_DeviceHeight) {
        f_LoadStep = LOADER_FIRST_STEP;
        f_DeviceWidth = width;
        f_DeviceHeight = height;
    }

    // 4. The scale and the logical screen for this window, of the shape the
    // list was laid out on.
    f_HeldShape = f_ListHeldShape;
    ComputeScale(width, height);

    // 5, 6. Play the list back; leave the colour white at half alpha.
    if (drawing) {
        ReplayDrawList(f_ScaleX, f_OffsetX, f_OffsetY);
        bb_graphics_SetAlpha(REPLAY_END_ALPHA);
        bb_graphics_SetColor(WHITE, WHITE, WHITE);
    }
}

void bb_Moxelpark_MyApp::ReplayDrawList(float s, float ox, float oy) {
    for (f_Loop = 0; f_Loop < f_DrawCount - (DRAW_ENTRY_FLOATS - 1); f_Loop += DRAW_ENTRY_FLOATS) {
        const float* e = &f_DrawList[f_Loop];
        bb_graphics_SetAlpha(e[DRAW_ALPHA]);
        bb_graphics_SetColor(e[DRAW_RED], e[DRAW_GREEN], e[DRAW_BLUE]);
        float kind = e[DRAW_KIND];
        if (kind == DRAW_KIND_RECT) {
            bb_graphics_DrawRect(ox + s * e[DRAW_X], oy + s * e[DRAW_Y], s * e[DRAW_W], s * e[DRAW_H]);
        } else if (kind == DRAW_KIND_OVAL) {
            bb_graphics_DrawEllipse(ox + s * e[DRAW_X], oy + s * e[DRAW_Y], s * e[DRAW_W], s * e[DRAW_H]);
        } else if (kind > -1.0f && kind < static_cast<float>(IMAGE_SLOTS)) {
            bb_graphics_Image* image = f_Images[static_cast<int>(kind)];
            if (image == nullptr) continue;
            float frame = e[DRAW_FRAME];
            // Frames come from the game's own code; a value that does not fit
            // an int is no frame at all.
            if (!(frame > static_cast<float>(INT_MIN) && frame < static_cast<float>(INT_MAX))) continue;
            bb_graphics_DrawImage2(image, ox + s * e[DRAW_X], oy + s * e[DRAW_Y], e[DRAW_ROTATION],
                                   e[DRAW_W] * s * f_ImageScale, e[DRAW_H] * s * f_ImageScale,
                                   static_cast<int>(frame));
        }
    }
}

// ---- The picture last drawn ----

void bb_Moxelpark_MyApp::RememberPicture() {
    const int n = used_floats(f_DrawCount);
    // Within the room reserved at construction: no allocation.
    drawn_.list.assign(f_DrawList.Data(), f_DrawList.Data() + n);
    drawn_.cls[0] = f_ClsRed;
    drawn_.cls[1] = f_ClsGreen;
    drawn_.cls[2] = f_ClsBlue;
    drawn_.cls[3] = f_ClsAlpha;
    drawn_.imageScale = f_ImageScale;
    drawn_.heldShape = f_ListHeldShape;
    for (int i = 0; i < IMAGE_SLOTS; ++i) drawn_.images[static_cast<size_t>(i)] = f_Images[i];
    drawn_.drawn = true;
}

bool bb_Moxelpark_MyApp::m_PictureChanged() {
    if (!drawn_.drawn) return true;
    const int n = used_floats(f_DrawCount);
    // Bit for bit: a list that compares equal replays into the same pixels.
    if (static_cast<size_t>(n) != drawn_.list.size() ||
        std::memcmp(drawn_.list.data(), f_DrawList.Data(), static_cast<size_t>(n) * sizeof(float)) != 0) {
        return true;
    }
    const float cls[4] = {f_ClsRed, f_ClsGreen, f_ClsBlue, f_ClsAlpha};
    if (std::memcmp(cls, drawn_.cls, sizeof cls) != 0) return true;
    if (std::memcmp(&f_ImageScale, &drawn_.imageScale, sizeof f_ImageScale) != 0) return true;
    if (f_ListHeldShape != drawn_.heldShape) return true;
    for (int i = 0; i < IMAGE_SLOTS; ++i) {
        if (drawn_.images[static_cast<size_t>(i)] != f_Images[i]) return true;
    }
    return false;
}
