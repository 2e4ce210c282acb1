// The frame tick, the pattern contract, and the simple patterns (1-6).
#include "pattern_fixture.h"

#include <cmath>
#include <gtest/gtest.h>

namespace linesaver::testing {
namespace {

constexpr double kPi = 3.14159265358979323846;

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

TEST(Simple, DrawTheirFigures) {
    const float h = 2500 * std::sqrt(3.0) / 2;
    ExpectFigures({
        {"1: a diameter of 2 R", 1, 0, {{10180, 5760, 5180, 5760}}},
        {"1 at c0 = 2", 1, 0, {{20360, 11520, 10360, 11520}}, 2048},
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

} // namespace
} // namespace linesaver::testing
