// Six-armed stars (21, 26, 28, 29) and mirrored bars (23, 24) about the
// drifting anchor.
#include "pattern_fixture.h"

#include <gtest/gtest.h>

#include <numbers>
#include <vector>

namespace linesaver::testing {
namespace {

constexpr double kPi = std::numbers::pi;

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
// 1500, at pi/2 it is 2750 and at 3pi/2 it is 250 (times c0). The mirrored
// bar is the anchor's bar through the screen's centre, drawn second.
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

// Absolute runs: a1 > 11.1104 (stars) or 15.872 (mirrored bars) ends them.
TEST(DriftingRuns, LastAsLongAsThePhaseAllows) {
    ExpectRunLengths({{21, 0, 371}, {26, 0, 371}, {28, 6.283, 161}, {29, 6.283, 161},
                      {23, 0, 530}, {24, 6.283, 320}});
}

} // namespace
} // namespace linesaver::testing
