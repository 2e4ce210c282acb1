// The colour cycle, anchor motion and run restarts, the frame tick and the
// pattern contract, on the recording platform.
#include "engine/motion.h"
#include "engine/run_control.h"
#include "patterns/table.h"
#include "tests/core/pattern_fixture.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace linesaver::testing {
namespace {

TEST(StepColour, LevelsTurnAtBothEnds) {
    const struct {
        const char* name;
        int channel; // 0 red, 1 green, 2 blue
        int level, direction;
        int after[3], directionAfter[3]; // after one, two and three steps
    } cases[] = {
        // A level landing on 255 keeps rising and shows 255 twice.
        {"red top", 0, 252, 1, {255, 255, 252}, {1, -1, -1}},
        // A level landing on 0 turns at once.
        {"red bottom", 0, 3, -1, {0, 3, 6}, {1, 1, 1}},
        // Overshoot is clamped, not reflected.
        {"blue top", 2, 250, 1, {255, 246, 237}, {-1, -1, -1}},
        {"green bottom", 1, 4, -1, {0, 6, 12}, {1, 1, 1}},
    };
    for (const auto& c : cases) {
        Rig rig;
        rig.s.colourLevel[c.channel] = c.level;
        rig.s.colourDirection[c.channel] = c.direction;
        for (int step = 0; step < 3; ++step) {
            StepColour(rig.s);
            EXPECT_EQ(rig.s.colourLevel[c.channel], c.after[step]) << c.name << ", step " << step + 1;
            EXPECT_EQ(rig.s.colourDirection[c.channel], c.directionAfter[step]) << c.name << ", step " << step + 1;
        }
    }
}

TEST(MovePoint, MovesThenReflects) {
    constexpr MotionMode kEdges = MotionMode::BounceAtEdges, kBand = MotionMode::BounceInBand;
    const struct {
        const char* name;
        MotionMode mode;
        double x, vx, y, vy;
        double xAfter, vxAfter, yAfter, vyAfter;
    } cases[] = {
        // Drawn beyond the edge on this tick, heading back from the next.
        {"right edge", kEdges, 15340, 59.904, 5000, 0, 15399.904, -59.904, 5000, 0},
        // Already heading back: left alone.
        {"right edge, returning", kEdges, 15399.904, -59.904, 5000, 0, 15340, -59.904, 5000, 0},
        {"top edge", kEdges, 5000, 0, 20, -59.904, 5000, 0, -39.904, 59.904},
        // The band is 2560..12800 by 1920..9600; outside it and leaving,
        // the velocity turns on the first step.
        {"band, left outside", kBand, 1000, -59.904, 5000, 0, 940.096, 59.904, 5000, 0},
        {"band, entering from the left", kBand, 1000, 59.904, 5000, 0, 1059.904, 59.904, 5000, 0},
        // Screen-edge mode ignores the band.
        {"screen edges ignore the band", kEdges, 12790, 59.904, 5000, 0, 12849.904, 59.904, 5000, 0},
        {"band, bottom", kBand, 5000, 0, 9590, 59.904, 5000, 0, 9649.904, -59.904},
    };
    for (const auto& c : cases) {
        Rig rig; // 15360 x 11520 twips
        rig.s.motionMode = c.mode;
        rig.s.anchor.x = c.x, rig.s.velocity.x = c.vx, rig.s.anchor.y = c.y, rig.s.velocity.y = c.vy;
        MovePoint(rig.s);
        EXPECT_NEAR(rig.s.anchor.x, c.xAfter, 1e-9) << c.name;
        EXPECT_DOUBLE_EQ(rig.s.velocity.x, c.vxAfter) << c.name;
        EXPECT_NEAR(rig.s.anchor.y, c.yAfter, 1e-9) << c.name;
        EXPECT_DOUBLE_EQ(rig.s.velocity.y, c.vyAfter) << c.name;
        EXPECT_EQ(rig.pf.Only(Call::Kind::Yield).size(), 1u) << c.name;
    }
}

TEST(RestartRun, NewAnchorPhaseAndModeKeepsVelocityAndColour) {
    Rig rig;
    std::set<MotionMode> modes;
    for (int i = 0; i < 200; ++i) {
        rig.pf.calls.clear();
        rig.s.velocity.x = -59.904, rig.s.velocity.y = 59.904;
        rig.s.colourLevel[0] = 17;
        rig.s.runsDone = 0;
        RestartRun(rig.s);
        const SaverState& s = rig.s;
        EXPECT_EQ(s.phase, s.runStart);
        EXPECT_TRUE(s.phase >= 0 && s.phase < 6.283184) << s.phase;
        EXPECT_TRUE(s.anchor.x >= 0 && s.anchor.x < 15360 && s.anchor.y >= 0 && s.anchor.y < 11520)
            << s.anchor.x << "," << s.anchor.y;
        modes.insert(s.motionMode);
        EXPECT_EQ((std::vector<double>{double(s.runsDone), s.velocity.x, s.velocity.y, double(s.colourLevel[0])}),
                  (std::vector{1.0, -59.904, 59.904, 17.0}));
        EXPECT_EQ(rig.pf.Only(Call::Kind::Clear).size(), 1u);
    }
    EXPECT_EQ(modes.size(), 2u) << "both motion modes come up";
}

// Over many start-ups the first tick chooses every pattern of the table,
// and nothing else, and clears and draws in the same tick.
TEST(FrameTick, FirstTickChoosesClearsAndDrawsInOneGo) {
    std::set<int> chosen;
    for (std::uint64_t seed = 1; seed <= 2000; ++seed) {
        Rig rig;
        rig.pf.nextSeed = seed;
        rig.s.Randomize();
        rig.Tick();
        chosen.insert(rig.s.pattern);
        EXPECT_TRUE(rig.s.patternActive);
        const auto& calls = rig.pf.calls;
        ASSERT_GE(calls.size(), 3u);
        EXPECT_EQ(calls[0].kind, Call::Kind::Timer);
        EXPECT_EQ(calls[0].v[1], 15);
        EXPECT_EQ(calls[1].kind, Call::Kind::Clear);
        EXPECT_EQ(calls.back().kind, Call::Kind::Yield);
        EXPECT_NEAR(rig.s.phase, 0.03, 1e-12) << "one colour step, pattern " << rig.s.pattern;
    }
    std::set<int> all;
    for (int n = 1; n <= 61; ++n) all.insert(n);
    EXPECT_EQ(chosen, all);
}

// The table numbers its patterns 1..61 with none missing, and each one
// draws on the first tick of its run; any other number leaves the state
// alone and only sets the timer and yields.
TEST(FrameTick, OnlyPatternNumbersDraw) {
    EXPECT_EQ(PatternCount(), 61);
    for (int number = -1; number <= 71; ++number) {
        Rig rig;
        rig.Force(1, 1.0);
        rig.s.pattern = number;
        const auto state = [&] {
            return std::vector<double>{double(rig.s.pattern), rig.s.phase, rig.s.anchor.x, double(rig.s.colourLevel[0])};
        };
        const auto before = state();
        const bool drew = !rig.Tick().empty();
        EXPECT_EQ(IsPattern(number), number >= 1 && number <= 61) << number;
        EXPECT_EQ(drew, IsPattern(number)) << number;
        if (IsPattern(number)) continue;
        EXPECT_EQ(state(), before) << number;
        ASSERT_EQ(rig.pf.calls.size(), 2u) << number;
        EXPECT_TRUE(rig.pf.calls[0].kind == Call::Kind::Timer && rig.pf.calls[1].kind == Call::Kind::Yield) << number;
    }
}

} // namespace
} // namespace linesaver::testing
