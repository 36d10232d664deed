// The device's OpenGL back end: the few calls that differ between the
// desktop's fixed-function OpenGL 1.x (gl_fixed.cpp) and OpenGL ES 2 / WebGL 1
// (gl_es2.cpp), one of which is built in. Everything else the device and the
// surfaces call (clear, blend, scissor, textures) is common to both.
#ifndef MOXEL_GRAPHICS_GL_BACKEND_H
#define MOXEL_GRAPHICS_GL_BACKEND_H

#include <cstdint>

#include "graphics/gl.h"

struct gxtkVertex;

namespace gfx {

// Sets a frame up: the viewport, a projection with the origin at the top left
// and y downwards, `vertices` as the one vertex array every draw reads, and
// premultiplied-alpha blending.
void begin_frame(int width, int height, const gxtkVertex* vertices);
// Draws the first `count` vertices of the frame's vertex array as `mode`
// (points, lines or a fan), textured from `texture` when it is not 0.
void draw_arrays(GLenum mode, int count, unsigned texture);
// Draws `quads` quads (four vertices each, corners in order) from the frame's
// vertex array as triangles through `indices`, six per quad.
void draw_quads(int quads, const std::uint16_t* indices, unsigned texture);
// Reads a w x h block whose bottom-left corner is (x, y) in OpenGL's rows
// (bottom first) as bytes B, G, R, A per pixel.
void read_bgra(int x, int y, int w, int h, unsigned char* out);
// Writes a w x h block of B, G, R, A bytes into `texture` at (x, y); the
// block is the caller's scratch and may be reordered on the way.
void write_bgra(unsigned texture, int x, int y, int w, int h, std::uint32_t* pixels);
// Allocates the bound texture at w x h in `format`, with no pixels; false
// when the driver refuses that size.
bool allocate_texture(GLenum format, int w, int h);
// Forgets the back end's own OpenGL objects after the context was lost; the
// next frame makes them again in the restored context.
void forget_objects();

}  // namespace gfx

#endif
