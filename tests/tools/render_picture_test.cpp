// What the render tool writes: a canvas's pixels as PNG, and one whole run
// of a pattern on a canvas.
#include "platform/headless/canvas_png.h"
#include "platform/raster/pixel_canvas.h"
#include "tools/render/headless_render.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace linesaver {
namespace {

constexpr int kW = 120;
constexpr int kH = 90;
constexpr float kPx = 15; // twips per pixel

// The colour of pixel (x, y) of rows stride bytes apart.
std::uint32_t Pixel(const unsigned char* data, int stride, int x, int y) {
    std::uint32_t p;
    std::memcpy(&p, data + y * stride + x * 4, 4);
    return p & 0xffffff;
}

TEST(CanvasPng, WritesThePixelsAsTheyAre) {
    PixelCanvas canvas(kW, kH, 1 / kPx);
    canvas.Circle(60 * kPx, 45 * kPx, 40 * kPx, 0x3080ff);
    canvas.Line(0, 0, kW * kPx, kH * kPx, 0x00ff80);
    const std::string path = ::testing::TempDir() + "canvas_png_test.png";
    ASSERT_TRUE(WritePng(canvas, path));
    const CairoSurface read(cairo_image_surface_create_from_png(path.c_str()));
    std::remove(path.c_str());
    ASSERT_EQ(cairo_surface_status(read.get()), CAIRO_STATUS_SUCCESS);
    ASSERT_EQ(cairo_image_surface_get_width(read.get()), kW);
    ASSERT_EQ(cairo_image_surface_get_height(read.get()), kH);
    const unsigned char* data = cairo_image_surface_get_data(read.get());
    const int stride = cairo_image_surface_get_stride(read.get());
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            ASSERT_EQ(Pixel(data, stride, x, y), Pixel(canvas.Data(), canvas.Stride(), x, y)) << x << "," << y;
    EXPECT_FALSE(WritePng(canvas, "/nonexistent-dir/canvas.png"));
}

// A whole run of pattern 4 standing still is 371 circles and the tick that
// ends it; a run stops after the ticks asked for, or at the limit when
// nothing ends it, as in an empty slot. What it draws, the gallery pins.
TEST(DrawRun, StopsAtTheRunsEndOrWhereTold) {
    RunSetup s;
    s.set.anchor = {{7680, 5760}};
    s.set.velocity = {{0, 0}};
    PixelCanvas canvas(320, 240, 320.0 / 15360);
    EXPECT_EQ(DrawRun(4, s, kRunTickLimit, canvas), 372);
    EXPECT_EQ(DrawRun(1, s, 10, canvas), 10);
    EXPECT_EQ(DrawRun(62, s, kRunTickLimit, canvas), kRunTickLimit);
}

} // namespace
} // namespace linesaver
