// Triangles and squares (7-10, 12-16) and the lopsided segment (11).
#include "pattern_fixture.h"

#include <gtest/gtest.h>

#include <vector>

namespace linesaver::testing {
namespace {

constexpr double kPi = 3.14159265358979323846;
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

// c0 = 1; drifting patterns stand at (7680, 5760), orbiting ones at
// (7680, 5760) + 2880 (cos a1, sin a1).
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
        {"16 radius 2750 where 1.5 a1 is a quarter turn", 16, kPi / 3,
         Closed({{10495, 10635.723f}, {6370, 8254.153f}, {10495, 5872.583f}})},
    });
}

TEST(Segment, ReachesRAheadAndHalfRBehind) {
    ExpectFigures({
        {"horizontal, long arm to the right", 11, 0, {{10180, 5760, 6430, 5760}}},
        {"vertical, long arm down the screen", 11, kP0 / 4, {{7680, 8260, 7680, 4510}}},
    });
}

TEST(Polygons, RunLengths) {
    ExpectRunLengths({
        {7, 0, 530},  {8, 6.283, 320}, {9, 0, 530},  {10, 6.283, 320}, {11, 0, 530},
        {11, 6.283, 320}, {12, 0, 530}, {13, 0, 212}, {13, 6.2, 212},   {14, 3, 212},
        {15, 0, 371}, {15, 6.2, 371},  {16, 3, 371},
    });
}

} // namespace
} // namespace linesaver::testing
