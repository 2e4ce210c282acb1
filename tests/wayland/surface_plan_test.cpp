// How big the animated window's picture is, and how it is laid over the
// window, for what compositors say of a full-screen window and its output:
// the sound values of sway, KWin and mutter, and bad ones, which must give
// a sane picture no larger than the output or none at all.
#include "platform/wayland/surface_plan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace linesaver::testing {
namespace {

TEST(SurfacePlan, EveryScaleAndBadValues) {
    struct Case {
        std::string name;
        SurfaceOffer offer; // configured WxH, output scale, fractional 120ths, mode WxH, viewporter
        SurfacePlan plan;   // ok, logical WxH, buffer WxH, buffer scale, viewport
    };
    const std::vector<Case> cases = {
        {"scale 1", {800, 600, 1, 0, 800, 600, true}, {true, 800, 600, 800, 600, 1, false}},
        {"scale 2", {400, 300, 2, 0, 800, 600, true}, {true, 400, 300, 800, 600, 2, false}},
        {"scale 3", {320, 240, 3, 0, 960, 720, false}, {true, 320, 240, 960, 720, 3, false}},
        {"1.5 through a viewport", {800, 600, 2, 180, 1200, 900, true}, {true, 800, 600, 1200, 900, 1, true}},
        {"1.5 without a viewport: the next whole scale, which the compositor scales down",
         {800, 600, 2, 180, 1200, 900, false},
         {true, 800, 600, 1600, 1200, 2, false}},
        {"the size left to the window: its output's",
         {0, 0, 2, 0, 1600, 1000, true},
         {true, 800, 500, 1600, 1000, 2, false}},
        {"scale 0", {800, 600, 0, 0, 800, 600, false}, {true, 800, 600, 800, 600, 1, false}},
        {"a negative scale", {800, 600, -2, 0, 800, 600, false}, {true, 800, 600, 800, 600, 1, false}},
        {"scale 9 on an output of as many device pixels as logical ones",
         {800, 600, 9, 0, 800, 600, false},
         {true, 800, 600, 800, 600, 1, false}},
        {"scale 100, the output's size unsaid", {100, 75, 100, 0, 0, 0, false}, {true, 100, 75, 800, 600, 8, false}},
        {"fractional 0/120", {800, 600, 1, 0, 800, 600, true}, {true, 800, 600, 800, 600, 1, false}},
        {"fractional 100000/120", {100, 75, 1, 100000, 0, 0, true}, {true, 100, 75, 800, 600, 1, true}},
        {"a window larger than its output", {5000, 5000, 1, 0, 800, 600, false}, {true, 800, 600, 800, 600, 1, false}},
        {"an absurd window, the output's size unsaid",
         {100000, 100000, 2, 0, 0, 0, false},
         {true, 16384, 16384, 16384, 16384, 1, false}},
        {"an output of size 0 and no size given", {0, 0, 1, 0, 0, 0, true}, {}},
        {"no size given, the output's scale absurd",
         {0, 0, 1000, 0, 800, 600, false},
         {true, 100, 75, 800, 600, 8, false}},
    };
    for (const Case& c : cases) EXPECT_EQ(PlanSurface(c.offer), c.plan) << c.name;
}

} // namespace
} // namespace linesaver::testing
