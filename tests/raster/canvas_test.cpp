// Thin strokes and the canvas over them. Strokes that draw nothing; the
// canvas's record of what changed: every pixel a drawing touches must
// reach the screen, every pixel it inks must go at the next clear, and a
// clear of a clear canvas changes nothing; a canvas over someone else's
// pixels never touches the bytes past each row's end; a copy keeps the
// pixels as they are. (What the strokes draw, at the picture's edges too,
// where rows are blended one pixel at a time rather than several at once,
// the gallery pins pixel for pixel.)
#include "platform/raster/pixel_canvas.h"

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
    {"a segment of length zero", false, 30, 30, 30, 30, 1},  {"wholly off the picture", false, -50, -50, -10, -3, 1},
    {"a circle round the picture", true, 60, 45, 500, 0, 1}, {"no width", false, 10, 10, 100, 80, 0},
    {"not a number", false, 10, std::nan(""), 100, 80, 1},   {"an endless one", false, 10, 10, INFINITY, 80, 1},
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
            ASSERT_TRUE(canvas.Ok());
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
        ASSERT_TRUE(canvas.Ok());
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
    EXPECT_FALSE(PixelCanvas(nullptr, 64, 4, 4, 1).Ok());
    EXPECT_FALSE(PixelCanvas(some, 6, 1, 1, 1).Ok());  // a row not whole pixels
    EXPECT_FALSE(PixelCanvas(some, 12, 4, 1, 1).Ok()); // a row shorter than the picture
    EXPECT_FALSE(PixelCanvas(-1, 4, 1).Ok());
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
                if (Pixel(to, x, y) != want && wrong.size() < 40)
                    wrong += std::to_string(x) + "," + std::to_string(y) + " ";
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

} // namespace
} // namespace linesaver
