// raster: the canvas every picture of the game's data is drawn on.
//
// A Canvas is an RGBA sheet with straight (not premultiplied) alpha. Drawing calls take coordinates in
// factor-1 pixels; the canvas multiplies them by its resolution factor (1, 2 or 4), so one drawing routine
// makes the plain, "-hd" and "-hd2" variants. Shapes are anti-aliased by 4x4 supersampling; pixel grids
// are blown up block by block and stay crisp.
//
// Depends on: the C++ standard library only.
#ifndef MOXEL_TOOLS_RASTER_H
#define MOXEL_TOOLS_RASTER_H

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace makedata {

constexpr int RASTER_SUBSAMPLES = 4;  // per axis, so 16 samples per device pixel

struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 0;
};

// Builds a colour; alpha defaults to opaque.
constexpr Rgba rgb(int r, int g, int b, int a = 255) {
    return Rgba{uint8_t(r), uint8_t(g), uint8_t(b), uint8_t(a)};
}

// Mixes two colours: t = 0 gives a, t = 1 gives b.
Rgba mix(Rgba a, Rgba b, float t);

struct Point {
    float x, y;
};

// A character-to-colour table for pixel grids; any character not in it is transparent.
using Palette = std::map<char, Rgba>;

class Canvas {
  public:
    // A canvas of w by h factor-1 pixels at the given factor.
    Canvas(int w, int h, int factor);

    int factor() const { return factor_; }
    int pixel_width() const { return pw_; }
    int pixel_height() const { return ph_; }
    const std::vector<Rgba>& pixels() const { return px_; }
    Rgba at(int px, int py) const { return px_[size_t(py) * size_t(pw_) + size_t(px)]; }

    // Moves the origin to the top-left corner of a frame and clips drawing to it (factor-1 units).
    void set_frame(int x, int y, int w, int h);

    // Filled shapes, anti-aliased.
    void rect(float x, float y, float w, float h, Rgba c);
    void round_rect(float x, float y, float w, float h, float radius, Rgba c);
    void disc(float cx, float cy, float r, Rgba c);
    void ellipse(float cx, float cy, float rx, float ry, Rgba c);
    void ring(float cx, float cy, float r_in, float r_out, Rgba c);
    void line(float x0, float y0, float x1, float y1, float width, Rgba c);
    void polygon(const std::vector<Point>& pts, Rgba c);
    // A five-pointed star with the given outer and inner radii, point up.
    void star(float cx, float cy, float r_out, float r_in, Rgba c);
    // A ring sector from angle a0 to a1 in degrees (0 = right, clockwise on screen).
    void arc(float cx, float cy, float r, float width, float a0, float a1, Rgba c);

    // Fills the area between x0 and x1 below the curve y = height(x) (factor-1 units), anti-aliased.
    template <typename Height>
    void area_below(float x0, float x1, float top, float bottom, Height height, Rgba c) {
        fill(x0, top, x1, bottom, c, [&](float x, float y) { return x >= x0 && x < x1 && y >= height(x); });
    }

    // Copies a pixel grid (one string per row) with its top-left corner at (x, y), each grid pixel
    // becoming one crisp factor-1 pixel.
    void grid(int x, int y, const std::vector<std::string>& rows, const Palette& pal);
    // Sets one factor-1 pixel (a block of factor x factor device pixels), blending over what is there.
    void dot(int x, int y, Rgba c);

    // Composites another canvas of the same factor at (x, y) in factor-1 units from the frame's corner
    // (not clipped to the frame).
    void paste(const Canvas& src, int x, int y);

  private:
    friend Canvas halo(const Canvas& layer, float radius, Rgba colour);

    // Fills every device pixel whose supersampled centres lie inside the shape.
    template <typename Inside>
    void fill(float x0, float y0, float x1, float y1, Rgba c, Inside inside);
    void blend(int px, int py, Rgba c, float coverage);
    bool opaque(int px, int py) const {
        return px < 0 || py < 0 || px >= pw_ || py >= ph_ || at(px, py).a == 255;
    }

    int factor_, pw_, ph_;
    int ox_ = 0, oy_ = 0;                // frame origin, device pixels
    int cx0_ = 0, cy0_ = 0, cx1_, cy1_;  // clip box, device pixels (x1, y1 exclusive)
    std::vector<Rgba> px_;
};

template <typename Inside>
inline void Canvas::fill(float x0, float y0, float x1, float y1, Rgba c, Inside inside) {
    const float f = float(factor_);
    int px0 = std::max(cx0_, int(std::floor(x0 * f)) + ox_ - 1);
    int py0 = std::max(cy0_, int(std::floor(y0 * f)) + oy_ - 1);
    int px1 = std::min(cx1_, int(std::ceil(x1 * f)) + ox_ + 1);
    int py1 = std::min(cy1_, int(std::ceil(y1 * f)) + oy_ + 1);
    for (int py = py0; py < py1; ++py) {
        for (int px = px0; px < px1; ++px) {
            int hits = 0;
            for (int sy = 0; sy < RASTER_SUBSAMPLES; ++sy) {
                float y = (py - oy_ + (sy + 0.5f) / RASTER_SUBSAMPLES) / f;
                for (int sx = 0; sx < RASTER_SUBSAMPLES; ++sx) {
                    float x = (px - ox_ + (sx + 0.5f) / RASTER_SUBSAMPLES) / f;
                    if (inside(x, y)) ++hits;
                }
            }
            if (hits) blend(px, py, c, hits / float(RASTER_SUBSAMPLES * RASTER_SUBSAMPLES));
        }
    }
}

// A halo around whatever is drawn on a canvas: every pixel within `radius` factor-1 units of a drawn pixel
// takes the colour, as opaque as the most opaque drawn pixel in reach. Paste it under the canvas to give
// white art a dark edge that keeps it readable over light backgrounds.
Canvas halo(const Canvas& layer, float radius, Rgba colour);

// Splits a band of pixel grids drawn side by side (each `width` columns, one blank column between) into
// separate grids.
std::vector<std::vector<std::string>> split_band(const char* band, int width);

// Writes the canvas as an RGBA PNG; false on failure.
bool write_png(const std::string& path, const Canvas& canvas);

}  // namespace makedata

#endif  // MOXEL_TOOLS_RASTER_H
