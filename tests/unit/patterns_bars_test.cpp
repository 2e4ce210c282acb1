// Parallel bars (17, 20, 22, 30, 31).
#include "pattern_fixture.h"

#include <gtest/gtest.h>

namespace linesaver::testing {
namespace {

constexpr double kPi = 3.14159265358979323846;

// c0 = 1; drifting patterns stand at (7680, 5760), orbiting ones at
// (7680, 5760) + 2880 (cos a1, sin a1).
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

TEST(Bars, RunLengths) {
    ExpectRunLengths({
        {17, 0, 371}, {17, 5, 371},     {20, 0, 530}, {20, 6.283, 320},
        {22, 0, 530}, {30, 6.283, 320}, {31, 0, 530},
    });
}

} // namespace
} // namespace linesaver::testing
