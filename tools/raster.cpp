// raster: shapes, pixel grids and PNG output for the data builder (see raster.h).
#include "tools/raster.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace {

// Deflate at zlib's best, for stb_image_write's PNG writer: its own packer
// leaves the large sheets three to four times the size, which every first
// visit of the browser version would download.
constexpr int ZLIB_BEST = 9;
constexpr int ZLIB_WINDOW_BITS = 15;
constexpr int ZLIB_MEMORY_LEVEL = 9;

unsigned char* zlib_compress(unsigned char* data, int length, int* outLength, int) {
    uLong room = compressBound(static_cast<uLong>(length));
    auto* out = static_cast<unsigned char*>(std::malloc(room));
    if (!out) return nullptr;
    z_stream stream{};
    if (deflateInit2(&stream, ZLIB_BEST, Z_DEFLATED, ZLIB_WINDOW_BITS, ZLIB_MEMORY_LEVEL,
                     Z_DEFAULT_STRATEGY) != Z_OK) {
        std::free(out);
        return nullptr;
    }
    stream.next_in = data;
    stream.avail_in = static_cast<uInt>(length);
    stream.next_out = out;
    stream.avail_out = static_cast<uInt>(room);
    const bool done = deflate(&stream, Z_FINISH) == Z_STREAM_END;
    *outLength = static_cast<int>(stream.total_out);
    deflateEnd(&stream);
    if (!done) {
        std::free(out);
        return nullptr;
    }
    return out;
}

}  // namespace

// The PNG writer is compiled here, over zlib, and kept to this file.
#define STBIW_ZLIB_COMPRESS zlib_compress
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace makedata {

namespace {

constexpr float PI = 3.14159265f;

// Is (x, y) inside the polygon (even-odd rule)?
bool inside_polygon(const std::vector<Point>& pts, float x, float y) {
    bool in = false;
    for (size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
        const Point& a = pts[i];
        const Point& b = pts[j];
        if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) in = !in;
    }
    return in;
}

// Distance from (x, y) to the segment a-b.
float segment_distance(float x, float y, Point a, Point b) {
    float dx = b.x - a.x, dy = b.y - a.y;
    float len2 = dx * dx + dy * dy;
    float t = len2 > 0 ? ((x - a.x) * dx + (y - a.y) * dy) / len2 : 0.0f;
    t = std::clamp(t, 0.0f, 1.0f);
    float ex = a.x + t * dx - x, ey = a.y + t * dy - y;
    return std::sqrt(ex * ex + ey * ey);
}

}  // namespace

Rgba mix(Rgba a, Rgba b, float t) {
    auto m = [t](uint8_t u, uint8_t v) { return uint8_t(std::lround(u + (v - u) * t)); };
    return Rgba{m(a.r, b.r), m(a.g, b.g), m(a.b, b.b), m(a.a, b.a)};
}

Canvas::Canvas(int w, int h, int factor)
    : factor_(factor), pw_(w * factor), ph_(h * factor), cx1_(pw_), cy1_(ph_), px_(size_t(pw_) * ph_) {}

void Canvas::set_frame(int x, int y, int w, int h) {
    ox_ = x * factor_;
    oy_ = y * factor_;
    cx0_ = std::max(0, ox_);
    cy0_ = std::max(0, oy_);
    cx1_ = std::min(pw_, ox_ + w * factor_);
    cy1_ = std::min(ph_, oy_ + h * factor_);
}

// NOTE: "over" compositing in straight alpha, so half-covered edges keep their true colour.
void Canvas::blend(int px, int py, Rgba c, float coverage) {
    Rgba& d = px_[size_t(py) * size_t(pw_) + size_t(px)];
    float sa = c.a / 255.0f * coverage;
    float da = d.a / 255.0f;
    float oa = sa + da * (1.0f - sa);
    if (oa <= 0.0f) return;
    auto ch = [&](uint8_t s, uint8_t dst) {
        float v = (s * sa + dst * da * (1.0f - sa)) / oa;
        return uint8_t(std::clamp(std::lround(v), 0L, 255L));
    };
    d = Rgba{ch(c.r, d.r), ch(c.g, d.g), ch(c.b, d.b), uint8_t(std::lround(oa * 255.0f))};
}

void Canvas::rect(float x, float y, float w, float h, Rgba c) {
    fill(x, y, x + w, y + h, c,
         [=](float px, float py) { return px >= x && px < x + w && py >= y && py < y + h; });
}

void Canvas::round_rect(float x, float y, float w, float h, float radius, Rgba c) {
    fill(x, y, x + w, y + h, c, [=](float px, float py) {
        if (px < x || px >= x + w || py < y || py >= y + h) return false;
        float qx = std::max(std::max(x + radius - px, px - (x + w - radius)), 0.0f);
        float qy = std::max(std::max(y + radius - py, py - (y + h - radius)), 0.0f);
        return qx * qx + qy * qy <= radius * radius;
    });
}

void Canvas::disc(float cx, float cy, float r, Rgba c) {
    ellipse(cx, cy, r, r, c);
}

void Canvas::ellipse(float cx, float cy, float rx, float ry, Rgba c) {
    fill(cx - rx, cy - ry, cx + rx, cy + ry, c, [=](float px, float py) {
        float u = (px - cx) / rx, v = (py - cy) / ry;
        return u * u + v * v <= 1.0f;
    });
}

void Canvas::ring(float cx, float cy, float r_in, float r_out, Rgba c) {
    fill(cx - r_out, cy - r_out, cx + r_out, cy + r_out, c, [=](float px, float py) {
        float d2 = (px - cx) * (px - cx) + (py - cy) * (py - cy);
        return d2 <= r_out * r_out && d2 >= r_in * r_in;
    });
}

void Canvas::line(float x0, float y0, float x1, float y1, float width, Rgba c) {
    float h = width * 0.5f;
    Point a{x0, y0}, b{x1, y1};
    fill(std::min(x0, x1) - h, std::min(y0, y1) - h, std::max(x0, x1) + h, std::max(y0, y1) + h, c,
         [=](float px, float py) { return segment_distance(px, py, a, b) <= h; });
}

void Canvas::polygon(const std::vector<Point>& pts, Rgba c) {
    float x0 = pts[0].x, x1 = x0, y0 = pts[0].y, y1 = y0;
    for (const Point& p : pts) {
        x0 = std::min(x0, p.x);
        x1 = std::max(x1, p.x);
        y0 = std::min(y0, p.y);
        y1 = std::max(y1, p.y);
    }
    fill(x0, y0, x1, y1, c, [&pts](float px, float py) { return inside_polygon(pts, px, py); });
}

void Canvas::star(float cx, float cy, float r_out, float r_in, Rgba c) {
    std::vector<Point> pts;
    for (int i = 0; i < 10; ++i) {
        float a = (-90.0f + 36.0f * i) * PI / 180.0f;
        float r = (i % 2) ? r_in : r_out;
        pts.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
    }
    polygon(pts, c);
}

void Canvas::arc(float cx, float cy, float r, float width, float a0, float a1, Rgba c) {
    float h = width * 0.5f;
    float lo = a0 * PI / 180.0f, hi = a1 * PI / 180.0f;
    fill(cx - r - h, cy - r - h, cx + r + h, cy + r + h, c, [=](float px, float py) {
        float dx = px - cx, dy = py - cy;
        float d = std::sqrt(dx * dx + dy * dy);
        if (std::fabs(d - r) > h) return false;
        float a = std::atan2(dy, dx);
        while (a < lo) a += 2 * PI;
        return a <= hi;
    });
}

void Canvas::dot(int x, int y, Rgba c) {
    for (int py = oy_ + y * factor_; py < oy_ + (y + 1) * factor_; ++py)
        for (int px = ox_ + x * factor_; px < ox_ + (x + 1) * factor_; ++px)
            if (px >= cx0_ && px < cx1_ && py >= cy0_ && py < cy1_) blend(px, py, c, 1.0f);
}

void Canvas::grid(int x, int y, const std::vector<std::string>& rows, const Palette& pal) {
    for (size_t r = 0; r < rows.size(); ++r) {
        for (size_t col = 0; col < rows[r].size(); ++col) {
            auto it = pal.find(rows[r][col]);
            if (it != pal.end()) dot(x + int(col), y + int(r), it->second);
        }
    }
}

void Canvas::paste(const Canvas& src, int x, int y) {
    for (int sy = 0; sy < src.ph_; ++sy) {
        int py = oy_ + y * factor_ + sy;
        if (py < 0 || py >= ph_) continue;
        for (int sx = 0; sx < src.pw_; ++sx) {
            int px = ox_ + x * factor_ + sx;
            if (px >= 0 && px < pw_) blend(px, py, src.at(sx, sy), 1.0f);
        }
    }
}

// NOTE: only edge pixels spread the halo: the layer is pasted over it and covers the solid inside anyway,
// which keeps big lettering at factor 4 fast.
Canvas halo(const Canvas& layer, float radius, Rgba colour) {
    const int f = layer.factor();
    Canvas out(layer.pixel_width() / f, layer.pixel_height() / f, f);
    const float reach_px = radius * float(f);
    const int r = int(std::ceil(reach_px));
    for (int py = 0; py < out.ph_; ++py) {
        for (int px = 0; px < out.pw_; ++px) {
            int a = layer.at(px, py).a;
            if (a == 0) continue;
            bool inside = a == 255 && layer.opaque(px - 1, py) && layer.opaque(px + 1, py) &&
                          layer.opaque(px, py - 1) && layer.opaque(px, py + 1);
            int reach = inside ? 0 : r;
            for (int y = std::max(0, py - reach); y <= std::min(out.ph_ - 1, py + reach); ++y) {
                for (int x = std::max(0, px - reach); x <= std::min(out.pw_ - 1, px + reach); ++x) {
                    if (float((x - px) * (x - px) + (y - py) * (y - py)) > reach_px * reach_px) continue;
                    Rgba& d = out.px_[size_t(y) * size_t(out.pw_) + size_t(x)];
                    uint8_t ha = uint8_t(a * colour.a / 255);
                    if (ha > d.a) d = {colour.r, colour.g, colour.b, ha};
                }
            }
        }
    }
    return out;
}

std::vector<std::vector<std::string>> split_band(const char* band, int width) {
    std::istringstream in(band);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) lines.push_back(line);
    std::vector<std::vector<std::string>> grids;
    for (size_t at = 0; at < lines[0].size(); at += size_t(width) + 1) {
        std::vector<std::string> grid;
        for (const std::string& line : lines) grid.push_back(line.substr(at, size_t(width)));
        grids.push_back(grid);
    }
    return grids;
}

bool write_png(const std::string& path, const Canvas& canvas) {
    return stbi_write_png(path.c_str(), canvas.pixel_width(), canvas.pixel_height(), 4,
                          canvas.pixels().data(), canvas.pixel_width() * 4) != 0;
}

}  // namespace makedata
