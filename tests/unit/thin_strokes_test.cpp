// Thin anti-aliased strokes against a slow, plain oracle: each pixel's
// share covered by the pen, counted on a fine grid of sample points.
#include "platform/thin_strokes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace linesaver {
namespace {

constexpr int kW = 120;
constexpr int kH = 90;
constexpr int kGrid = 16; // oracle samples per pixel side

struct Picture {
    Picture(int w = kW, int h = kH, std::uint32_t fill = 0) : width(w), height(h), pixels(w * h, fill) {}
    PixelImage View() { return {reinterpret_cast<unsigned char*>(pixels.data()), width * 4, width, height}; }
    std::uint32_t At(int x, int y) const { return pixels[y * width + x]; }
    int width, height;
    std::vector<std::uint32_t> pixels;
};

struct Stroke {
    std::string name;
    bool circle;
    double a, b, c, d; // segment x1 y1 x2 y2, or circle x y r
    double width;
};

// Whether a point lies under the pen.
bool Under(const Stroke& s, double x, double y) {
    if (s.circle) return std::fabs(std::hypot(x - s.a, y - s.b) - s.c) <= s.width / 2;
    const double dx = s.c - s.a, dy = s.d - s.b, len = std::hypot(dx, dy);
    const double t = ((x - s.a) * dx + (y - s.b) * dy) / len;
    const double n = ((x - s.a) * -dy + (y - s.b) * dx) / len;
    return t >= 0 && t <= len && std::fabs(n) <= s.width / 2;
}

double Oracle(const Stroke& s, int px, int py) {
    int in = 0;
    for (int i = 0; i < kGrid; ++i)
        for (int j = 0; j < kGrid; ++j) in += Under(s, px + (i + 0.5) / kGrid, py + (j + 0.5) / kGrid);
    return static_cast<double>(in) / (kGrid * kGrid);
}

// Distance from a pixel's centre to the nearer end of a segment.
double FromEnds(const Stroke& s, int px, int py) {
    if (s.circle) return 1e9;
    return std::min(std::hypot(px + 0.5 - s.a, py + 0.5 - s.b), std::hypot(px + 0.5 - s.c, py + 0.5 - s.d));
}

void Draw(Picture& p, const Stroke& s, std::uint32_t rgb) {
    if (s.circle)
        StrokeCircle(p.View(), s.a, s.b, s.c, s.width, rgb);
    else
        StrokeSegment(p.View(), s.a, s.b, s.c, s.d, s.width, rgb);
}

const std::vector<Stroke>& Strokes() {
    static const std::vector<Stroke> strokes = {
        {"horizontal on a pixel row", false, 10, 40.5, 110, 40.5, 1},
        {"horizontal between rows", false, 10, 40, 110, 40, 1},
        {"vertical", false, 60.25, 5, 60.25, 85, 1},
        {"diagonal", false, 10.3, 5.7, 95.1, 84.2, 1},
        {"steep", false, 50.5, 2, 70.2, 88, 1},
        {"shallow", false, 3, 30.1, 117, 52.8, 1},
        {"short", false, 20, 20, 27, 24, 1},
        {"two pixels wide", false, 15, 80, 100, 12, 2},
        {"partly off the picture", false, -40, -30, 60, 50, 1},
        {"crossing the picture", false, -500, 100, 500, -10, 1},
        {"small circle", true, 30.5, 30.5, 6, 0, 1},
        {"large circle", true, 60, 45, 40, 0, 1},
        {"circle partly off", true, 110, 10, 30, 0, 1},
        {"wide circle", true, 60.3, 44.8, 25.2, 0, 2},
    };
    return strokes;
}

TEST(ThinStrokes, EachPixelTakesTheShareThePenCovers) {
    for (const Stroke& s : Strokes()) {
        Picture p;
        Draw(p, s, 0xffffff);
        double drawn = 0, wanted = 0, worst = 0;
        std::string where;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                const double got = (p.At(x, y) & 0xff) / 255.0;
                const double want = Oracle(s, x, y);
                drawn += got;
                wanted += want;
                // Square ends are followed less closely than the sides.
                const double slack = FromEnds(s, x, y) < 2 ? 0.5 : 0.15;
                if (std::fabs(got - want) > slack && std::fabs(got - want) > worst) {
                    worst = std::fabs(got - want);
                    where = std::to_string(x) + "," + std::to_string(y) + ": " + std::to_string(got) + " for " +
                            std::to_string(want);
                }
            }
        EXPECT_EQ(where, "") << s.name;
        EXPECT_NEAR(drawn, wanted, 0.03 * wanted + 1) << s.name;
    }
}

TEST(ThinStrokes, BlendsOverWhatIsThere) {
    // A pen three pixels wide centred on y = 40: rows 39 and 40 are covered,
    // rows 38 and 41 half.
    Picture p(kW, kH, 0x204060);
    StrokeSegment(p.View(), 10, 40, 110, 40, 3, 0xa0c0e0);
    EXPECT_EQ(p.At(50, 39), 0xa0c0e0u);
    EXPECT_EQ(p.At(50, 40), 0xa0c0e0u);
    for (int y : {38, 41}) {
        const std::uint32_t v = p.At(50, y);
        EXPECT_NEAR(double(v >> 16), (0x20 + 0xa0) / 2.0, 1) << y;
        EXPECT_NEAR(double((v >> 8) & 0xff), (0x40 + 0xc0) / 2.0, 1) << y;
        EXPECT_NEAR(double(v & 0xff), (0x60 + 0xe0) / 2.0, 1) << y;
    }
    EXPECT_EQ(p.At(50, 37), 0x204060u);
    EXPECT_EQ(p.At(50, 42), 0x204060u);
}

TEST(ThinStrokes, DrawsNothingForNothing) {
    struct Case {
        std::string name;
        Stroke stroke;
    };
    const double nan = std::nan("");
    for (const Case& c : {
             Case{"a segment of length zero", {"", false, 30, 30, 30, 30, 1}},
             Case{"wholly off the picture", {"", false, -50, -50, -10, -3, 1}},
             Case{"a circle round the picture", {"", true, 60, 45, 500, 0, 1}},
             Case{"no width", {"", false, 10, 10, 100, 80, 0}},
             Case{"not a number", {"", false, 10, nan, 100, 80, 1}},
             Case{"an endless one", {"", false, 10, 10, INFINITY, 80, 1}},
         }) {
        Picture p;
        Draw(p, c.stroke, 0xffffff);
        EXPECT_TRUE(std::all_of(p.pixels.begin(), p.pixels.end(), [](std::uint32_t v) { return v == 0; }))
            << c.name;
    }
}

} // namespace
} // namespace linesaver
