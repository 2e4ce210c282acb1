// Thin strokes and the canvas over them. Strokes that draw nothing; strokes
// at the picture's edges and over pixels already drawn: the rows near an
// edge are blended one pixel at a time and the rest several at once, and
// both must leave the very same pixels. A picture cut off at the right or
// bottom shows exactly what a larger one shows there, and every pixel the
// pen does not reach keeps its value, unused top byte included. The
// canvas's record of what changed: every pixel a drawing touches must
// reach the screen, every pixel it inks must go at the next clear, and a
// clear of a clear canvas changes nothing; a copy keeps the pixels as they
// are.
#include "platform/raster/pixel_canvas.h"
#include "platform/raster/thin_strokes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

namespace linesaver {
namespace {

constexpr int kW = 120;
constexpr int kH = 90;
constexpr float kPx = 15; // twips per pixel

// What the strokes draw, and how they blend, the gallery pins pixel for
// pixel. Strokes that draw something, then strokes that draw nothing.
struct Stroke {
    std::string name;
    bool circle;
    double a, b, c, d; // segment x1 y1 x2 y2, or circle x y r, in pixels
    double width;
};
const std::vector<Stroke> kDrawing = {
    {"horizontal on a pixel row", false, 10, 40.5, 110, 40.5, 1},
    {"horizontal between rows", false, 10, 40, 110, 40, 1},
    {"vertical", false, 60.25, 5, 60.25, 85, 1},
    {"vertical on a tile edge", false, 32, 5, 32, 85, 1},
    {"steep", false, 50.5, 2, 70.2, 88, 1},
    {"shallow", false, 3, 30.1, 117, 52.8, 1},
    {"two pixels wide", false, 15, 80, 100, 12, 2},
    {"crossing the picture", false, -500, 100, 500, -10, 1},
    {"small circle", true, 30.5, 30.5, 6, 0, 1},
    {"circle partly off", true, 110, 10, 30, 0, 1},
    {"wide circle", true, 60.3, 44.8, 25.2, 0, 2},
};
const std::vector<Stroke> kNothing = {
    {"a segment of length zero", false, 30, 30, 30, 30, 1},
    {"wholly off the picture", false, -50, -50, -10, -3, 1},
    {"a circle round the picture", true, 60, 45, 500, 0, 1},
    {"no width", false, 10, 10, 100, 80, 0},
    {"not a number", false, 10, std::nan(""), 100, 80, 1},
    {"an endless one", false, 10, 10, INFINITY, 80, 1},
};

std::uint32_t Pixel(const PixelCanvas& canvas, int x, int y) {
    std::uint32_t p;
    std::memcpy(&p, canvas.Data() + y * canvas.Stride() + x * 4, 4);
    return p & 0xffffff;
}

// Lit pixels that no rectangle covers, as "x,y" of the first few.
std::string Uncovered(const PixelCanvas& canvas, std::span<const PixelRect> rects) {
    std::string out;
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x)
            if (Pixel(canvas, x, y) != 0 && out.size() < 40 && std::none_of(rects.begin(), rects.end(), [&](auto& r) {
                    return x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h;
                }))
                out += std::to_string(x) + "," + std::to_string(y) + " ";
    return out;
}

TEST(CanvasDirty, EveryPixelDrawnIsReportedChangedOnceAndClearedAfter) {
    for (std::span<const Stroke> strokes : {std::span(kDrawing), std::span(kNothing)})
        for (const Stroke& s : strokes) {
            PixelCanvas canvas(kW, kH, 1 / kPx, s.width);
            ASSERT_TRUE(canvas.ok());
            if (s.circle)
                canvas.Circle(s.a * kPx, s.b * kPx, s.c * kPx, 0xffffff);
            else
                canvas.Line(s.a * kPx, s.b * kPx, s.c * kPx, s.d * kPx, 0xffffff);
            if (strokes.data() == kNothing.data()) {
                EXPECT_EQ(Uncovered(canvas, {}), "") << s.name << ": drew something";
            }
            const auto taken = canvas.TakeDirty();
            const std::vector<PixelRect> rects(taken.begin(), taken.end());
            EXPECT_EQ(Uncovered(canvas, rects), "") << s.name;
            for (const PixelRect& r : rects)
                EXPECT_TRUE(r.w > 0 && r.h > 0 && r.x >= 0 && r.y >= 0 && r.x + r.w <= kW && r.y + r.h <= kH)
                    << s.name << ": " << r.x << "," << r.y << " " << r.w << "x" << r.h;
            EXPECT_TRUE(canvas.TakeDirty().empty()) << s.name << ": reported twice";

            // A second colour on top, then a clear: all of both goes.
            canvas.Line(0, 0, kW * kPx, kH * kPx, 0x3080ff);
            canvas.TakeDirty();
            PixelCanvas before(kW, kH, 1);
            before.CopyFrom(canvas);
            canvas.Clear();
            EXPECT_EQ(Uncovered(canvas, {}), "") << s.name;
            const auto cleared = canvas.TakeDirty();
            EXPECT_EQ(Uncovered(before, cleared), "") << s.name;
            canvas.Clear();
            EXPECT_TRUE(canvas.TakeDirty().empty()) << s.name << ": a clear of a clear canvas";
        }
    PixelCanvas fresh(kW, kH, 1 / kPx);
    fresh.Clear();
    EXPECT_TRUE(fresh.TakeDirty().empty());
}

// Someone else's pixels, rows wider than the picture; the bytes past each
// row's end are never the canvas's to touch.
struct ForeignPixels {
    ForeignPixels(int w, int h) : width(w), stride(w * 4 + 8), bytes(static_cast<std::size_t>(stride) * h, 0x7f) {}
    bool MarginsIntact() const {
        for (std::size_t row = 0; row < bytes.size(); row += stride)
            for (int i = width * 4; i < stride; ++i)
                if (bytes[row + i] != 0x7f) return false;
        return true;
    }
    int width;
    int stride;
    std::vector<unsigned char> bytes;
};

TEST(CanvasDirty, ACanvasOverPixelsOfAnotherStartsBlackAndWholeChanged) {
    for (const PixelRect c : {PixelRect{0, 0, kW, kH}, PixelRect{0, 0, 33, 1}, PixelRect{0, 0, 64, 64}}) {
        ForeignPixels pixels(c.w, c.h);
        PixelCanvas canvas(pixels.bytes.data(), pixels.stride, c.w, c.h, 1 / kPx);
        ASSERT_TRUE(canvas.ok());
        EXPECT_EQ(canvas.Data(), pixels.bytes.data());
        EXPECT_EQ(Uncovered(canvas, {}), "");
        const auto rects = canvas.TakeDirty();
        EXPECT_EQ(std::vector<PixelRect>(rects.begin(), rects.end()), std::vector{c});
        canvas.Line(0, 0, c.w * kPx, c.h * kPx, 0xffffff);
        EXPECT_NE(Uncovered(canvas, {}), "");
        canvas.Clear();
        EXPECT_EQ(Uncovered(canvas, {}), "");
        EXPECT_TRUE(pixels.MarginsIntact()) << c.w << "x" << c.h;
    }
    // Unusable pixels make no canvas.
    unsigned char some[64] = {};
    EXPECT_FALSE(PixelCanvas(nullptr, 64, 4, 4, 1).ok());
    EXPECT_FALSE(PixelCanvas(some, 6, 1, 1, 1).ok());  // a row not whole pixels
    EXPECT_FALSE(PixelCanvas(some, 12, 4, 1, 1).ok()); // a row shorter than the picture
    EXPECT_FALSE(PixelCanvas(-1, 4, 1).ok());
}

TEST(CanvasDirty, AClearTouchesOnlyWhatWasDrawnSinceTheLast) {
    ForeignPixels pixels(kW, kH);
    PixelCanvas canvas(pixels.bytes.data(), pixels.stride, kW, kH, 1 / kPx);
    // A pixel set behind the canvas's back, far from anything drawn since.
    pixels.bytes[static_cast<std::size_t>(pixels.stride) * 2 + (kW - 3) * 4] = 0x55;
    canvas.Line(5 * kPx, 80 * kPx, 20 * kPx, 85 * kPx, 0xffffff);
    canvas.Clear();
    EXPECT_EQ(Uncovered(canvas, {}), std::to_string(kW - 3) + ",2 ");
}

TEST(CanvasDirty, CopyKeepsThePictureAndBlacksTheRestAndCountsAsDrawn) {
    struct Case {
        std::string name;
        int fromW, fromH, toW, toH;
    };
    for (const Case& c : std::vector<Case>{{"onto a smaller canvas", kW, kH, kW / 2, kH / 2},
                                           {"onto a larger canvas", kW / 2, kH / 2, kW, kH},
                                           {"onto a wider, lower one", kW / 2, kH, kW, kH / 3}}) {
        PixelCanvas from(c.fromW, c.fromH, 1 / kPx);
        from.Circle(30 * kPx, 22 * kPx, 20 * kPx, 0xffffff);
        ForeignPixels pixels(c.toW, c.toH);
        PixelCanvas to(pixels.bytes.data(), pixels.stride, c.toW, c.toH, 1 / kPx);
        to.Line(0, 0, c.toW * kPx, c.toH * kPx, 0x3080ff); // what was there goes
        to.TakeDirty();
        to.CopyFrom(from);
        std::string wrong;
        for (int y = 0; y < c.toH; ++y)
            for (int x = 0; x < c.toW; ++x) {
                const std::uint32_t want = x < c.fromW && y < c.fromH ? Pixel(from, x, y) : 0;
                if (Pixel(to, x, y) != want && wrong.size() < 40) wrong += std::to_string(x) + "," + std::to_string(y) + " ";
            }
        EXPECT_EQ(wrong, "") << c.name;
        EXPECT_TRUE(pixels.MarginsIntact()) << c.name;
        const auto changed = to.TakeDirty();
        EXPECT_EQ(std::vector<PixelRect>(changed.begin(), changed.end()), (std::vector{PixelRect{0, 0, c.toW, c.toH}}))
            << c.name;
        to.Clear();
        EXPECT_EQ(Uncovered(to, {}), "") << c.name;
    }
}

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

constexpr int kEdgeW = 96, kEdgeH = 80;

// Each crosses the right or bottom edge of a kEdgeW x kEdgeH picture, with
// every window size the walk knows (widths 1 to 3, slopes 0 to 1). The
// segments span 48 rows (or columns) or more inside the picture too, so
// that both pictures work out their coverage alike (shorter ones are worked
// out exactly, longer ones from a table).
const std::vector<Stroke> kAcrossEdges = {
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

void Draw(Background& p, const Stroke& s, std::uint32_t rgb) {
    if (s.circle)
        StrokeCircle(p.View(), s.a, s.b, s.c, s.width, rgb);
    else
        StrokeSegment(p.View(), s.a, s.b, s.c, s.d, s.width, rgb);
}

// How far a pixel's centre lies from the pen's middle line.
double Distance(const Stroke& s, int x, int y) {
    const double px = x + 0.5, py = y + 0.5;
    if (s.circle) return std::fabs(std::hypot(px - s.a, py - s.b) - s.c);
    const double dx = s.c - s.a, dy = s.d - s.b, len = std::hypot(dx, dy);
    const double t = std::clamp(((px - s.a) * dx + (py - s.b) * dy) / (len * len), 0.0, 1.0);
    return std::hypot(px - (s.a + t * dx), py - (s.b + t * dy));
}

// Drawn over a cut picture and over a larger one: the same pixels in the
// shared part, and only those within the pen's reach changed.
TEST(ThinStrokesAtEdges, ACutPictureShowsWhatALargerOneShowsAndNothingOutOfReach) {
    for (const Stroke& s : kAcrossEdges) {
        const Background before(kEdgeW, kEdgeH);
        Background cut(kEdgeW, kEdgeH), larger(kEdgeW + 24, kEdgeH + 24);
        // The same background under the shared part.
        for (int y = 0; y < kEdgeH; ++y)
            for (int x = 0; x < kEdgeW; ++x) larger.pixels[static_cast<std::size_t>(y) * larger.w + x] = cut.At(x, y);
        Draw(cut, s, 0x3c8fe1);
        Draw(larger, s, 0x3c8fe1);
        int differing = 0, changedFarOff = 0, changedNear = 0;
        for (int y = 0; y < kEdgeH; ++y)
            for (int x = 0; x < kEdgeW; ++x) {
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
