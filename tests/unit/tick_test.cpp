// The frame tick, the pattern contract and the simple figures about the
// anchor (patterns 1-6).
#include "pattern_fixture.h"

#include <cmath>
#include <gtest/gtest.h>

namespace linesaver {
namespace {

using testing::Rig;
using testing::Segment;

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

// The segments a tick of pattern q draws at phase a1 (after its step) with
// the anchor at the centre of a 1024 x 768 screen.
std::vector<Segment> FigureAt(int pattern, double a1) {
    Rig rig;
    rig.Force(pattern, a1 - 0.03);
    return rig.Tick();
}

void ExpectFigure(const std::vector<Segment>& got, const std::vector<Segment>& want, float tolerance) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_NEAR(got[i].x1, want[i].x1, tolerance) << "segment " << i;
        EXPECT_NEAR(got[i].y1, want[i].y1, tolerance) << "segment " << i;
        EXPECT_NEAR(got[i].x2, want[i].x2, tolerance) << "segment " << i;
        EXPECT_NEAR(got[i].y2, want[i].y2, tolerance) << "segment " << i;
    }
}

TEST(SimpleFigures, SegmentTriangleAndSquareAboutTheAnchor) {
    ExpectFigure(FigureAt(1, 0), {{10180, 5760, 5180, 5760}}, 0.01f);
    // Corners at (2500, 0), (-1250.0, 2165.1), (-1250.0, -2165.1) from the anchor.
    ExpectFigure(FigureAt(2, 0),
                 {{10180, 5760, 6430, 7925.1f}, {6430, 7925.1f, 6430, 3594.9f}, {6430, 3594.9f, 10180, 5760}},
                 0.1f);
    ExpectFigure(FigureAt(3, 0),
                 {{10180, 5760, 7680, 8260}, {7680, 8260, 5180, 5760}, {5180, 5760, 7680, 3260},
                  {7680, 3260, 10180, 5760}},
                 0.1f);
    // The pulsing segment is 1500 long on each side at phase 0.
    ExpectFigure(FigureAt(6, 0), {{9180, 5760, 6180, 5760}}, 0.01f);
}

TEST(SimpleFigures, CirclesFixedAndPulsing) {
    const struct {
        int pattern;
        double a1;
        double r;
    } cases[] = {{4, 1.0, 2000}, {5, 0, 1500}, {5, M_PI / 2, 2750}, {5, 3 * M_PI / 2, 250}};
    for (const auto& c : cases) {
        Rig rig;
        rig.Force(c.pattern, c.a1 - 0.03);
        rig.Tick();
        const auto circles = rig.pf.Only(Call::Kind::Circle);
        ASSERT_EQ(circles.size(), 1u);
        EXPECT_EQ(circles[0].v[0], 7680);
        EXPECT_EQ(circles[0].v[1], 5760);
        EXPECT_NEAR(circles[0].v[2], c.r, 0.01) << "pattern " << c.pattern << " at " << c.a1;
        EXPECT_EQ(circles[0].colour, rig.pf.ForeColor());
    }
}

TEST(SimpleFigures, AnchorMovesBeforeTheDrawing) {
    Rig rig;
    rig.Force(1, -0.03, 7680, 5760);
    rig.f.px[2] = 64, rig.f.py[2] = -48;
    ExpectFigure(rig.Tick(), {{10244, 5712, 5244, 5712}}, 0.01f);
}

TEST(SimpleFigures, FiguresScaleWithTheScreenWidth) {
    Rig rig(1280, 1024); // c0 = 1.25
    rig.Force(1, -0.03, 9600, 7680);
    ExpectFigure(rig.Tick(), {{9600 + 3125, 7680, 9600 - 3125, 7680}}, 0.01f);
}

} // namespace
} // namespace linesaver
