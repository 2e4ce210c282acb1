// Bars, circles and chords on the orbiting anchor (34-38, 61).
#include "pattern_fixture.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <numbers>
#include <vector>

namespace linesaver::testing {
namespace {

constexpr double kPi = std::numbers::pi;

// On the 15360 x 11520 screen the orbit has centre (7680, 5760) and
// radius 2880; at phase 0 the anchor stands at (10560, 5760), at pi/2 at
// (7680, 8640). The breathing size is 1500 at phase 0, 2750 at pi/2.
TEST(OrbitFigures, DrawTheirSegmentsAboutTheOrbitingAnchor) {
    ExpectFigures({
        // Long bar 3R along the phase, short bar 2R across it.
        {"cross at rest", 34, 0, {{12810, 5760, 8310, 5760}, {10560, 7260, 10560, 4260}}},
        {"cross at its widest", 34, kPi / 2, {{7680, 12765, 7680, 4515}, {4930, 8640, 10430, 8640}}},
        // Three diameters, the first along the phase.
        {"three diameters", 35, 0,
         {{13060, 5760, 8060, 5760},
          {9310, 7925.0635f, 11810, 3594.9365f},
          {9310, 3594.9365f, 11810, 7925.0635f}}},
        // A quarter-turn chord with its ends at twice the phase: at phase
        // pi/4 it runs from straight below the anchor to its left.
        {"chord at twice the phase", 38, kPi / 4, {{9716.4675f, 10296.4675f, 7216.4675f, 7796.4675f}}},
        // Two chords of a third of a turn, sharing the corner at a1 + p0/3.
        {"two chords", 61, 0, {{13060, 5760, 9310, 7925.0635f}, {9310, 7925.0635f, 9310, 3594.9365f}}},
    });
}

struct RingCase {
    int pattern;
    double phase;
    double x, y, r;
};

const RingCase kRings[] = {
    {36, 0, 10560, 5760, 1500},
    {36, kPi / 2, 7680, 8640, 2750},
    {36, 3 * kPi / 2, 7680, 2880, 250},
    {37, 0, 10560, 5760, 2500},
    {37, kPi / 2, 7680, 8640, 2500},
};

TEST(OrbitRings, DrawOneCircleOnTheAnchor) {
    for (const RingCase& c : kRings) {
        Rig rig;
        EXPECT_TRUE(DrawnAt(rig, c.pattern, c.phase).empty());
        const std::vector<Call> circles = rig.pf.Only(Call::Kind::Circle);
        ASSERT_EQ(circles.size(), 1u) << c.pattern;
        EXPECT_NEAR(circles[0].v[0], c.x, 0.01) << c.pattern << " at " << c.phase;
        EXPECT_NEAR(circles[0].v[1], c.y, 0.01) << c.pattern << " at " << c.phase;
        EXPECT_NEAR(circles[0].v[2], c.r, 0.01) << c.pattern << " at " << c.phase;
    }
}

// The doubled measure ends 34, 36 and 37 after 186 ticks, the others run
// 212, whatever phase they start from; the tick whose test holds draws
// nothing and steps no colour.
TEST(OrbitRuns, DoubledMeasureEndsTheRunSooner) {
    ExpectRunLengths({{34, 0, 186}, {35, 0, 212}, {36, 3, 186}, {37, 6.28, 186},
                      {38, 3, 212}, {61, 6.28, 212}});
    ExpectRetireQuietly({34, 35, 36, 37, 38, 61});
}

// With two runs to a pattern the tick that restarts draws the new run's
// first figure about the anchor the new phase puts on the orbit.
TEST(OrbitRuns, RestartTickDrawsOnTheNewOrbitPlace) {
    const struct {
        int pattern;
        std::size_t drawn; // segments and circles
    } cases[] = {{34, 2}, {35, 3}, {36, 1}, {37, 1}, {38, 1}, {61, 2}};
    for (const auto& c : cases) {
        Rig rig;
        rig.Force(c.pattern, 7);
        rig.f.a00 = 0;
        rig.f.q2 = 2;
        rig.Tick();
        EXPECT_EQ(rig.f.q1, 1) << c.pattern;
        EXPECT_NEAR(rig.f.a1, rig.f.a00 + 0.03, 1e-12) << c.pattern;
        EXPECT_NEAR(rig.f.px[1], 7680 + 2880 * std::cos(rig.f.a1), 1e-6) << c.pattern;
        EXPECT_EQ(rig.pf.Only(Call::Kind::Line).size() + rig.pf.Only(Call::Kind::Circle).size(), c.drawn)
            << c.pattern;
    }
}

} // namespace
} // namespace linesaver::testing
