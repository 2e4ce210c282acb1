// The frame tick and the pattern contract.
#include "pattern_fixture.h"

#include <cmath>
#include <gtest/gtest.h>

namespace linesaver {
namespace {

using testing::Rig;

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
        const double a1 = rig.f.a1, x = rig.f.px[1], level = rig.f.col[1][1];
        rig.Tick();
        EXPECT_EQ(rig.f.q, q);
        EXPECT_EQ(rig.f.a1, a1);
        EXPECT_EQ(rig.f.px[1], x);
        EXPECT_EQ(rig.f.col[1][1], level);
        ASSERT_EQ(rig.pf.calls.size(), 2u) << q;
        EXPECT_EQ(rig.pf.calls[0].kind, Call::Kind::Timer);
        EXPECT_EQ(rig.pf.calls[1].kind, Call::Kind::Yield);
    }
}

TEST(FrameTick, RunEndingTickOnlyClearsAndTheNextChoosesAgain) {
    Rig rig;
    rig.Force(1, 15.87);
    rig.Tick(); // 15.87 is not above 15.872: draws
    EXPECT_EQ(rig.pf.Only(Call::Kind::Line).size(), 1u);
    const double level = rig.f.col[1][1];
    rig.Tick(); // 15.90 is: the run ends
    EXPECT_EQ(rig.pf.Only(Call::Kind::Line).size(), 0u);
    EXPECT_EQ(rig.pf.Only(Call::Kind::Cls).size(), 1u);
    EXPECT_EQ(rig.pf.Only(Call::Kind::ForeColor).size(), 0u);
    EXPECT_EQ(rig.f.col[1][1], level);
    EXPECT_EQ(rig.f.a1, rig.f.a00); // the new run's phase is not advanced
    EXPECT_EQ(rig.f.q0, 0);
    EXPECT_EQ(rig.f.q1, 0);
    rig.Tick();
    EXPECT_EQ(rig.f.q0, 1);
    EXPECT_EQ(rig.pf.Only(Call::Kind::Cls).size(), 1u);
    EXPECT_EQ(rig.pf.Only(Call::Kind::ForeColor).size(), 1u);
}

TEST(FrameTick, SecondRunOfAPatternDrawsOnItsFirstTick) {
    Rig rig;
    rig.f.q2 = 2; // two runs per pattern
    rig.Force(4, 11.2);
    const auto drawn = rig.pf.Only(Call::Kind::Circle).size();
    rig.Tick();
    EXPECT_EQ(drawn, 0u);
    EXPECT_EQ(rig.f.q1, 1);
    EXPECT_EQ(rig.f.q0, 1);
    EXPECT_EQ(rig.pf.Only(Call::Kind::Circle).size(), 1u);
    EXPECT_NEAR(rig.f.a1 - rig.f.a00, 0.03, 1e-12);
}

struct RunCase {
    int pattern;
    double start;
    int drawn;
};

TEST(RunLength, AbsoluteRunsDependOnTheStartingPhase) {
    const RunCase cases[] = {
        {1, 0, 530}, {5, 0, 530}, {6, 0, 530}, {2, 0, 371}, {3, 0, 371}, {4, 0, 371},
        {1, 6.283, 320}, {2, 6.283, 161},
    };
    for (const RunCase& c : cases) {
        Rig rig;
        rig.Force(c.pattern, c.start);
        EXPECT_EQ(rig.RunLength(), c.drawn) << "pattern " << c.pattern << " from " << c.start;
    }
}

} // namespace
} // namespace linesaver
