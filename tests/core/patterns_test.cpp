// A few figures of each family worked out by hand, the run lengths of each
// run form, and how the fans turn. On the 1024 x 768 screen (length unit 1)
// drifting patterns stand at the centre (7680, 5760) unless told; orbiting
// ones at (7680, 5760) + 2880 (cos phase, sin phase). The breathing size is
// 1500 at phase 0, 2750 at pi/2 and 250 at 3pi/2.
#include "tests/core/pattern_fixture.h"

#include <gtest/gtest.h>

#include <numbers>
#include <vector>

namespace linesaver::testing {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kP0 = 6.283184; // the full turn as the saver stores it

struct Corner {
    float x, y;
};

// The sides of a closed polygon, drawn from each corner to the next and
// last back to the first.
std::vector<Segment> Closed(const std::vector<Corner>& c) {
    std::vector<Segment> out;
    for (std::size_t j = 0; j < c.size(); ++j) {
        const Corner& to = c[(j + 1) % c.size()];
        out.push_back({c[j].x, c[j].y, to.x, to.y});
    }
    return out;
}

TEST(DriftingFigures, DrawAboutTheAnchor) {
    ExpectFigures({
        {"1: a diameter of 2 R", 1, 0, {{10180, 5760, 5180, 5760}}},
        {"1 at length unit 2", 1, 0, {{20360, 11520, 10360, 11520}}, 2048},
        {"3: square", 3, 0, Closed({{10180, 5760}, {7680, 8260}, {5180, 5760}, {7680, 3260}})},
        {"4: circle", 4, 0, {Ring(7680, 5760, 2000)}},
        {"5: breathing circle, widest", 5, kPi / 2, {Ring(7680, 5760, 2750)}},
        {"5: breathing circle, narrowest", 5, 3 * kPi / 2, {Ring(7680, 5760, 250)}},
        {"9 does not turn: corner 0 straight right", 9, kPi / 2,
         Closed({{10430, 5760}, {6305, 8141.570f}, {6305, 3378.430f}})},
        {"10 tilted a sixteenth of a turn", 10, 0,
         Closed({{9065.819f, 6334.025f}, {7105.975f, 7145.819f}, {6294.181f, 5185.975f}, {8254.025f, 4374.181f}})},
        {"12 flat: corner 2 on corner 0, corner 1 opposite", 12, (5 * kP0) / 12,
         Closed({{5514.936f, 7010}, {9845.064f, 4510}, {5514.936f, 7010}})},
        {"11 reaches R ahead and R / 2 behind", 11, kP0 / 4, {{7680, 8260, 7680, 4510}}},
        {"30: the diameter between the bars, drawn second", 30, 0,
         {{10180, 5760, 7680, 8260}, {9447.767f, 3992.233f, 5912.233f, 7527.767f}, {5180, 5760, 7680, 3260}}},
        {"25: the first arms half as long again, drawn first", 25, 0,
         {{11430, 5760, 3930, 5760}, {7680, 8260, 7680, 3260}}},
        {"26: graded star, diameters of 2R/3, R and 4R/3", 26, 0,
         {{6846.667f, 4316.624f, 8513.333f, 7203.376f},
          {10180, 5760, 5180, 5760},
          {6013.333f, 8646.751f, 9346.667f, 2873.249f}}},
        {"23 from the top-left corner: its mirror at the bottom-right", 23, 0,
         {{2500, 0, -2500, 0}, {17860, 11520, 12860, 11520}}, 1024, 0, 0},
        {"24 breathing at its widest, upright", 24, kPi / 2,
         {{1000, 4750, 1000, -750}, {14360, 12270, 14360, 6770}}, 1024, 1000, 2000},
    });
}

TEST(OrbitingFigures, DrawAboutTheAnchorOnTheOrbit) {
    ExpectFigures({
        {"14 turns twice as fast as it orbits", 14, kPi / 2,
         Closed({{5180, 8640}, {8930, 6474.936f}, {8930, 10805.064f}})},
        {"16 radius 2750 where 1.5 phase is a quarter turn", 16, kPi / 3,
         Closed({{10495, 10635.723f}, {6370, 8254.153f}, {10495, 5872.583f}})},
        {"17: bar 1 starts on the ray from the centre", 17, kPi / 3,
         {{10495, 10635.723f, 6738.430f, 9629.153f}, {7745, 5872.583f, 11501.570f, 6879.153f}}},
        {"32: first diameter along the ray from the centre", 32, kPi / 2,
         {{7680, 11140, 7680, 6140}, {5180, 8640, 10180, 8640}}},
        {"34: long bar 3R along the phase, short bar 2R across", 34, kPi / 2,
         {{7680, 12765, 7680, 4515}, {4930, 8640, 10430, 8640}}},
        {"35: three diameters, the first along the phase", 35, 0,
         {{13060, 5760, 8060, 5760}, {9310, 7925.0635f, 11810, 3594.9365f}, {9310, 3594.9365f, 11810, 7925.0635f}}},
        {"36: breathing ring at its narrowest", 36, 3 * kPi / 2, {Ring(7680, 2880, 250)}},
        // At phase pi/4 the chord runs from straight below the anchor to its left.
        {"38: a quarter-turn chord at twice the phase", 38, kPi / 4,
         {{9716.4675f, 10296.4675f, 7216.4675f, 7796.4675f}}},
        {"61: two chords sharing the corner a third of a turn on", 61, 0,
         {{13060, 5760, 9310, 7925.0635f}, {9310, 7925.0635f, 9310, 3594.9365f}}},
    });
}

struct End {
    float x, y;
};

// Spokes all start at the anchor.
std::vector<Segment> Spokes(End anchor, const std::vector<End>& ends) {
    std::vector<Segment> out;
    for (const End& e : ends) out.push_back({anchor.x, anchor.y, e.x, e.y});
    return out;
}

// Spoke angles count from straight down towards the right: a spoke a
// quarter turn past the phase points right.
TEST(Fans, DrawTheirSpokesInOrder) {
    const End a{10560, 5760}, b{7680, 8640}; // the anchor at phase 0 and pi/2
    ExpectFigures({
        {"three", 39, 0, Spokes(a, {{14024.1016f, 3760}, {10560 - 3464.1016f, 3760}, {10560, 9760}})},
        {"two of six", 43, 0, Spokes(a, {{14024.1016f, 7760}, {14024.1016f, 3760}})},
        // Stepped arms 1500, 3000, 3000, 4500; the longest on the phase.
        {"stepped", 45, 0, Spokes(a, {{12060, 5760}, {10560, 2760}, {7560, 5760}, {10560, 10260}})},
        // Lengths in absolute twips: a wider screen moves the anchor only.
        {"stepped, wide", 45, 0,
         Spokes({21120, 11520}, {{22620, 11520}, {21120, 8520}, {18120, 11520}, {21120, 16020}}), 2048},
        // sin(phase) = 1: B = 4400.
        {"pulse at the top", 46, kPi / 2, Spokes(b, {{3280, 8640}, {12080, 8640}})},
        // sin(2 phase) = 0: B = 2400.
        {"pulse twice as fast", 50, kPi / 2, Spokes(b, {{5280, 8640}, {10080, 8640}})},
        // sin(phase / 2) = sqrt(1/2): B = 3814.2136.
        {"pulse half as fast", 51, kPi / 2, Spokes(b, {{3865.7864f, 8640}, {11494.2136f, 8640}})},
        // sin(phase) = 1: B = 6600, stepped 1650, 3300, 3300, 4950.
        {"stepped pulse", 58, kPi / 2, Spokes(b, {{7680, 6990}, {4380, 8640}, {7680, 11940}, {12630, 8640}})},
    });
}

// The anchor goes clockwise round the centre, every fan's spokes
// counter-clockwise about the anchor.
TEST(Fans, TurnAgainstTheOrbit) {
    for (int pattern = 39; pattern <= 60; ++pattern) {
        Rig rig;
        rig.Force(pattern, 1.0);
        const Segment a = rig.Tick().front();
        const Segment b = rig.Tick().front();
        const auto cross = [](double x1, double y1, double x2, double y2) { return x1 * y2 - y1 * x2; };
        EXPECT_GT(cross(a.x1 - 7680, a.y1 - 5760, b.x1 - 7680, b.y1 - 5760), 0) << pattern;
        EXPECT_LT(cross(a.x2 - a.x1, a.y2 - a.y1, b.x2 - b.x1, b.y2 - b.y1), 0) << pattern;
    }
}

// Absolute runs end at phase > 15.872 k (k = 1 or 0.7), so the start
// matters; relative ones after 212 ticks (k = 0.4) or 371 (0.7) whatever the
// start; the doubled measure ends after 186.
TEST(Patterns, RunLengths) {
    ExpectRunLengths({
        {1, 0, 530}, {1, 6.283, 320}, {2, 0, 371}, {2, 6.283, 161},
        {13, 6.2, 212}, {39, 1, 212}, {15, 6.2, 371}, {17, 5, 371},
        {34, 0, 186}, {37, 6.28, 186},
    });
}

} // namespace
} // namespace linesaver::testing
