// Spoke fans (39-60) on the orbiting anchor.
#include "pattern_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace linesaver::testing {
namespace {

constexpr double kPi = std::numbers::pi;

struct End {
    float x, y;
};

// Spokes all start at the anchor.
std::vector<Segment> Spokes(End anchor, const std::vector<End>& ends) {
    std::vector<Segment> out;
    for (const End& e : ends) out.push_back({anchor.x, anchor.y, e.x, e.y});
    return out;
}

// At phase 0 the anchor stands at (10560, 5760) on the 15360 x 11520
// screen and spoke angles count from straight down towards the right:
// a spoke a quarter turn past the phase points right.
TEST(Fans, DrawTheirSpokesInOrder) {
    const End a{10560, 5760}, b{7680, 8640}; // the anchor at phase 0 and pi/2
    ExpectFigures({
        {"three", 39, 0, Spokes(a, {{14024.1016f, 3760}, {10560 - 3464.1016f, 3760}, {10560, 9760}})},
        {"two opposite", 40, 0, Spokes(a, {{10560, 1760}, {10560, 9760}})},
        {"cross", 41, 0, Spokes(a, {{14560, 5760}, {10560, 1760}, {6560, 5760}, {10560, 9760}})},
        {"six", 42, 0,
         Spokes(a, {{14024.1016f, 7760}, {14024.1016f, 3760}, {10560, 1760}, {7095.8984f, 3760},
                    {7095.8984f, 7760}, {10560, 9760}})},
        {"two of six", 43, 0, Spokes(a, {{14024.1016f, 7760}, {14024.1016f, 3760}})},
        {"half of six", 44, 0, Spokes(a, {{14024.1016f, 7760}, {14024.1016f, 3760}, {10560, 1760}})},
        // Stepped arms 1500, 3000, 3000, 4500; the longest on the phase.
        {"stepped", 45, 0, Spokes(a, {{12060, 5760}, {10560, 2760}, {7560, 5760}, {10560, 10260}})},
        // Lengths in absolute twips: a wider screen moves the anchor only.
        {"stepped, wide", 45, 0,
         Spokes({21120, 11520}, {{22620, 11520}, {21120, 8520}, {18120, 11520}, {21120, 16020}}), 2048},
        // At phase pi/2 the fan has turned a quarter: spoke 2 of 2 points
        // right. sin(a1) = 1: B = 4400.
        {"pulse at the top", 46, kPi / 2, Spokes(b, {{3280, 8640}, {12080, 8640}})},
        // sin(2 a1) = 0: B = 2400.
        {"pulse twice as fast", 50, kPi / 2, Spokes(b, {{5280, 8640}, {10080, 8640}})},
        // sin(a1 / 2) = sqrt(1/2): B = 3814.2136.
        {"pulse half as fast", 51, kPi / 2, Spokes(b, {{3865.7864f, 8640}, {11494.2136f, 8640}})},
        // sin(a1) = 1: B = 6600, stepped 1650, 3300, 3300, 4950.
        {"stepped pulse", 58, kPi / 2, Spokes(b, {{7680, 6990}, {4380, 8640}, {7680, 11940}, {12630, 8640}})},
    });
}

// Every fan keeps 212 ticks, and its spokes turn against the anchor's
// travel: the anchor goes clockwise round the centre, the spokes
// counter-clockwise about the anchor.
TEST(FanRuns, TurnAgainstTheOrbitFor212Ticks) {
    std::vector<RunCase> runs;
    for (int pattern = 39; pattern <= 60; ++pattern) {
        runs.push_back({pattern, 1.0, 212});
        Rig rig;
        rig.Force(pattern, 1.0);
        const Segment a = rig.Tick().front();
        const Segment b = rig.Tick().front();
        const auto cross = [](double x1, double y1, double x2, double y2) { return x1 * y2 - y1 * x2; };
        EXPECT_GT(cross(a.x1 - 7680, a.y1 - 5760, b.x1 - 7680, b.y1 - 5760), 0) << pattern;
        EXPECT_LT(cross(a.x2 - a.x1, a.y2 - a.y1, b.x2 - b.x1, b.y2 - b.y1), 0) << pattern;
    }
    ExpectRunLengths(runs);
}

// A pulsing base length F (4000, or 6000 for the stepped 58-60) stays
// within 0.1 F .. 1.1 F and reaches the top within a run from phase 0; a
// stepped fan's last spoke is 3/4 of it.
TEST(FanRuns, PulsingLengthsStayWithinTheirBounds) {
    for (int pattern = 46; pattern <= 60; ++pattern) {
        const double F = pattern < 58 ? 4000 : 6000, lastShare = pattern < 58 ? 1 : 0.75;
        Rig rig;
        rig.Force(pattern, 0);
        double least = 1e9, most = 0;
        for (int t = 0; t < 212; ++t) {
            const Segment s = rig.Tick().back();
            const double base = std::hypot(s.x2 - s.x1, s.y2 - s.y1) / lastShare;
            least = std::min(least, base);
            most = std::max(most, base);
        }
        EXPECT_GE(least, 0.1 * F - 0.01) << pattern;
        EXPECT_LE(most, 1.1 * F + 0.01) << pattern;
        EXPECT_GT(most, 1.09 * F) << pattern;
    }
}

} // namespace
} // namespace linesaver::testing
