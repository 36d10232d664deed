// The browser's back end: OpenGL ES 2 / WebGL 1. One shader program stands in
// for the fixed-function pipeline, and one vertex buffer, filled before every
// draw, for the client-side arrays WebGL does not have. WebGL takes and gives
// pixels only as R, G, B, A bytes, so the device's B, G, R, A blocks are
// swapped on the way.
#include <GLES2/gl2.h>

#include <cstdio>

#include "graphics/gl_backend.h"
#include "graphics/graphics_device.h"

namespace {

const char* const VERTEX_SHADER =
    "attribute vec2 aPos;\n"
    "attribute vec2 aUV;\n"
    "attribute vec4 aColor;\n"
    "uniform vec2 uScale;\n"
    "varying vec2 vUV;\n"
    "varying vec4 vColor;\n"
    "void main() {\n"
    "  vUV = aUV;\n"
    "  vColor = aColor;\n"
    "  gl_PointSize = 1.0;\n"
    "  gl_Position = vec4(aPos.x * uScale.x - 1.0, 1.0 - aPos.y * uScale.y, 0.0, 1.0);\n"
    "}\n";

// Colour bytes are premultiplied; a textured draw multiplies the texel (also
// premultiplied) by them, as the fixed-function modulate does.
const char* const FRAGMENT_SHADER =
    "precision mediump float;\n"
    "varying vec2 vUV;\n"
    "varying vec4 vColor;\n"
    "uniform sampler2D uTexture;\n"
    "uniform float uTextured;\n"
    "void main() {\n"
    "  vec4 texel = uTextured > 0.5 ? texture2D(uTexture, vUV) : vec4(1.0);\n"
    "  gl_FragColor = texel * vColor;\n"
    "}\n";

constexpr GLuint ATTRIBUTE_POSITION = 0;
constexpr GLuint ATTRIBUTE_UV = 1;
constexpr GLuint ATTRIBUTE_COLOR = 2;
constexpr int BYTES_PER_PIXEL = 4;

struct Pipeline {
    GLuint program = 0;
    GLuint vertexBuffer = 0;
    GLuint indexBuffer = 0;
    GLint scale = -1;
    GLint textured = -1;
    const gxtkVertex* vertices = nullptr;
    const std::uint16_t* uploadedIndices = nullptr;
};

Pipeline pipeline;

GLuint compile(GLenum type, const char* source) {
    GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[512] = {0};
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "The drawing shader does not compile: %s\n", log);
    }
    return shader;
}

// Built on the first frame (the context exists by then), and again on the
// first frame after a lost context came back.
void build_pipeline() {
    Pipeline& p = pipeline;
    p.program = glCreateProgram();
    glAttachShader(p.program, compile(GL_VERTEX_SHADER, VERTEX_SHADER));
    glAttachShader(p.program, compile(GL_FRAGMENT_SHADER, FRAGMENT_SHADER));
    glBindAttribLocation(p.program, ATTRIBUTE_POSITION, "aPos");
    glBindAttribLocation(p.program, ATTRIBUTE_UV, "aUV");
    glBindAttribLocation(p.program, ATTRIBUTE_COLOR, "aColor");
    glLinkProgram(p.program);
    GLint ok = 0;
    glGetProgramiv(p.program, GL_LINK_STATUS, &ok);
    if (!ok) std::fprintf(stderr, "The drawing shader does not link\n");
    p.scale = glGetUniformLocation(p.program, "uScale");
    p.textured = glGetUniformLocation(p.program, "uTextured");
    glGenBuffers(1, &p.vertexBuffer);
    glGenBuffers(1, &p.indexBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, p.vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof(gxtkVertex) * GFX_MAX_VERTICES, nullptr, GL_STREAM_DRAW);
    glUseProgram(p.program);
    glUniform1i(glGetUniformLocation(p.program, "uTexture"), 0);
}

void upload(int count) {
    glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(sizeof(gxtkVertex)) * count,
                    pipeline.vertices);
}

void bind(unsigned texture) {
    glUniform1f(pipeline.textured, texture != 0 ? 1.0f : 0.0f);
    if (texture != 0) glBindTexture(GL_TEXTURE_2D, texture);
}

// Bytes 0 and 2 of every pixel change places: B, G, R, A <-> R, G, B, A.
void swap_red_blue(unsigned char* p, size_t pixels) {
    for (size_t i = 0; i < pixels; ++i, p += BYTES_PER_PIXEL) {
        const unsigned char t = p[0];
        p[0] = p[2];
        p[2] = t;
    }
}

}  // namespace

namespace gfx {

void begin_frame(int width, int height, const gxtkVertex* vertices) {
    Pipeline& p = pipeline;
    if (p.program == 0) build_pipeline();
    p.vertices = vertices;
    glViewport(0, 0, width, height);
    glUseProgram(p.program);
    glUniform2f(p.scale, 2.0f / static_cast<float>(width), 2.0f / static_cast<float>(height));
    glBindBuffer(GL_ARRAY_BUFFER, p.vertexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, p.indexBuffer);
    glEnableVertexAttribArray(ATTRIBUTE_POSITION);
    glEnableVertexAttribArray(ATTRIBUTE_UV);
    glEnableVertexAttribArray(ATTRIBUTE_COLOR);
    const GLsizei stride = sizeof(gxtkVertex);
    glVertexAttribPointer(ATTRIBUTE_POSITION, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(0));
    glVertexAttribPointer(ATTRIBUTE_UV, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(8));
    glVertexAttribPointer(ATTRIBUTE_COLOR, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride, reinterpret_cast<void*>(16));
    glActiveTexture(GL_TEXTURE0);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
}

void draw_arrays(GLenum mode, int count, unsigned texture) {
    upload(count);
    bind(texture);
    glDrawArrays(mode, 0, count);
}

void draw_quads(int quads, const std::uint16_t* indices, unsigned texture) {
    // The device's index list never changes: it goes up once.
    if (pipeline.uploadedIndices != indices) {
        glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                     static_cast<GLsizeiptr>(sizeof(std::uint16_t)) * GFX_QUAD_INDICES, indices,
                     GL_STATIC_DRAW);
        pipeline.uploadedIndices = indices;
    }
    upload(quads * 4);
    bind(texture);
    glDrawElements(GL_TRIANGLES, quads * 6, GL_UNSIGNED_SHORT, reinterpret_cast<void*>(0));
}

void read_bgra(int x, int y, int w, int h, unsigned char* out) {
    glReadPixels(x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, out);
    swap_red_blue(out, static_cast<size_t>(w) * static_cast<size_t>(h));
}

void write_bgra(unsigned texture, int x, int y, int w, int h, std::uint32_t* pixels) {
    unsigned char* bytes = reinterpret_cast<unsigned char*>(pixels);
    swap_red_blue(bytes, static_cast<size_t>(w) * static_cast<size_t>(h));
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, bytes);
}

void forget_objects() {
    pipeline = Pipeline();
}

// WebGL takes every size up to its limit for textures drawn as ours are
// (clamped, unfiltered, no mipmaps), so the limit is all there is to check:
// asking for the error flag instead would wait for the browser's GPU process
// to finish everything sent before it, which holds the page up for tens of
// milliseconds per picture.
bool allocate_texture(GLenum format, int w, int h) {
    static GLint largest = 0;
    if (largest == 0) glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    if (w > largest || h > largest) return false;
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), w, h, 0, format, GL_UNSIGNED_BYTE, nullptr);
    return true;
}

}  // namespace gfx
