// The canvas's record of what changed and what is inked: every pixel a
// drawing touches must reach the screen, and every pixel it inks must go at
// the next clear; a clear of a clear canvas changes nothing.
#include "platform/cairo_canvas.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

namespace linesaver {
namespace {

constexpr int kW = 300;
constexpr int kH = 200;
constexpr double kPixelsPerTwip = 1.0 / 15;
constexpr float kPx = 15; // twips per pixel

struct Shape {
    std::string name;
    bool circle;
    float a, b, c, d; // line x1 y1 x2 y2, or circle x y r, in pixels
};

const std::vector<Shape>& Shapes() {
    static const std::vector<Shape> shapes = {
        {"horizontal", false, 10, 50.5f, 290, 50.5f},
        {"vertical", false, 150.5f, 5, 150.5f, 195},
        {"diagonal", false, 5, 5, 295, 195},
        {"steep", false, 140, 0, 160, 200},
        {"shallow upwards", false, 0, 120, 300, 100},
        {"on a tile edge", false, 31.5f, 10, 31.5f, 100},
        {"partly off", false, -100, -50, 120, 90},
        {"wholly off", false, -100, -50, -10, -5},
        {"a point", false, 77, 77, 77, 77},
        {"small circle", true, 100, 100, 3, 0},
        {"large circle", true, 150, 100, 90, 0},
        {"circle partly off", true, 290, 10, 40, 0},
        {"circle round the canvas", true, 150, 100, 400, 0},
    };
    return shapes;
}

void Draw(CairoCanvas& canvas, const Shape& s, Colour colour = 0xffffff) {
    if (s.circle)
        canvas.Circle(s.a * kPx, s.b * kPx, s.c * kPx, colour);
    else
        canvas.Line(s.a * kPx, s.b * kPx, s.c * kPx, s.d * kPx, colour);
}

std::uint32_t Pixel(const CairoCanvas& canvas, int x, int y) {
    std::uint32_t p;
    std::memcpy(&p, canvas.Data() + y * canvas.Stride() + x * 4, 4);
    return p & 0xffffff;
}

bool Inside(std::span<const PixelRect> rects, int x, int y) {
    for (const PixelRect& r : rects)
        if (x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h) return true;
    return false;
}

// Lit pixels that no rectangle covers, as "x,y" of the first few.
std::string Uncovered(const CairoCanvas& canvas, std::span<const PixelRect> rects) {
    std::string out;
    int count = 0;
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x)
            if (Pixel(canvas, x, y) != 0 && !Inside(rects, x, y) && count++ < 5)
                out += std::to_string(x) + "," + std::to_string(y) + " ";
    return out;
}

int LitPixels(const CairoCanvas& canvas) {
    int lit = 0;
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x) lit += Pixel(canvas, x, y) != 0;
    return lit;
}

TEST(CanvasDirty, EveryPixelDrawnIsReportedChanged) {
    for (const Shape& s : Shapes()) {
        CairoCanvas canvas(kW, kH, kPixelsPerTwip);
        ASSERT_TRUE(canvas.ok());
        Draw(canvas, s);
        const auto taken = canvas.TakeDirty();
        const std::vector<PixelRect> rects(taken.begin(), taken.end());
        EXPECT_EQ(Uncovered(canvas, rects), "") << s.name;
        for (const PixelRect& r : rects) {
            EXPECT_TRUE(r.w > 0 && r.h > 0 && r.x >= 0 && r.y >= 0 && r.x + r.w <= kW && r.y + r.h <= kH)
                << s.name << ": " << r.x << "," << r.y << " " << r.w << "x" << r.h;
        }
    }
}

TEST(CanvasDirty, AClearLeavesNothingAndReportsWhatItCleared) {
    for (const Shape& s : Shapes()) {
        CairoCanvas canvas(kW, kH, kPixelsPerTwip);
        Draw(canvas, s);
        Draw(canvas, Shapes()[2], 0x3080ff);
        canvas.TakeDirty();
        CairoCanvas before(kW, kH, 1);
        before.CopyFrom(canvas);
        canvas.Clear();
        EXPECT_EQ(LitPixels(canvas), 0) << s.name;
        auto rects = canvas.TakeDirty();
        EXPECT_EQ(Uncovered(before, rects), "") << s.name;
    }
}

TEST(CanvasDirty, ClearingAClearCanvasChangesNothing) {
    CairoCanvas fresh(kW, kH, kPixelsPerTwip);
    fresh.Clear();
    EXPECT_TRUE(fresh.TakeDirty().empty());

    CairoCanvas used(kW, kH, kPixelsPerTwip);
    Draw(used, Shapes()[0]);
    used.Clear();
    used.TakeDirty();
    used.Clear();
    EXPECT_TRUE(used.TakeDirty().empty());
    EXPECT_TRUE(used.TakeDirty().empty()); // asked twice: nothing new either
}

TEST(CanvasDirty, AChangeIsReportedOnce) {
    CairoCanvas canvas(kW, kH, kPixelsPerTwip);
    Draw(canvas, Shapes()[2]);
    EXPECT_FALSE(canvas.TakeDirty().empty());
    EXPECT_TRUE(canvas.TakeDirty().empty());
}

TEST(CanvasDirty, ACanvasOverPixelsOfAnotherStartsBlackAndWholeChanged) {
    struct Case {
        int w, h;
    };
    for (const Case c : {Case{kW, kH}, Case{33, 1}, Case{64, 64}}) {
        const int stride = c.w * 4 + 8; // rows wider than the picture
        std::vector<unsigned char> pixels(static_cast<std::size_t>(stride) * c.h, 0x7f);
        CairoCanvas canvas(pixels.data(), stride, c.w, c.h, kPixelsPerTwip);
        ASSERT_TRUE(canvas.ok());
        EXPECT_EQ(canvas.Data(), pixels.data());
        EXPECT_EQ(LitPixels(canvas), 0);
        const auto rects = canvas.TakeDirty();
        ASSERT_EQ(rects.size(), 1u) << c.w << "x" << c.h;
        EXPECT_EQ(rects[0], (PixelRect{0, 0, c.w, c.h}));
        canvas.Line(0, 0, c.w * kPx, c.h * kPx, 0xffffff);
        EXPECT_GT(LitPixels(canvas), 0);
    }
}

TEST(CanvasDirty, CopyKeepsThePictureAndCountsAsDrawn) {
    CairoCanvas from(kW, kH, kPixelsPerTwip);
    Draw(from, Shapes()[10]);
    CairoCanvas to(kW / 2, kH / 2, kPixelsPerTwip);
    to.CopyFrom(from);
    for (int y = 0; y < to.Height(); ++y)
        for (int x = 0; x < to.Width(); ++x) ASSERT_EQ(Pixel(to, x, y), Pixel(from, x, y)) << x << "," << y;
    ASSERT_EQ(to.TakeDirty().size(), 1u);
    to.Clear();
    EXPECT_EQ(LitPixels(to), 0);
}

} // namespace
} // namespace linesaver
