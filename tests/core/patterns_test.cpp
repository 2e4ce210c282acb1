// The figures and run lengths of every pattern. On the 1024 x 768 screen
// (length unit 1) drifting patterns stand at the centre (7680, 5760) unless told;
// orbiting ones at (7680, 5760) + 2880 (cos phase, sin phase).
#include "patterns/table.h"
#include "tests/core/pattern_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace linesaver::testing {
namespace {

constexpr double kPi = std::numbers::pi;

TEST(Simple, DrawTheirFigures) {
    const float h = 2500 * std::sqrt(3.0) / 2;
    ExpectFigures({
        {"1: a diameter of 2 R", 1, 0, {{10180, 5760, 5180, 5760}}},
        {"1 at length unit 2", 1, 0, {{20360, 11520, 10360, 11520}}, 2048},
        {"2: triangle", 2, 0, {{10180, 5760, 6430, 5760 + h}, {6430, 5760 + h, 6430, 5760 - h},
                               {6430, 5760 - h, 10180, 5760}}},
        {"3: square", 3, 0, {{10180, 5760, 7680, 8260}, {7680, 8260, 5180, 5760}, {5180, 5760, 7680, 3260},
                             {7680, 3260, 10180, 5760}}},
        {"4: circle", 4, 0, {Ring(7680, 5760, 2000)}},
        {"5: pulsing circle, middle", 5, 0, {Ring(7680, 5760, 1500)}},
        {"5: pulsing circle, widest", 5, kPi / 2, {Ring(7680, 5760, 2750)}},
        {"5: pulsing circle, narrowest", 5, 3 * kPi / 2, {Ring(7680, 5760, 250)}},
        {"6: pulsing segment", 6, 0, {{9180, 5760, 6180, 5760}}},
    });
}

TEST(Simple, RunLengthsDependOnTheStartingPhase) {
    ExpectRunLengths({{1, 0, 530}, {5, 0, 530}, {6, 0, 530}, {2, 0, 371}, {3, 0, 371}, {4, 0, 371},
                      {1, 6.283, 320}, {2, 6.283, 161}});
}

// Triangles and squares (7-10, 12-16) and the lopsided segment (11).
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

TEST(Polygons, DrawTheirFigures) {
    ExpectFigures({
        {"7 turns: corner 0 on the phase, radius 1500 at sin 0", 7, 0,
         Closed({{9180, 5760}, {6930, 7059.038f}, {6930, 4460.962f}})},
        {"7 at the bottom of its pulse, radius 250", 7, 3 * kPi / 2,
         Closed({{7680, 5510}, {7896.506f, 5885}, {7463.494f, 5885}})},
        {"8 square, radius 2750", 8, kPi / 2,
         Closed({{7680, 8510}, {4930, 5760}, {7680, 3010}, {10430, 5760}})},
        {"9 does not turn: corner 0 straight right", 9, kPi / 2,
         Closed({{10430, 5760}, {6305, 8141.570f}, {6305, 3378.430f}})},
        {"10 tilted a sixteenth of a turn", 10, 0,
         Closed({{9065.819f, 6334.025f}, {7105.975f, 7145.819f}, {6294.181f, 5185.975f},
                 {8254.025f, 4374.181f}})},
        {"10 keeps its tilt as it pulses", 10, kPi / 2,
         Closed({{10220.669f, 6812.379f}, {6627.621f, 8300.669f}, {5139.331f, 4707.621f},
                 {8732.379f, 3219.331f}})},
        {"12 equilateral at phase 0", 12, 0,
         Closed({{10180, 5760}, {6430, 7925.064f}, {6430, 3594.936f}})},
        {"12 equilateral at 5/6 turn", 12, (5 * kP0) / 6,
         Closed({{8930, 3594.936f}, {5180, 5760}, {8930, 7925.064f}})},
        {"12 flat: corner 2 on corner 0, corner 1 opposite", 12, (5 * kP0) / 12,
         Closed({{5514.936f, 7010}, {9845.064f, 4510}, {5514.936f, 7010}})},
        {"12 shrunk to one point", 12, (5 * kP0) / 3,
         Closed({{6430, 3594.936f}, {6430, 3594.936f}, {6430, 3594.936f}})},
        {"13 on the orbit, corner 0 pointing away from the centre", 13, 0,
         Closed({{13060, 5760}, {9310, 7925.064f}, {9310, 3594.936f}})},
        {"14 turns twice as fast as it orbits", 14, kPi / 2,
         Closed({{5180, 8640}, {8930, 6474.936f}, {8930, 10805.064f}})},
        {"15 square on the orbit, radius 1500 at sin 0", 15, 0,
         Closed({{12060, 5760}, {10560, 7260}, {9060, 5760}, {10560, 4260}})},
        {"16 radius 2750 where 1.5 phase is a quarter turn", 16, kPi / 3,
         Closed({{10495, 10635.723f}, {6370, 8254.153f}, {10495, 5872.583f}})},
    });
}

TEST(Segment, ReachesRAheadAndHalfRBehind) {
    ExpectFigures({
        {"horizontal, long arm to the right", 11, 0, {{10180, 5760, 6430, 5760}}},
        {"vertical, long arm down the screen", 11, kP0 / 4, {{7680, 8260, 7680, 4510}}},
    });
}

// Parallel bars (17, 20, 22, 30, 31).
TEST(Bars, DrawTheirFigures) {
    ExpectFigures({
        {"20: opposite sides of the square of radius 2500", 20, 0,
         {{10180, 5760, 7680, 8260}, {5180, 5760, 7680, 3260}}},
        {"22 at the bottom of its pulse: short but not collapsed", 22, 3 * kPi / 2,
         {{7680, 5510, 7930, 5760}, {7680, 6010, 7430, 5760}}},
        {"30: the diameter between the bars, drawn second", 30, 0,
         {{10180, 5760, 7680, 8260},
          {9447.767f, 3992.233f, 5912.233f, 7527.767f},
          {5180, 5760, 7680, 3260}}},
        {"31 at the top of its pulse, radius 2750", 31, kPi / 2,
         {{7680, 8510, 4930, 5760},
          {9624.544f, 7704.544f, 5735.456f, 3815.456f},
          {7680, 3010, 10430, 5760}}},
        {"17 on the orbit, radius 1500 at sin 0", 17, 0,
         {{12060, 5760, 10560, 7260}, {9060, 5760, 10560, 4260}}},
        {"17: bar 1 starts on the ray from the centre, radius 2750", 17, kPi / 3,
         {{10495, 10635.723f, 6738.430f, 9629.153f}, {7745, 5872.583f, 11501.570f, 6879.153f}}},
    });
}

// Crosses of two diameters (18, 19, 25, 27, 32, 33).
TEST(Crosses, DrawTheirFigures) {
    ExpectFigures({
        {"18: both arms 2500", 18, 0, {{10180, 5760, 5180, 5760}, {7680, 8260, 7680, 3260}}},
        {"19 at the top of its pulse, radius 2750", 19, kPi / 2,
         {{7680, 8510, 7680, 3010}, {4930, 5760, 10430, 5760}}},
        {"25: the first arms half as long again, drawn first", 25, 0,
         {{11430, 5760, 3930, 5760}, {7680, 8260, 7680, 3260}}},
        {"27 at the top of its pulse", 27, kPi / 2,
         {{7680, 9885, 7680, 1635}, {4930, 5760, 10430, 5760}}},
        {"27 at the bottom of its pulse", 27, 3 * kPi / 2,
         {{7680, 5385, 7680, 6135}, {7930, 5760, 7430, 5760}}},
        {"32: first diameter along the ray from the centre", 32, kPi / 2,
         {{7680, 11140, 7680, 6140}, {5180, 8640, 10180, 8640}}},
        {"33 radius 2750 where 1.5 phase is a quarter turn", 33, kPi / 3,
         {{10495, 10635.723f, 7745, 5872.583f}, {6738.430f, 9629.153f, 11501.570f, 6879.153f}}},
    });
}

// Six-armed stars (21, 26, 28, 29) and mirrored bars (23, 24) about the
// drifting anchor.

// Three diameters through (cx, cy) in drawing order, diameter i along
// phase + turn[i] from +half[i] to -half[i].
std::vector<Segment> Star(double cx, double cy, double phase, const double (&half)[3], bool graded) {
    std::vector<Segment> out;
    for (int i = 0; i < 3; ++i) {
        const double theta = phase + (graded ? 4 + 2 * i : 2 * i) * kPi / 3;
        const double dx = half[i] * std::cos(theta), dy = half[i] * std::sin(theta);
        out.push_back({float(cx + dx), float(cy + dy), float(cx - dx), float(cy - dy)});
    }
    return out;
}

// The anchor stays at the screen centre. At phase 0 the breathing size is
// 1500, at pi/2 it is 2750 and at 3pi/2 it is 250 (times the length unit).
// The mirrored bar is the anchor's bar through the screen's centre, drawn
// second.
TEST(Stars, DrawThreeDiametersAndMirroredBars) {
    ExpectFigures({
        {"21 equal", 21, 0, Star(7680, 5760, 0, {2500, 2500, 2500}, false)},
        {"26 graded", 26, 0, Star(7680, 5760, 0, {5000.0 / 3, 2500, 10000.0 / 3}, true)},
        {"26 graded, wide", 26, 0, Star(15360, 11520, 0, {10000.0 / 3, 5000, 20000.0 / 3}, true), 2048},
        {"28 graded, mid", 28, 0, Star(7680, 5760, 0, {1000, 1500, 2000}, true)},
        {"28 graded, least", 28, 3 * kPi / 2, Star(7680, 5760, 3 * kPi / 2, {500.0 / 3, 250, 1000.0 / 3}, true)},
        {"29 equal, most", 29, kPi / 2, Star(7680, 5760, kPi / 2, {2750, 2750, 2750}, false)},
        {"23 on the centre: the mirror falls on the bar", 23, 0,
         {{10180, 5760, 5180, 5760}, {10180, 5760, 5180, 5760}}},
        {"23 from the top-left corner to the bottom-right one", 23, 0,
         {{2500, 0, -2500, 0}, {17860, 11520, 12860, 11520}}, 1024, 0, 0},
        {"24 breathing at its widest, upright", 24, kPi / 2,
         {{1000, 4750, 1000, -750}, {14360, 12270, 14360, 6770}}, 1024, 1000, 2000},
    });
}

// Bars, circles and chords on the orbiting anchor (34-38, 61).
// On the 15360 x 11520 screen the orbit has centre (7680, 5760) and
// radius 2880; at phase 0 the anchor stands at (10560, 5760), at pi/2 at
// (7680, 8640). The breathing size is 1500 at phase 0, 2750 at pi/2.
TEST(OrbitFigures, DrawAboutTheOrbitingAnchor) {
    ExpectFigures({
        // Long bar 3R along the phase, short bar 2R across it.
        {"cross at rest", 34, 0, {{12810, 5760, 8310, 5760}, {10560, 7260, 10560, 4260}}},
        {"cross at its widest", 34, kPi / 2, {{7680, 12765, 7680, 4515}, {4930, 8640, 10430, 8640}}},
        // Three diameters, the first along the phase.
        {"three diameters", 35, 0,
         {{13060, 5760, 8060, 5760},
          {9310, 7925.0635f, 11810, 3594.9365f},
          {9310, 3594.9365f, 11810, 7925.0635f}}},
        {"breathing ring at rest", 36, 0, {Ring(10560, 5760, 1500)}},
        {"breathing ring at its widest", 36, kPi / 2, {Ring(7680, 8640, 2750)}},
        {"breathing ring at its narrowest", 36, 3 * kPi / 2, {Ring(7680, 2880, 250)}},
        {"fixed ring", 37, 0, {Ring(10560, 5760, 2500)}},
        {"fixed ring a quarter on", 37, kPi / 2, {Ring(7680, 8640, 2500)}},
        // A quarter-turn chord with its ends at twice the phase: at phase
        // pi/4 it runs from straight below the anchor to its left.
        {"chord at twice the phase", 38, kPi / 4, {{9716.4675f, 10296.4675f, 7216.4675f, 7796.4675f}}},
        // Two chords of a third of a turn, sharing the corner a third of a turn past the phase.
        {"two chords", 61, 0, {{13060, 5760, 9310, 7925.0635f}, {9310, 7925.0635f, 9310, 3594.9365f}}},
    });
}

// Spoke fans (39-60) on the orbiting anchor.
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
        // right. sin(phase) = 1: B = 4400.
        {"pulse at the top", 46, kPi / 2, Spokes(b, {{3280, 8640}, {12080, 8640}})},
        // sin(2 phase) = 0: B = 2400.
        {"pulse twice as fast", 50, kPi / 2, Spokes(b, {{5280, 8640}, {10080, 8640}})},
        // sin(phase / 2) = sqrt(1/2): B = 3814.2136.
        {"pulse half as fast", 51, kPi / 2, Spokes(b, {{3865.7864f, 8640}, {11494.2136f, 8640}})},
        // sin(phase) = 1: B = 6600, stepped 1650, 3300, 3300, 4950.
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

// The table: 61 patterns, numbered 1..61 with none missing, and each one
// draws on the first tick of its run; no other number draws.
TEST(Patterns, NumberedOneToSixtyOneAndEachDraws) {
    EXPECT_EQ(PatternCount(), 61);
    for (int number = -1; number <= 70; ++number) {
        Rig rig;
        rig.Force(number, 0);
        const bool drew = !rig.Tick().empty();
        EXPECT_EQ(IsPattern(number), number >= 1 && number <= 61) << number;
        EXPECT_EQ(drew, IsPattern(number)) << number;
    }
}

// How many ticks a run draws from a given phase. Absolute runs end at
// phase > 15.872 k (k = 1 or 0.7); relative ones after 212 ticks (k = 0.4),
// 371 (0.7) or 530 (1.0) whatever the start; the doubled measure ends 34,
// 36 and 37 after 186.
TEST(Patterns, RunLengths) {
    ExpectRunLengths({
        // Polygons and the lopsided segment.
        {7, 0, 530}, {8, 6.283, 320}, {9, 0, 530}, {10, 6.283, 320}, {11, 0, 530}, {11, 6.283, 320},
        {12, 0, 530}, {13, 0, 212}, {13, 6.2, 212}, {14, 3, 212}, {15, 0, 371}, {15, 6.2, 371}, {16, 3, 371},
        // Bars.
        {17, 0, 371}, {17, 5, 371}, {20, 0, 530}, {20, 6.283, 320}, {22, 0, 530}, {30, 6.283, 320}, {31, 0, 530},
        // Crosses.
        {18, 0, 371}, {18, 6.283, 161}, {25, 0, 371}, {19, 0, 530}, {27, 6.283, 320}, {32, 0, 212}, {32, 4, 212},
        {33, 0, 371}, {33, 6.2, 371},
        // Stars and mirrored bars.
        {21, 0, 371}, {26, 0, 371}, {28, 6.283, 161}, {29, 6.283, 161}, {23, 0, 530}, {24, 6.283, 320},
        // Figures on the orbit.
        {34, 0, 186}, {35, 0, 212}, {36, 3, 186}, {37, 6.28, 186}, {38, 3, 212}, {61, 6.28, 212},
    });
}

} // namespace
} // namespace linesaver::testing
