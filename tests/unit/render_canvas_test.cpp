// Runs drawn on a canvas for the render tool's pictures.
#include "platform/cairo_canvas.h"
#include "platform/headless_render.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace linesaver {
namespace {

std::uint32_t Pixel(const CairoCanvas& canvas, int x, int y) {
    if (x < 0 || y < 0 || x >= canvas.Width() || y >= canvas.Height()) {
        ADD_FAILURE() << "pixel " << x << "," << y << " lies off the canvas";
        return 0;
    }
    std::uint32_t p;
    std::memcpy(&p, canvas.Data() + y * canvas.Stride() + x * 4, 4);
    return p & 0xffffff;
}

TEST(DrawRun, KeepsTheWholeRunOnTheCanvasAfterItEnds) {
    // Pattern 4 standing still at the centre of a 1024 x 768 screen drawn
    // at 320 x 240: 371 circles of radius 2000 twips (41.7 px) on one spot,
    // then the tick that ends the run, whose clear the picture does not show.
    RunSetup s;
    s.set.anchor = {{7680, 5760}};
    s.set.velocity = {{0, 0}};
    CairoCanvas canvas(320, 240, 320.0 / 15360);
    ASSERT_TRUE(canvas.ok());
    EXPECT_EQ(DrawRun(4, s, kRunTickLimit, canvas), 372);
    EXPECT_NE(Pixel(canvas, 160 + 41, 120), 0u);
    EXPECT_NE(Pixel(canvas, 160, 120 - 42), 0u);
    EXPECT_EQ(Pixel(canvas, 160, 120), 0u);
    EXPECT_EQ(Pixel(canvas, 5, 5), 0u);
}

TEST(DrawRun, StopsAfterTheGivenTicksOrWhenNothingEndsTheRun) {
    RunSetup s;
    CairoCanvas canvas(64, 48, 64.0 / 15360);
    ASSERT_TRUE(canvas.ok());
    EXPECT_EQ(DrawRun(1, s, 10, canvas), 10);
    EXPECT_EQ(DrawRun(62, s, kRunTickLimit, canvas), kRunTickLimit); // an empty slot never ends
}

} // namespace
} // namespace linesaver
