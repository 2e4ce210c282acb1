// Six-armed stars (21, 26, 28, 29) and mirrored bars (23, 24) about the
// drifting anchor.
#include "pattern_fixture.h"

#include <gtest/gtest.h>

#include <numbers>
#include <vector>

namespace linesaver::testing {
namespace {

constexpr double kPi = std::numbers::pi;

// The segment through (cx, cy) along theta, from +half to -half.
Segment Bar(double cx, double cy, double theta, double half) {
    const double dx = half * std::cos(theta);
    const double dy = half * std::sin(theta);
    return {float(cx + dx), float(cy + dy), float(cx - dx), float(cy - dy)};
}

struct StarCase {
    const char* name;
    int pattern;
    double phase;  // a1 at the drawing
    double widthPx;
    double half[3]; // half-lengths in drawing order
    double turn[3]; // directions in drawing order, as a1 + turn
};

// The anchor stays at the screen centre. At phase 0 the breathing size is
// 1500, at pi/2 it is 2750 and at 3pi/2 it is 250 (times c0).
const StarCase kStars[] = {
    {"Equal21", 21, 0, 1024, {2500, 2500, 2500}, {0, 2 * kPi / 3, 4 * kPi / 3}},
    {"Graded26", 26, 0, 1024, {5000.0 / 3, 2500, 10000.0 / 3}, {4 * kPi / 3, 2 * kPi, 8 * kPi / 3}},
    {"Graded26Wide", 26, 0, 2048, {10000.0 / 3, 5000, 20000.0 / 3}, {4 * kPi / 3, 2 * kPi, 8 * kPi / 3}},
    {"Graded28Mid", 28, 0, 1024, {1000, 1500, 2000}, {4 * kPi / 3, 2 * kPi, 8 * kPi / 3}},
    {"Graded28Least", 28, 3 * kPi / 2, 1024, {500.0 / 3, 250, 1000.0 / 3}, {4 * kPi / 3, 2 * kPi, 8 * kPi / 3}},
    {"Equal29Most", 29, kPi / 2, 1024, {2750, 2750, 2750}, {0, 2 * kPi / 3, 4 * kPi / 3}},
};

TEST(Stars, DrawThreeDiametersInLoopOrder) {
    for (const StarCase& c : kStars) {
        SCOPED_TRACE(c.name);
        Rig rig(c.widthPx, c.widthPx * 0.75);
        const double cx = rig.f.aa / 2;
        const double cy = rig.f.bb / 2;
        std::vector<Segment> want;
        for (int i = 0; i < 3; ++i) want.push_back(Bar(cx, cy, c.phase + c.turn[i], c.half[i]));
        EXPECT_TRUE(SameFigure(DrawnAt(rig, c.pattern, c.phase, cx, cy), want));
    }
}

struct MirrorCase {
    const char* name;
    int pattern;
    double phase;
    double x, y;         // the anchor
    Segment bar, mirror; // what the tick draws, in order
};

const MirrorCase kMirrors[] = {
    // At the screen centre the mirror bar falls on the anchor bar.
    {"OnTheCentre", 23, 0, 7680, 5760, {10180, 5760, 5180, 5760}, {10180, 5760, 5180, 5760}},
    // The top-left corner mirrors to the bottom-right one.
    {"FromTheCorner", 23, 0, 0, 0, {2500, 0, -2500, 0}, {17860, 11520, 12860, 11520}},
    // Breathing at its widest, upright.
    {"Breathing", 24, kPi / 2, 1000, 2000, {1000, 4750, 1000, -750}, {14360, 12270, 14360, 6770}},
};

TEST(MirroredBars, DrawTheBarThenItsImageThroughTheCentre) {
    for (const MirrorCase& c : kMirrors) {
        SCOPED_TRACE(c.name);
        Rig rig;
        EXPECT_TRUE(SameFigure(DrawnAt(rig, c.pattern, c.phase, c.x, c.y), {c.bar, c.mirror}));
    }
}

// Absolute runs: a1 > 11.1104 (stars) or 15.872 (mirrored bars) ends them,
// and that tick draws nothing and steps no colour.
TEST(DriftingRuns, LastAsLongAsThePhaseAllows) {
    ExpectRunLengths({{21, 0, 371}, {26, 0, 371}, {28, 6.283, 161}, {29, 6.283, 161},
                      {23, 0, 530}, {24, 6.283, 320}});
    ExpectRetireQuietly({21, 23, 24, 26, 28, 29});
}

// With two runs to a pattern the tick that restarts draws the new run's
// first figure, centred on the new anchor, at the new phase stepped once.
TEST(DriftingRuns, RestartTickDrawsAboutTheNewAnchor) {
    for (int pattern : {21, 23, 24, 26, 28, 29}) {
        Rig rig;
        rig.Force(pattern, 16);
        rig.f.q2 = 2;
        const std::vector<Segment> figure = rig.Tick();
        ASSERT_FALSE(figure.empty()) << pattern;
        EXPECT_EQ(rig.f.q1, 1) << pattern;
        EXPECT_NEAR(rig.f.a1, rig.f.a00 + 0.03, 1e-12) << pattern;
        EXPECT_NEAR((figure[0].x1 + figure[0].x2) / 2, rig.f.px[1], 0.01) << pattern;
        EXPECT_NEAR((figure[0].y1 + figure[0].y2) / 2, rig.f.py[1], 0.01) << pattern;
    }
}

} // namespace
} // namespace linesaver::testing
