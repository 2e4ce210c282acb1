// The frame tick, run control, colour cycle and anchor motion.
#include "engine/motion.h"
#include "engine/run_control.h"
#include "pattern_fixture.h"

#include <cmath>
#include <gtest/gtest.h>

namespace linesaver {
namespace {

using testing::Rig;

struct ColourCase {
    const char* name;
    int channel;
    double level;
    double direction;
    double expected[3]; // levels after one, two and three steps
    double directionAfter[3];
};

class ColourCycle : public ::testing::TestWithParam<ColourCase> {};

TEST_P(ColourCycle, TurnsAtBothEnds) {
    const ColourCase& c = GetParam();
    Rig rig;
    rig.f.col[c.channel][1] = c.level;
    rig.f.col[c.channel][2] = c.direction;
    for (int step = 0; step < 3; ++step) {
        StepColour(rig.f);
        EXPECT_EQ(rig.f.col[c.channel][1], c.expected[step]) << "step " << step + 1;
        EXPECT_EQ(rig.f.col[c.channel][2], c.directionAfter[step]) << "step " << step + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Levels, ColourCycle,
    ::testing::Values(
        // A level landing on 255 keeps rising and shows 255 twice.
        ColourCase{"RedTop", 1, 252, 1, {255, 255, 252}, {1, -1, -1}},
        // A level landing on 0 turns at once.
        ColourCase{"RedBottom", 1, 3, -1, {0, 3, 6}, {1, 1, 1}},
        // Overshoot is clamped, not reflected.
        ColourCase{"BlueTop", 3, 250, 1, {255, 246, 237}, {-1, -1, -1}},
        ColourCase{"GreenBottom", 2, 4, -1, {0, 6, 12}, {1, 1, 1}}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(StepColour, SetsForeColourAdvancesPhaseAndYieldsLast) {
    Rig rig;
    rig.f.col[1][1] = 10, rig.f.col[2][1] = 20, rig.f.col[3][1] = 30;
    rig.f.a1 = 1;
    StepColour(rig.f);
    EXPECT_EQ(rig.pf.ForeColor(), 13 + 256 * 26 + 65536 * 39);
    EXPECT_DOUBLE_EQ(rig.f.a1, 1.03);
    ASSERT_FALSE(rig.pf.calls.empty());
    EXPECT_EQ(rig.pf.calls.back().kind, Call::Kind::Yield);
}

struct BounceCase {
    const char* name;
    double a4;
    double x, vx, y, vy;
    double xAfter, vxAfter, yAfter, vyAfter;
};

class Bounce : public ::testing::TestWithParam<BounceCase> {};

TEST_P(Bounce, MovesThenReflects) {
    const BounceCase& c = GetParam();
    Rig rig; // aa = 15360, bb = 11520
    rig.f.a4 = c.a4;
    rig.f.px[1] = c.x, rig.f.px[2] = c.vx, rig.f.py[1] = c.y, rig.f.py[2] = c.vy;
    MovePoint(rig.f);
    EXPECT_NEAR(rig.f.px[1], c.xAfter, 1e-9);
    EXPECT_DOUBLE_EQ(rig.f.px[2], c.vxAfter);
    EXPECT_NEAR(rig.f.py[1], c.yAfter, 1e-9);
    EXPECT_DOUBLE_EQ(rig.f.py[2], c.vyAfter);
    EXPECT_EQ(rig.pf.Only(Call::Kind::Yield).size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Edges, Bounce,
    ::testing::Values(
        // Drawn beyond the edge on this tick, heading back from the next.
        BounceCase{"RightEdge", 0, 15340, 59.904, 5000, 0, 15399.904, -59.904, 5000, 0},
        // Already heading back: left alone.
        BounceCase{"RightEdgeReturning", 0, 15399.904, -59.904, 5000, 0, 15340, -59.904, 5000, 0},
        BounceCase{"TopEdge", 0, 5000, 0, 20, -59.904, 5000, 0, -39.904, 59.904},
        BounceCase{"BottomEdge", 0, 5000, 0, 11500, 59.904, 5000, 0, 11559.904, -59.904},
        // The band is 2560..12800 by 1920..9600; outside it and leaving,
        // the velocity turns on the first step.
        BounceCase{"BandLeftOutside", 1, 1000, -59.904, 5000, 0, 940.096, 59.904, 5000, 0},
        BounceCase{"BandLeftEntering", 1, 1000, 59.904, 5000, 0, 1059.904, 59.904, 5000, 0},
        BounceCase{"BandRight", 1, 12790, 59.904, 5000, 0, 12849.904, -59.904, 5000, 0},
        // Screen-edge mode ignores the band.
        BounceCase{"FullIgnoresBand", 0, 12790, 59.904, 5000, 0, 12849.904, 59.904, 5000, 0},
        BounceCase{"BandBottom", 1, 5000, 0, 9590, 59.904, 5000, 0, 9649.904, -59.904}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(OrbitPoint, CircleOfAQuarterHeightAboutTheCentre) {
    Rig rig;
    const struct {
        double a1, x, y;
    } cases[] = {{0, 10560, 5760}, {M_PI / 2, 7680, 8640}, {M_PI, 4800, 5760}};
    for (const auto& c : cases) {
        rig.f.a1 = c.a1;
        rig.f.px[2] = 7, rig.f.py[2] = 9;
        OrbitPoint(rig.f);
        EXPECT_NEAR(rig.f.px[1], c.x, 1e-9) << c.a1;
        EXPECT_NEAR(rig.f.py[1], c.y, 1e-9) << c.a1;
        EXPECT_EQ(rig.f.px[2], 7);
        EXPECT_EQ(rig.f.py[2], 9);
    }
}

TEST(RestartRun, NewAnchorPhaseAndModeKeepsVelocityAndColour) {
    Rig rig;
    for (int i = 0; i < 200; ++i) {
        rig.pf.calls.clear();
        rig.f.px[2] = -59.904, rig.f.py[2] = 59.904;
        rig.f.col[1][1] = 17;
        const double runs = rig.f.q1;
        RestartRun(rig.f);
        EXPECT_EQ(rig.f.a1, rig.f.a00);
        EXPECT_GE(rig.f.a1, 0);
        EXPECT_LT(rig.f.a1, 6.283184);
        EXPECT_GE(rig.f.px[1], 0);
        EXPECT_LT(rig.f.px[1], 15360);
        EXPECT_GE(rig.f.py[1], 0);
        EXPECT_LT(rig.f.py[1], 11520);
        EXPECT_TRUE(rig.f.a4 == 0 || rig.f.a4 == 1);
        EXPECT_EQ(rig.f.q1, runs + 1);
        EXPECT_EQ(rig.f.px[2], -59.904);
        EXPECT_EQ(rig.f.py[2], 59.904);
        EXPECT_EQ(rig.f.col[1][1], 17);
        EXPECT_EQ(rig.pf.Only(Call::Kind::Cls).size(), 1u);
        rig.f.q1 = 0;
    }
}

TEST(EndPattern, AlwaysLeavesChoosing) {
    Rig rig;
    for (double q1 : {0.0, 1.0, 5.0}) {
        rig.f.q1 = q1, rig.f.q0 = 1;
        EndPattern(rig.f);
        EXPECT_EQ(rig.f.q1, 0);
        EXPECT_EQ(rig.f.q0, 0);
    }
}

} // namespace
} // namespace linesaver
