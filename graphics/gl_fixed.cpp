// The desktop's back end: fixed-function OpenGL 1.x with client-side arrays.
#include "graphics/gl_backend.h"
#include "graphics/graphics_device.h"

namespace gfx {

void begin_frame(int width, int height, const gxtkVertex* vertices) {
    glViewport(0, 0, width, height);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, width, height, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(2, GL_FLOAT, sizeof(gxtkVertex), &vertices[0].x);
    glTexCoordPointer(2, GL_FLOAT, sizeof(gxtkVertex), &vertices[0].u);
    glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(gxtkVertex), &vertices[0].color);

    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_TEXTURE_2D);
}

namespace {
void bind(unsigned texture) {
    if (texture == 0) return;
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
}

void unbind(unsigned texture) {
    if (texture != 0) glDisable(GL_TEXTURE_2D);
}
}  // namespace

void draw_arrays(GLenum mode, int count, unsigned texture) {
    bind(texture);
    glDrawArrays(mode, 0, count);
    unbind(texture);
}

void draw_quads(int quads, const std::uint16_t* indices, unsigned texture) {
    bind(texture);
    glDrawElements(GL_TRIANGLES, quads * 6, GL_UNSIGNED_SHORT, indices);
    unbind(texture);
}

void read_bgra(int x, int y, int w, int h, unsigned char* out) {
    glReadPixels(x, y, w, h, GL_BGRA, GL_UNSIGNED_BYTE, out);
}

void write_bgra(unsigned texture, int x, int y, int w, int h, std::uint32_t* pixels) {
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, w, h, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
}

// The fixed-function pipeline keeps no objects of its own.
void forget_objects() {}

// Older drivers refuse sizes that are not powers of two, and say so only
// through the error flag: earlier flags are dropped first, so the
// allocation's own result is read.
bool allocate_texture(GLenum format, int w, int h) {
    while (glGetError() != GL_NO_ERROR) {
    }
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), w, h, 0, format, GL_UNSIGNED_BYTE, nullptr);
    return glGetError() == GL_NO_ERROR;
}

}  // namespace gfx
