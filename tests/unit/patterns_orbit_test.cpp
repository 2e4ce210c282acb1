// Bars, circles and chords on the orbiting anchor (34-38, 61).
#include "pattern_fixture.h"

#include <gtest/gtest.h>

#include <numbers>

namespace linesaver::testing {
namespace {

constexpr double kPi = std::numbers::pi;

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
        // Two chords of a third of a turn, sharing the corner at a1 + p0/3.
        {"two chords", 61, 0, {{13060, 5760, 9310, 7925.0635f}, {9310, 7925.0635f, 9310, 3594.9365f}}},
    });
}

// The doubled measure ends 34, 36 and 37 after 186 ticks, the others run
// 212, whatever phase they start from.
TEST(OrbitRuns, DoubledMeasureEndsTheRunSooner) {
    ExpectRunLengths({{34, 0, 186}, {35, 0, 212}, {36, 3, 186}, {37, 6.28, 186}, {38, 3, 212}, {61, 6.28, 212}});
}

} // namespace
} // namespace linesaver::testing
