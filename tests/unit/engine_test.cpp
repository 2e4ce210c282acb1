// The colour cycle, anchor motion and run restarts, the frame tick and the
// pattern contract, on the recording platform.
#include "engine/motion.h"
#include "engine/run_control.h"
#include "pattern_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace linesaver::testing {
namespace {

TEST(StepColour, LevelsTurnAtBothEnds) {
    const struct {
        const char* name;
        int channel;
        double level, direction;
        double after[3], directionAfter[3]; // after one, two and three steps
    } cases[] = {
        // A level landing on 255 keeps rising and shows 255 twice.
        {"red top", 1, 252, 1, {255, 255, 252}, {1, -1, -1}},
        // A level landing on 0 turns at once.
        {"red bottom", 1, 3, -1, {0, 3, 6}, {1, 1, 1}},
        // Overshoot is clamped, not reflected.
        {"blue top", 3, 250, 1, {255, 246, 237}, {-1, -1, -1}},
        {"green bottom", 2, 4, -1, {0, 6, 12}, {1, 1, 1}},
    };
    for (const auto& c : cases) {
        Rig rig;
        rig.f.col[c.channel][1] = c.level;
        rig.f.col[c.channel][2] = c.direction;
        for (int step = 0; step < 3; ++step) {
            StepColour(rig.f);
            EXPECT_EQ(rig.f.col[c.channel][1], c.after[step]) << c.name << ", step " << step + 1;
            EXPECT_EQ(rig.f.col[c.channel][2], c.directionAfter[step]) << c.name << ", step " << step + 1;
        }
    }
}

TEST(MovePoint, MovesThenReflects) {
    const struct {
        const char* name;
        double a4;
        double x, vx, y, vy;
        double xAfter, vxAfter, yAfter, vyAfter;
    } cases[] = {
        // Drawn beyond the edge on this tick, heading back from the next.
        {"right edge", 0, 15340, 59.904, 5000, 0, 15399.904, -59.904, 5000, 0},
        // Already heading back: left alone.
        {"right edge, returning", 0, 15399.904, -59.904, 5000, 0, 15340, -59.904, 5000, 0},
        {"top edge", 0, 5000, 0, 20, -59.904, 5000, 0, -39.904, 59.904},
        {"bottom edge", 0, 5000, 0, 11500, 59.904, 5000, 0, 11559.904, -59.904},
        // The band is 2560..12800 by 1920..9600; outside it and leaving,
        // the velocity turns on the first step.
        {"band, left outside", 1, 1000, -59.904, 5000, 0, 940.096, 59.904, 5000, 0},
        {"band, entering from the left", 1, 1000, 59.904, 5000, 0, 1059.904, 59.904, 5000, 0},
        {"band, right", 1, 12790, 59.904, 5000, 0, 12849.904, -59.904, 5000, 0},
        // Screen-edge mode ignores the band.
        {"screen edges ignore the band", 0, 12790, 59.904, 5000, 0, 12849.904, 59.904, 5000, 0},
        {"band, bottom", 1, 5000, 0, 9590, 59.904, 5000, 0, 9649.904, -59.904},
    };
    for (const auto& c : cases) {
        Rig rig; // aa = 15360, bb = 11520
        rig.f.a4 = c.a4;
        rig.f.px[1] = c.x, rig.f.px[2] = c.vx, rig.f.py[1] = c.y, rig.f.py[2] = c.vy;
        MovePoint(rig.f);
        EXPECT_NEAR(rig.f.px[1], c.xAfter, 1e-9) << c.name;
        EXPECT_DOUBLE_EQ(rig.f.px[2], c.vxAfter) << c.name;
        EXPECT_NEAR(rig.f.py[1], c.yAfter, 1e-9) << c.name;
        EXPECT_DOUBLE_EQ(rig.f.py[2], c.vyAfter) << c.name;
        EXPECT_EQ(rig.pf.Only(Call::Kind::Yield).size(), 1u) << c.name;
    }
}

// The orbit places the anchor and leaves the drifting velocity alone.
TEST(OrbitPoint, KeepsTheVelocity) {
    Rig rig;
    rig.f.a1 = 1;
    rig.f.px[2] = 7, rig.f.py[2] = 9;
    OrbitPoint(rig.f);
    EXPECT_NEAR(rig.f.px[1], 7680 + 2880 * std::cos(1.0), 1e-9);
    EXPECT_EQ(rig.f.px[2], 7);
    EXPECT_EQ(rig.f.py[2], 9);
}

TEST(RestartRun, NewAnchorPhaseAndModeKeepsVelocityAndColour) {
    Rig rig;
    for (int i = 0; i < 200; ++i) {
        rig.pf.calls.clear();
        rig.f.px[2] = -59.904, rig.f.py[2] = 59.904;
        rig.f.col[1][1] = 17;
        rig.f.q1 = 0;
        RestartRun(rig.f);
        const Form1& f = rig.f;
        EXPECT_EQ(f.a1, f.a00);
        EXPECT_TRUE(f.a1 >= 0 && f.a1 < 6.283184) << f.a1;
        EXPECT_TRUE(f.px[1] >= 0 && f.px[1] < 15360 && f.py[1] >= 0 && f.py[1] < 11520) << f.px[1] << "," << f.py[1];
        EXPECT_TRUE(f.a4 == 0 || f.a4 == 1);
        EXPECT_EQ((std::vector{f.q1, f.px[2], f.py[2], f.col[1][1]}), (std::vector{1.0, -59.904, 59.904, 17.0}));
        EXPECT_EQ(rig.pf.Only(Call::Kind::Cls).size(), 1u);
    }
}

TEST(FrameTick, FirstTickChoosesClearsAndDrawsInOneGo) {
    for (std::uint64_t seed = 1; seed <= 40; ++seed) {
        Rig rig;
        rig.pf.nextSeed = seed;
        rig.f.Randomize();
        rig.Tick();
        EXPECT_GE(rig.f.q, 1);
        EXPECT_LE(rig.f.q, 61);
        EXPECT_EQ(rig.f.q, std::floor(rig.f.q));
        EXPECT_EQ(rig.f.q0, 1);
        const auto& calls = rig.pf.calls;
        ASSERT_GE(calls.size(), 3u);
        EXPECT_EQ(calls[0].kind, Call::Kind::Timer);
        EXPECT_EQ(calls[0].v[1], 15);
        EXPECT_EQ(calls[1].kind, Call::Kind::Cls);
        EXPECT_EQ(calls.back().kind, Call::Kind::Yield);
        EXPECT_EQ(rig.pf.Only(Call::Kind::ForeColor).size(), 1u) << "pattern " << rig.f.q;
    }
}

TEST(FrameTick, NumbersOutsideTheFiguresDrawNothingAndOnlyYield) {
    for (double q : {0.0, 62.0, 66.0, 70.0, 71.0, -3.0, 2.5}) {
        Rig rig;
        rig.Force(1, 1.0);
        rig.f.q = q;
        const auto state = [&] { return std::vector{rig.f.q, rig.f.a1, rig.f.px[1], rig.f.col[1][1]}; };
        const auto before = state();
        rig.Tick();
        EXPECT_EQ(state(), before) << q;
        ASSERT_EQ(rig.pf.calls.size(), 2u) << q;
        EXPECT_TRUE(rig.pf.calls[0].kind == Call::Kind::Timer && rig.pf.calls[1].kind == Call::Kind::Yield) << q;
    }
}

TEST(FrameTick, RunEndingTickOnlyClearsAndTheNextChoosesAgain) {
    Rig rig;
    rig.Force(1, 15.87);
    EXPECT_EQ(rig.Tick().size(), 1u); // 15.87 is not above 15.872: draws
    EXPECT_TRUE(rig.Tick().empty());  // 15.90 is: the run ends
    EXPECT_EQ(rig.pf.Only(Call::Kind::Cls).size(), 1u);
    EXPECT_EQ(rig.f.q0, 0);
    EXPECT_EQ(rig.f.q1, 0);
    rig.Tick();
    EXPECT_EQ(rig.f.q0, 1);
    EXPECT_EQ(rig.pf.Only(Call::Kind::Cls).size(), 1u);
    EXPECT_EQ(rig.pf.Only(Call::Kind::ForeColor).size(), 1u);
}

// With two runs to a pattern the tick that restarts draws what a fresh
// run's first tick draws at the new phase, about the new anchor.
TEST(FrameTick, RestartTickDrawsTheNewRunsFirstFigure) {
    for (int pattern = 1; pattern <= 61; ++pattern) {
        Rig rig;
        rig.f.q2 = 2;
        rig.Force(pattern, 20);
        rig.f.a00 = 0;
        const std::vector<Segment> drawn = rig.Tick();
        EXPECT_FALSE(drawn.empty()) << pattern;
        EXPECT_EQ(rig.f.q1, 1) << pattern;
        EXPECT_NEAR(rig.f.a1 - rig.f.a00, 0.03, 1e-12) << pattern;
        Rig fresh;
        EXPECT_TRUE(SameFigure(drawn, DrawnAt(fresh, pattern, rig.f.a1, rig.f.px[1], rig.f.py[1]))) << pattern;
    }
}

} // namespace
} // namespace linesaver::testing
