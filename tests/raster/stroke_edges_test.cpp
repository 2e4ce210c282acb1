// Thin strokes at the picture's edges and over pixels already drawn: the
// rows near an edge are blended one pixel at a time and the rest several
// at once, and both must leave the very same pixels. A picture cut off at
// the right or bottom shows exactly what a larger one shows there, and
// every pixel the pen does not reach keeps its value, unused top byte
// included.
#include "platform/raster/thin_strokes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace linesaver {
namespace {

// A picture w x h over a background that differs from pixel to pixel.
struct Background {
    Background(int width, int height) : w(width), h(height), pixels(static_cast<std::size_t>(w) * h) {
        for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint32_t>(i * 2654435761u);
    }
    PixelImage View() { return {reinterpret_cast<unsigned char*>(pixels.data()), w * 4, w, h}; }
    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * w + x]; }
    int w, h;
    std::vector<std::uint32_t> pixels;
};

struct EdgeStroke {
    std::string name;
    bool circle;
    double a, b, c, d; // segment x1 y1 x2 y2, or circle x y r
    double width;
};

constexpr int kW = 96, kH = 80;

// Each crosses the right or bottom edge of a kW x kH picture, with every
// window size the walk knows (widths 1 to 3, slopes 0 to 1). The segments
// span 48 rows (or columns) or more inside the picture too, so that both
// pictures work out their coverage alike (shorter ones are worked out
// exactly, longer ones from a table).
const std::vector<EdgeStroke> kAcrossEdges = {
    {"steep, out at the right", false, 84.3, 1.2, 104.1, 78.7, 1},
    {"steep, along the right edge", false, 94.6, 0.5, 95.4, 79.5, 1},
    {"diagonal, out at the right", false, 20.1, 2.4, 110.6, 78.1, 2},
    {"steep and wide, out at the right", false, 88.5, 3, 101.2, 77, 3},
    {"shallow, out at the bottom", false, 1.5, 62.2, 95.3, 90.9, 1},
    {"shallow, along the bottom edge", false, 0.4, 79.3, 95.6, 78.6, 1},
    {"shallow and wide, out at the bottom", false, 2, 66.6, 94, 86.2, 3},
    {"vertical on the last column", false, 95.5, 0, 95.5, 80, 1},
    {"horizontal on the last row", false, 0, 79.5, 96, 79.5, 2},
    {"circle, out at the corner", true, 85.2, 70.7, 14.3, 0, 1},
    {"circle, wide", true, 60, 45, 38.6, 0, 2},
};

void Draw(Background& p, const EdgeStroke& s, std::uint32_t rgb) {
    if (s.circle)
        StrokeCircle(p.View(), s.a, s.b, s.c, s.width, rgb);
    else
        StrokeSegment(p.View(), s.a, s.b, s.c, s.d, s.width, rgb);
}

// How far a pixel's centre lies from the pen's middle line.
double Distance(const EdgeStroke& s, int x, int y) {
    const double px = x + 0.5, py = y + 0.5;
    if (s.circle) return std::fabs(std::hypot(px - s.a, py - s.b) - s.c);
    const double dx = s.c - s.a, dy = s.d - s.b, len = std::hypot(dx, dy);
    const double t = std::clamp(((px - s.a) * dx + (py - s.b) * dy) / (len * len), 0.0, 1.0);
    return std::hypot(px - (s.a + t * dx), py - (s.b + t * dy));
}

// Drawn over a cut picture and over a larger one: the same pixels in the
// shared part, and only those within the pen's reach changed.
TEST(ThinStrokesAtEdges, ACutPictureShowsWhatALargerOneShowsAndNothingOutOfReach) {
    for (const EdgeStroke& s : kAcrossEdges) {
        const Background before(kW, kH);
        Background cut(kW, kH), larger(kW + 24, kH + 24);
        // The same background under the shared part.
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) larger.pixels[static_cast<std::size_t>(y) * larger.w + x] = cut.At(x, y);
        Draw(cut, s, 0x3c8fe1);
        Draw(larger, s, 0x3c8fe1);
        int differing = 0, changedFarOff = 0, changedNear = 0;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                differing += cut.At(x, y) != larger.At(x, y);
                if (cut.At(x, y) == before.At(x, y)) continue;
                // Within the pen's half width and a pixel's half diagonal;
                // square ends reach a little further along the segment.
                (Distance(s, x, y) <= s.width / 2 + 0.75 ? changedNear : changedFarOff) += 1;
            }
        EXPECT_EQ(differing, 0) << s.name;
        EXPECT_EQ(changedFarOff, 0) << s.name;
        EXPECT_GT(changedNear, 0) << s.name;
    }
}

} // namespace
} // namespace linesaver
