// Crosses of two diameters (18, 19, 25, 27, 32, 33).
#include "pattern_fixture.h"

#include <gtest/gtest.h>

namespace linesaver::testing {
namespace {

constexpr double kPi = 3.14159265358979323846;

// c0 = 1; drifting patterns stand at (7680, 5760), orbiting ones at
// (7680, 5760) + 2880 (cos a1, sin a1).
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
        {"33 radius 2750 where 1.5 a1 is a quarter turn", 33, kPi / 3,
         {{10495, 10635.723f, 7745, 5872.583f}, {6738.430f, 9629.153f, 11501.570f, 6879.153f}}},
    });
}

TEST(Crosses, RunLengths) {
    ExpectRunLengths({
        {18, 0, 371}, {18, 6.283, 161}, {25, 0, 371}, {19, 0, 530}, {27, 6.283, 320},
        {32, 0, 212}, {32, 4, 212},     {33, 0, 371}, {33, 6.2, 371},
    });
}

} // namespace
} // namespace linesaver::testing
