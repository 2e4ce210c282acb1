// Which displays besides the primary one get a black window: never one
// that would cover part of the animation or of a display already covered.
#include "platform/sdl/sdl_blank_windows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace linesaver::testing {
namespace {

TEST(BlankWindows, DisplaysToCover) {
    const PixelRect primary{0, 0, 800, 600};
    const PixelRect right{800, 0, 640, 480};
    const PixelRect left{-1024, 100, 1024, 768};
    const PixelRect below{0, 600, 800, 600};
    struct Case {
        std::string name;
        std::vector<PixelRect> others;
        std::vector<PixelRect> covered;
    };
    const std::vector<Case> cases = {
        {"none", {}, {}},
        {"edge to edge on three sides", {right, left, below}, {right, left, below}},
        {"a mirror of the primary", {primary}, {}},
        {"one inside the primary", {{100, 100, 640, 480}}, {}},
        {"one reaching into the primary", {{799, 0, 640, 480}}, {}},
        {"two mirrored others", {right, right}, {right}},
        {"one reaching into another", {right, {1000, 0, 640, 480}}, {right}},
        {"an empty one", {{800, 0, 0, 480}, right}, {right}},
    };
    for (const Case& c : cases) EXPECT_EQ(DisplaysToCover(primary, c.others), c.covered) << c.name;
}

} // namespace
} // namespace linesaver::testing
