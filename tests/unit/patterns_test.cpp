// The colour cycle, anchor motion and run restarts, the frame tick and the
// pattern contract, then the figures and run lengths of every pattern. On the 1024 x 768 screen (c0 = 1) drifting patterns stand at the centre
// (7680, 5760) unless told; orbiting ones at (7680, 5760) + 2880 (cos a1,
// sin a1).
#include "engine/motion.h"
#include "engine/run_control.h"
#include "pattern_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace linesaver::testing {
namespace {

constexpr double kPi = std::numbers::pi;

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

// Triangles and squares (7-10, 12-16) and the lopsided segment (11).
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

// Parallel bars (17, 20, 22, 30, 31).
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

// Crosses of two diameters (18, 19, 25, 27, 32, 33).
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

// Six-armed stars (21, 26, 28, 29) and mirrored bars (23, 24) about the
// drifting anchor.

// Three diameters through (cx, cy) in drawing order, diameter i along
// phase + turn[i] from +half[i] to -half[i].
std::vector<Segment> Star(double cx, double cy, double phase, const double (&half)[3], bool graded) {
    std::vector<Segment> out;
    for (int i = 0; i < 3; ++i) {
        const double theta = phase + (graded ? 4 + 2 * i : 2 * i) * kPi / 3;
        const double dx = half[i] * std::cos(theta), dy = half[i] * std::sin(theta);
        out.push_back({float(cx + dx), float(cy + dy), float(cx - dx), float(cy - dy)});
    }
    return out;
}

// The anchor stays at the screen centre. At phase 0 the breathing size is
// 1500, at pi/2 it is 2750 and at 3pi/2 it is 250 (times c0). The mirrored
// bar is the anchor's bar through the screen's centre, drawn second.
TEST(Stars, DrawThreeDiametersAndMirroredBars) {
    ExpectFigures({
        {"21 equal", 21, 0, Star(7680, 5760, 0, {2500, 2500, 2500}, false)},
        {"26 graded", 26, 0, Star(7680, 5760, 0, {5000.0 / 3, 2500, 10000.0 / 3}, true)},
        {"26 graded, wide", 26, 0, Star(15360, 11520, 0, {10000.0 / 3, 5000, 20000.0 / 3}, true), 2048},
        {"28 graded, mid", 28, 0, Star(7680, 5760, 0, {1000, 1500, 2000}, true)},
        {"28 graded, least", 28, 3 * kPi / 2, Star(7680, 5760, 3 * kPi / 2, {500.0 / 3, 250, 1000.0 / 3}, true)},
        {"29 equal, most", 29, kPi / 2, Star(7680, 5760, kPi / 2, {2750, 2750, 2750}, false)},
        {"23 on the centre: the mirror falls on the bar", 23, 0,
         {{10180, 5760, 5180, 5760}, {10180, 5760, 5180, 5760}}},
        {"23 from the top-left corner to the bottom-right one", 23, 0,
         {{2500, 0, -2500, 0}, {17860, 11520, 12860, 11520}}, 1024, 0, 0},
        {"24 breathing at its widest, upright", 24, kPi / 2,
         {{1000, 4750, 1000, -750}, {14360, 12270, 14360, 6770}}, 1024, 1000, 2000},
    });
}

// Bars, circles and chords on the orbiting anchor (34-38, 61).
// On the 15360 x 11520 screen the orbit has centre (7680, 5760) and
// radius 2880; at phase 0 the anchor stands at (10560, 5760), at pi/2 at
// (7680, 8640). The breathing size is 1500 at phase 0, 2750 at pi/2.
TEST(OrbitFigures, DrawAboutTheOrbitingAnchor) {
    ExpectFigures({
        // Long bar 3R along the phase, short bar 2R across it.
        {"cross at rest", 34, 0, {{12810, 5760, 8310, 5760}, {10560, 7260, 10560, 4260}}},
        {"cross at its widest", 34, kPi / 2, {{7680, 12765, 7680, 4515}, {4930, 8640, 10430, 8640}}},
        // Three diameters, the first along the phase.
        {"three diameters", 35, 0,
         {{13060, 5760, 8060, 5760},
          {9310, 7925.0635f, 11810, 3594.9365f},
          {9310, 3594.9365f, 11810, 7925.0635f}}},
        {"breathing ring at rest", 36, 0, {Ring(10560, 5760, 1500)}},
        {"breathing ring at its widest", 36, kPi / 2, {Ring(7680, 8640, 2750)}},
        {"breathing ring at its narrowest", 36, 3 * kPi / 2, {Ring(7680, 2880, 250)}},
        {"fixed ring", 37, 0, {Ring(10560, 5760, 2500)}},
        {"fixed ring a quarter on", 37, kPi / 2, {Ring(7680, 8640, 2500)}},
        // A quarter-turn chord with its ends at twice the phase: at phase
        // pi/4 it runs from straight below the anchor to its left.
        {"chord at twice the phase", 38, kPi / 4, {{9716.4675f, 10296.4675f, 7216.4675f, 7796.4675f}}},
        // Two chords of a third of a turn, sharing the corner at a1 + p0/3.
        {"two chords", 61, 0, {{13060, 5760, 9310, 7925.0635f}, {9310, 7925.0635f, 9310, 3594.9365f}}},
    });
}

// Spoke fans (39-60) on the orbiting anchor.
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
TEST(Fans, DrawTheirSpokesInOrder) {
    const End a{10560, 5760}, b{7680, 8640}; // the anchor at phase 0 and pi/2
    ExpectFigures({
        {"three", 39, 0, Spokes(a, {{14024.1016f, 3760}, {10560 - 3464.1016f, 3760}, {10560, 9760}})},
        {"two opposite", 40, 0, Spokes(a, {{10560, 1760}, {10560, 9760}})},
        {"cross", 41, 0, Spokes(a, {{14560, 5760}, {10560, 1760}, {6560, 5760}, {10560, 9760}})},
        {"six", 42, 0,
         Spokes(a, {{14024.1016f, 7760}, {14024.1016f, 3760}, {10560, 1760}, {7095.8984f, 3760},
                    {7095.8984f, 7760}, {10560, 9760}})},
        {"two of six", 43, 0, Spokes(a, {{14024.1016f, 7760}, {14024.1016f, 3760}})},
        {"half of six", 44, 0, Spokes(a, {{14024.1016f, 7760}, {14024.1016f, 3760}, {10560, 1760}})},
        // Stepped arms 1500, 3000, 3000, 4500; the longest on the phase.
        {"stepped", 45, 0, Spokes(a, {{12060, 5760}, {10560, 2760}, {7560, 5760}, {10560, 10260}})},
        // Lengths in absolute twips: a wider screen moves the anchor only.
        {"stepped, wide", 45, 0,
         Spokes({21120, 11520}, {{22620, 11520}, {21120, 8520}, {18120, 11520}, {21120, 16020}}), 2048},
        // At phase pi/2 the fan has turned a quarter: spoke 2 of 2 points
        // right. sin(a1) = 1: B = 4400.
        {"pulse at the top", 46, kPi / 2, Spokes(b, {{3280, 8640}, {12080, 8640}})},
        // sin(2 a1) = 0: B = 2400.
        {"pulse twice as fast", 50, kPi / 2, Spokes(b, {{5280, 8640}, {10080, 8640}})},
        // sin(a1 / 2) = sqrt(1/2): B = 3814.2136.
        {"pulse half as fast", 51, kPi / 2, Spokes(b, {{3865.7864f, 8640}, {11494.2136f, 8640}})},
        // sin(a1) = 1: B = 6600, stepped 1650, 3300, 3300, 4950.
        {"stepped pulse", 58, kPi / 2, Spokes(b, {{7680, 6990}, {4380, 8640}, {7680, 11940}, {12630, 8640}})},
    });
}

// Every fan keeps 212 ticks, and its spokes turn against the anchor's
// travel: the anchor goes clockwise round the centre, the spokes
// counter-clockwise about the anchor.
TEST(FanRuns, TurnAgainstTheOrbitFor212Ticks) {
    std::vector<RunCase> runs;
    for (int pattern = 39; pattern <= 60; ++pattern) {
        runs.push_back({pattern, 1.0, 212});
        Rig rig;
        rig.Force(pattern, 1.0);
        const Segment a = rig.Tick().front();
        const Segment b = rig.Tick().front();
        const auto cross = [](double x1, double y1, double x2, double y2) { return x1 * y2 - y1 * x2; };
        EXPECT_GT(cross(a.x1 - 7680, a.y1 - 5760, b.x1 - 7680, b.y1 - 5760), 0) << pattern;
        EXPECT_LT(cross(a.x2 - a.x1, a.y2 - a.y1, b.x2 - b.x1, b.y2 - b.y1), 0) << pattern;
    }
    ExpectRunLengths(runs);
}

// A pulsing base length F (4000, or 6000 for the stepped 58-60) stays
// within 0.1 F .. 1.1 F and reaches the top within a run from phase 0; a
// stepped fan's last spoke is 3/4 of it.
TEST(FanRuns, PulsingLengthsStayWithinTheirBounds) {
    for (int pattern = 46; pattern <= 60; ++pattern) {
        const double F = pattern < 58 ? 4000 : 6000, lastShare = pattern < 58 ? 1 : 0.75;
        Rig rig;
        rig.Force(pattern, 0);
        double least = 1e9, most = 0;
        for (int t = 0; t < 212; ++t) {
            const Segment s = rig.Tick().back();
            const double base = std::hypot(s.x2 - s.x1, s.y2 - s.y1) / lastShare;
            least = std::min(least, base);
            most = std::max(most, base);
        }
        EXPECT_GE(least, 0.1 * F - 0.01) << pattern;
        EXPECT_LE(most, 1.1 * F + 0.01) << pattern;
        EXPECT_GT(most, 1.09 * F) << pattern;
    }
}

// How many ticks a run draws from a given phase. Absolute runs end at
// a1 > 15.872 k (k = 1 or 0.7); relative ones after 212 ticks (k = 0.4),
// 371 (0.7) or 530 (1.0) whatever the start; the doubled measure ends 34,
// 36 and 37 after 186.
TEST(Patterns, RunLengths) {
    ExpectRunLengths({
        // Polygons and the lopsided segment.
        {7, 0, 530}, {8, 6.283, 320}, {9, 0, 530}, {10, 6.283, 320}, {11, 0, 530}, {11, 6.283, 320},
        {12, 0, 530}, {13, 0, 212}, {13, 6.2, 212}, {14, 3, 212}, {15, 0, 371}, {15, 6.2, 371}, {16, 3, 371},
        // Bars.
        {17, 0, 371}, {17, 5, 371}, {20, 0, 530}, {20, 6.283, 320}, {22, 0, 530}, {30, 6.283, 320}, {31, 0, 530},
        // Crosses.
        {18, 0, 371}, {18, 6.283, 161}, {25, 0, 371}, {19, 0, 530}, {27, 6.283, 320}, {32, 0, 212}, {32, 4, 212},
        {33, 0, 371}, {33, 6.2, 371},
        // Stars and mirrored bars.
        {21, 0, 371}, {26, 0, 371}, {28, 6.283, 161}, {29, 6.283, 161}, {23, 0, 530}, {24, 6.283, 320},
        // Figures on the orbit.
        {34, 0, 186}, {35, 0, 212}, {36, 3, 186}, {37, 6.28, 186}, {38, 3, 212}, {61, 6.28, 212},
    });
}

} // namespace
} // namespace linesaver::testing
