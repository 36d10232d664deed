// make_icon: the desktop icon, cut from the game's own play sheet.
//
//   moxel_makeicon <gfx-hd2.png> <out-dir> [--maskable] <size>...
//
// Takes the golfer's aiming frame from the quadruple-size play sheet, trims it to the pixels he covers,
// and stands him on a strip of grass on a rounded tile of the menu's dark blue (the sky he is always seen
// against). The tile is composed once at MASTER_SIZE and shrunk by area averaging to every requested
// size, written as <out-dir>/moxelpark-<size>.png. Sizes after --maskable are the installed web app's
// maskable icon instead, <out-dir>/moxelpark-maskable-<size>.png: a phone cuts it to its own shape, so the
// sky fills the whole square and the golfer stands smaller, inside the circle every shape keeps.
//
// Depends on: stb_image, stb_image_write (implementations from Debian's libstb).
#include <stb_image.h>
#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The play sheet is a grid of four frames per row; frame 0 is the golfer addressing the ball.
constexpr int SHEET_COLUMNS = 4;
constexpr int GOLFER_FRAME = 0;

// Composition, in pixels of the master tile.
// Large enough for the web app's 512-pixel icon.
constexpr int MASTER_SIZE = 512;
constexpr float CORNER_RADIUS = 80.0f;
constexpr float GROUND_Y = 424.0f;  // top of the grass strip; the golfer's feet rest on it
constexpr float GROUND_HEIGHT = 28.0f;
constexpr float FIGURE_HEIGHT = 360.0f;  // golfer's trimmed height on the master tile
constexpr int EDGE_SAMPLES = 4;          // per axis, for smooth tile corners
// The maskable icon: everything that matters within the central circle of 80% of the width.
constexpr float MASKABLE_GROUND_Y = 380.0f;
constexpr float MASKABLE_FIGURE_HEIGHT = 250.0f;

constexpr float SKY[3] = {0, 0, 80};  // the menu's background colour
constexpr float GRASS[3] = {40, 150, 40};

// Premultiplied RGBA in floats 0..1, so averaging never bleeds the colour of transparent pixels.
struct Picture {
    int w = 0, h = 0;
    std::vector<float> px;  // w * h * 4
    Picture(int width, int height) : w(width), h(height), px(size_t(width) * size_t(height) * 4, 0.0f) {}
    float* at(int x, int y) { return &px[(size_t(y) * size_t(w) + size_t(x)) * 4]; }
    const float* at(int x, int y) const { return &px[(size_t(y) * size_t(w) + size_t(x)) * 4]; }
};

// Resamples `src` region (sx, sy, sw, sh) onto `dst` rectangle (dx, dy, dw, dh) by area averaging:
// every destination pixel takes the coverage-weighted mean of the source pixels under it.
Picture resample(const Picture& src, float sx, float sy, float sw, float sh, int dw, int dh) {
    Picture out(dw, dh);
    const float fx = sw / float(dw);
    const float fy = sh / float(dh);
    for (int y = 0; y < dh; ++y) {
        const float y0 = sy + float(y) * fy, y1 = y0 + fy;
        for (int x = 0; x < dw; ++x) {
            const float x0 = sx + float(x) * fx, x1 = x0 + fx;
            float sum[4] = {0, 0, 0, 0};
            float weight = 0;
            for (int v = int(std::floor(y0)); v < int(std::ceil(y1)); ++v) {
                const float wy = std::min(y1, float(v + 1)) - std::max(y0, float(v));
                for (int u = int(std::floor(x0)); u < int(std::ceil(x1)); ++u) {
                    const float wx = std::min(x1, float(u + 1)) - std::max(x0, float(u));
                    const float wgt = wx * wy;
                    weight += wgt;
                    if (u < 0 || v < 0 || u >= src.w || v >= src.h) continue;  // outside: transparent
                    const float* p = src.at(u, v);
                    for (int k = 0; k < 4; ++k) sum[k] += p[k] * wgt;
                }
            }
            float* q = out.at(x, y);
            for (int k = 0; k < 4; ++k) q[k] = weight > 0 ? sum[k] / weight : 0;
        }
    }
    return out;
}

// Source-over of premultiplied `top` at (ox, oy) onto `base`.
void composite(Picture& base, const Picture& top, int ox, int oy) {
    for (int y = 0; y < top.h; ++y) {
        for (int x = 0; x < top.w; ++x) {
            const int bx = ox + x, by = oy + y;
            if (bx < 0 || by < 0 || bx >= base.w || by >= base.h) continue;
            const float* s = top.at(x, y);
            float* d = base.at(bx, by);
            for (int k = 0; k < 4; ++k) d[k] = s[k] + d[k] * (1.0f - s[3]);
        }
    }
}

// Is the point inside the rounded tile?
bool inside_tile(float x, float y) {
    const float lo = CORNER_RADIUS, hi = float(MASTER_SIZE) - CORNER_RADIUS;
    const float cx = std::clamp(x, lo, hi), cy = std::clamp(y, lo, hi);
    const float dx = x - cx, dy = y - cy;
    return dx * dx + dy * dy <= CORNER_RADIUS * CORNER_RADIUS;
}

// The tile: sky with a grass strip, rounded corners antialiased by supersampling (square and full for
// a maskable icon).
Picture make_tile(bool maskable, float groundY) {
    Picture tile(MASTER_SIZE, MASTER_SIZE);
    for (int y = 0; y < MASTER_SIZE; ++y) {
        for (int x = 0; x < MASTER_SIZE; ++x) {
            int hits = 0;
            for (int j = 0; j < EDGE_SAMPLES; ++j)
                for (int i = 0; i < EDGE_SAMPLES; ++i)
                    hits += maskable || inside_tile(float(x) + (float(i) + 0.5f) / EDGE_SAMPLES,
                                                    float(y) + (float(j) + 0.5f) / EDGE_SAMPLES);
            const float alpha = float(hits) / float(EDGE_SAMPLES * EDGE_SAMPLES);
            const bool grass = float(y) >= groundY && float(y) < groundY + GROUND_HEIGHT;
            const float* rgb = grass ? GRASS : SKY;
            float* p = tile.at(x, y);
            for (int k = 0; k < 3; ++k) p[k] = rgb[k] / 255.0f * alpha;
            p[3] = alpha;
        }
    }
    return tile;
}

// Loads the play sheet's golfer frame as a premultiplied picture; exits on failure.
Picture load_golfer(const char* path) {
    int w = 0, h = 0, channels = 0;
    unsigned char* data = stbi_load(path, &w, &h, &channels, 4);
    if (!data) {
        std::fprintf(stderr, "moxel_makeicon: cannot read %s\n", path);
        std::exit(1);
    }
    const int frame = w / SHEET_COLUMNS;
    const int fx = (GOLFER_FRAME % SHEET_COLUMNS) * frame, fy = (GOLFER_FRAME / SHEET_COLUMNS) * frame;
    Picture pic(frame, frame);
    for (int y = 0; y < frame && fy + y < h; ++y) {
        for (int x = 0; x < frame; ++x) {
            const unsigned char* s = data + (size_t(fy + y) * size_t(w) + size_t(fx + x)) * 4;
            float* d = pic.at(x, y);
            d[3] = float(s[3]) / 255.0f;
            for (int k = 0; k < 3; ++k) d[k] = float(s[k]) / 255.0f * d[3];
        }
    }
    stbi_image_free(data);
    return pic;
}

// Bounding box of the pixels that are not fully transparent.
struct Box {
    int x0, y0, x1, y1;  // x1, y1 exclusive
};

Box opaque_box(const Picture& pic) {
    Box b{pic.w, pic.h, 0, 0};
    for (int y = 0; y < pic.h; ++y)
        for (int x = 0; x < pic.w; ++x)
            if (pic.at(x, y)[3] > 0) {
                b.x0 = std::min(b.x0, x), b.y0 = std::min(b.y0, y);
                b.x1 = std::max(b.x1, x + 1), b.y1 = std::max(b.y1, y + 1);
            }
    return b;
}

bool write_png(const Picture& pic, const std::string& path) {
    std::vector<unsigned char> bytes(size_t(pic.w) * size_t(pic.h) * 4);
    for (size_t i = 0; i < bytes.size() / 4; ++i) {
        const float* p = &pic.px[i * 4];
        const float a = p[3];
        for (int k = 0; k < 3; ++k) {
            const float straight = a > 0 ? p[k] / a : 0;
            bytes[i * 4 + size_t(k)] =
                static_cast<unsigned char>(std::lround(std::clamp(straight, 0.0f, 1.0f) * 255));
        }
        bytes[i * 4 + 3] = static_cast<unsigned char>(std::lround(std::clamp(a, 0.0f, 1.0f) * 255));
    }
    return stbi_write_png(path.c_str(), pic.w, pic.h, 4, bytes.data(), pic.w * 4) != 0;
}

// The golfer on his tile, at the master size.
Picture compose(const Picture& golfer, const Box& box, bool maskable) {
    const float groundY = maskable ? MASKABLE_GROUND_Y : GROUND_Y;
    const float height = maskable ? MASKABLE_FIGURE_HEIGHT : FIGURE_HEIGHT;
    // Scale the trimmed golfer to the figure's height, centre him, feet on the grass.
    Picture tile = make_tile(maskable, groundY);
    const float scale = height / float(box.y1 - box.y0);
    const int fw = int(std::lround(float(box.x1 - box.x0) * scale));
    const int fh = int(std::lround(height));
    const Picture figure = resample(golfer, float(box.x0), float(box.y0), float(box.x1 - box.x0),
                                    float(box.y1 - box.y0), fw, fh);
    composite(tile, figure, (MASTER_SIZE - fw) / 2, int(groundY) + int(GROUND_HEIGHT / 2) - fh);
    return tile;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: moxel_makeicon <gfx-hd2.png> <out-dir> [--maskable] <size>...\n");
        return 2;
    }
    const Picture golfer = load_golfer(argv[1]);
    const Box box = opaque_box(golfer);
    if (box.x1 <= box.x0 || box.y1 <= box.y0) {
        std::fprintf(stderr, "moxel_makeicon: the golfer's frame in %s is empty\n", argv[1]);
        return 1;
    }
    const Picture tile = compose(golfer, box, false);
    const Picture maskableTile = compose(golfer, box, true);

    bool maskable = false;
    for (int i = 3; i < argc; ++i) {
        if (std::string(argv[i]) == "--maskable") {
            maskable = true;
            continue;
        }
        const int size = std::atoi(argv[i]);
        if (size <= 0 || size > MASTER_SIZE) {
            std::fprintf(stderr, "moxel_makeicon: size %s is not between 1 and %d\n", argv[i], MASTER_SIZE);
            return 2;
        }
        const Picture icon = resample(maskable ? maskableTile : tile, 0, 0, float(MASTER_SIZE),
                                      float(MASTER_SIZE), size, size);
        const std::string path = std::string(argv[2]) + (maskable ? "/moxelpark-maskable-" : "/moxelpark-") +
                                 std::to_string(size) + ".png";
        if (!write_png(icon, path)) {
            std::fprintf(stderr, "moxel_makeicon: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
