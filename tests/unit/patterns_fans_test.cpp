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
struct FanCase {
    const char* name;
    int pattern;
    double phase; // a1 at the drawing
    double widthPx;
    End anchor;
    std::vector<End> ends; // in drawing order
};

const FanCase kFans[] = {
    {"Three", 39, 0, 1024, {10560, 5760}, {{14024.1016f, 3760}, {10560 - 3464.1016f, 3760}, {10560, 9760}}},
    {"TwoOpposite", 40, 0, 1024, {10560, 5760}, {{10560, 1760}, {10560, 9760}}},
    {"Cross", 41, 0, 1024, {10560, 5760}, {{14560, 5760}, {10560, 1760}, {6560, 5760}, {10560, 9760}}},
    {"Six",
     42,
     0,
     1024,
     {10560, 5760},
     {{14024.1016f, 7760},
      {14024.1016f, 3760},
      {10560, 1760},
      {7095.8984f, 3760},
      {7095.8984f, 7760},
      {10560, 9760}}},
    {"TwoOfSix", 43, 0, 1024, {10560, 5760}, {{14024.1016f, 7760}, {14024.1016f, 3760}}},
    {"HalfOfSix", 44, 0, 1024, {10560, 5760}, {{14024.1016f, 7760}, {14024.1016f, 3760}, {10560, 1760}}},
    // Stepped arms 1500, 3000, 3000, 4500; the longest on the phase.
    {"Stepped", 45, 0, 1024, {10560, 5760}, {{12060, 5760}, {10560, 2760}, {7560, 5760}, {10560, 10260}}},
    // Lengths in absolute twips: a wider screen moves the anchor only.
    {"SteppedWide", 45, 0, 2048, {21120, 11520}, {{22620, 11520}, {21120, 8520}, {18120, 11520}, {21120, 16020}}},
    // At phase pi/2 the fan has turned a quarter: spoke 2 of 2 points right.
    // sin(a1) = 1: B = 4400.
    {"PulseTop", 46, kPi / 2, 1024, {7680, 8640}, {{3280, 8640}, {12080, 8640}}},
    // sin(2 a1) = 0: B = 2400.
    {"PulseTwiceAsFast", 50, kPi / 2, 1024, {7680, 8640}, {{5280, 8640}, {10080, 8640}}},
    // sin(a1 / 2) = sqrt(1/2): B = 3814.2136.
    {"PulseHalfAsFast", 51, kPi / 2, 1024, {7680, 8640}, {{3865.7864f, 8640}, {11494.2136f, 8640}}},
    // sin(a1) = 1: B = 6600, stepped 1650, 3300, 3300, 4950.
    {"SteppedPulse", 58, kPi / 2, 1024, {7680, 8640}, {{7680, 6990}, {4380, 8640}, {7680, 11940}, {12630, 8640}}},
};

TEST(Fans, DrawTheirSpokesInOrder) {
    for (const FanCase& c : kFans) {
        SCOPED_TRACE(c.name);
        Rig rig(c.widthPx, c.widthPx * 0.75);
        EXPECT_TRUE(SameFigure(DrawnAt(rig, c.pattern, c.phase), Spokes(c.anchor, c.ends)));
    }
}

// Over a whole run every fan keeps 212 ticks, and its spokes turn against
// the anchor's travel: the anchor goes clockwise round the centre, the
// spokes counter-clockwise about the anchor.
TEST(FanRuns, TurnAgainstTheOrbitFor212Ticks) {
    for (int pattern = 39; pattern <= 60; ++pattern) {
        Rig rig;
        rig.Force(pattern, 1.0);
        const Segment a = rig.Tick().front();
        const Segment b = rig.Tick().front();
        const auto cross = [](double x1, double y1, double x2, double y2) { return x1 * y2 - y1 * x2; };
        EXPECT_GT(cross(a.x1 - 7680, a.y1 - 5760, b.x1 - 7680, b.y1 - 5760), 0) << pattern;
        EXPECT_LT(cross(a.x2 - a.x1, a.y2 - a.y1, b.x2 - b.x1, b.y2 - b.y1), 0) << pattern;
        EXPECT_EQ(2 + rig.RunLength(), 212) << pattern;
    }
}

// A pulsing base length stays within 0.1 F .. 1.1 F and reaches the top
// within a run from phase 0; a stepped fan's last spoke is 3/4 of it.
TEST(FanRuns, PulsingLengthsStayWithinTheirBounds) {
    const struct {
        int pattern;
        double F;
        double lastShare; // the last spoke's share of the base length
    } pulsing[] = {{46, 4000, 1},   {47, 4000, 1},   {48, 4000, 1},   {49, 4000, 1},
                   {50, 4000, 1},   {51, 4000, 1},   {52, 4000, 1},   {53, 4000, 1},
                   {54, 4000, 1},   {55, 4000, 1},   {56, 4000, 1},   {57, 4000, 1},
                   {58, 6000, 0.75}, {59, 6000, 0.75}, {60, 6000, 0.75}};
    for (const auto& p : pulsing) {
        Rig rig;
        rig.Force(p.pattern, 0);
        double least = 1e9;
        double most = 0;
        for (int t = 0; t < 212; ++t) {
            const Segment s = rig.Tick().back();
            const double base = std::hypot(s.x2 - s.x1, s.y2 - s.y1) / p.lastShare;
            least = std::min(least, base);
            most = std::max(most, base);
        }
        EXPECT_GE(least, 0.1 * p.F - 0.01) << p.pattern;
        EXPECT_LE(most, 1.1 * p.F + 0.01) << p.pattern;
        EXPECT_GT(most, 1.09 * p.F) << p.pattern;
    }
}

TEST(FanRuns, EndingTickNeitherDrawsNorStepsTheColour) {
    ExpectRetireQuietly({39, 40, 41, 42, 43, 44, 45, 46, 47, 48, 49,
                         50, 51, 52, 53, 54, 55, 56, 57, 58, 59, 60});
}

} // namespace
} // namespace linesaver::testing
