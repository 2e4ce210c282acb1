// Start-up and leaving on user input.
#include "tests/core/pattern_fixture.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace linesaver {
namespace {

using testing::Rig;

// At start-up the cursor hidden, the first music poll after 100 ms, nothing
// drawn yet. The first tick sets the frame timer to 15 ms, then clears and
// draws the pattern it chose in the same tick, and yields last. (The first
// values themselves, and what every pattern draws, at two screen sizes, the
// render tool's recorded traces pin.)
TEST(StartUp, HidesTheCursorThenTheFirstTickSetsTheFrameTimerClearsAndDraws) {
    RecordingPlatform pf;
    Saver saver(pf);
    saver.Start();
    EXPECT_EQ((std::vector<long>{pf.cursorLevel, pf.timerInterval[1], long(pf.Only(Call::Kind::Clear).size()),
                                 long(pf.Only(Call::Kind::Yield).size())}),
              (std::vector<long>{-1, 100, 0, 0}));
    pf.calls.clear();
    saver.FrameTick();
    const auto& calls = pf.calls;
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(
        (std::vector<long>{long(calls[0].kind), long(calls[0].v[1]), long(calls[1].kind), long(calls.back().kind)}),
        (std::vector<long>{long(Call::Kind::Timer), 15, long(Call::Kind::Clear), long(Call::Kind::Yield)}));
    EXPECT_FALSE(pf.Only(Call::Kind::Line).empty() && pf.Only(Call::Kind::Circle).empty());
}

// A resized window (the preview pane) starts the animation again at its new
// size, mid-run or not, while the music plays on untouched.
TEST(StartUp, ResizedWindowStartsTheAnimationAgain) {
    const struct {
        double w, h;
        int ticksBefore;
    } sizes[] = {{320, 240, 0}, {320, 240, 200}, {2560, 1440, 37}, {1, 1, 5}};
    for (const auto& c : sizes) {
        RecordingPlatform pf(1024 * 15, 768 * 15);
        Saver saver(pf);
        saver.Start();
        for (int i = 0; i < c.ticksBefore; ++i) saver.FrameTick();
        pf.Resize(c.w * 15, c.h * 15);
        const auto callsBefore = pf.calls.size();
        saver.WindowResized();
        const SaverState& s = saver.State();
        EXPECT_EQ((std::vector<double>{s.screenWidth, s.screenHeight, s.lengthUnit, s.phase, s.runStart,
                                       double(s.patternActive), double(s.runsDone)}),
                  (std::vector<double>{c.w * 15, c.h * 15, c.w / 1024, 0, 0, 0, 0}));
        EXPECT_TRUE(s.anchor.x >= 0 && s.anchor.x < c.w * 15 && s.anchor.y >= 0 && s.anchor.y < c.h * 15);
        EXPECT_EQ(pf.calls.size(), callsBefore) << "nothing drawn, no timer or player touched";
        // The next tick clears before it draws the new run.
        saver.FrameTick();
        auto drawn = pf.calls.begin() + static_cast<long>(callsBefore);
        while (drawn != pf.calls.end() && drawn->kind != Call::Kind::Clear && drawn->kind != Call::Kind::Line &&
               drawn->kind != Call::Kind::Circle)
            ++drawn;
        ASSERT_NE(drawn, pf.calls.end());
        EXPECT_EQ(drawn->kind, Call::Kind::Clear);
        EXPECT_TRUE(s.patternActive);
    }
}

TEST(StartUp, SecondCopyEndsBeforeTouchingAnything) {
    RecordingPlatform pf;
    pf.anotherInstance = true;
    Saver saver(pf);
    EXPECT_THROW(saver.Start(), RecordingPlatform::Ended);
    EXPECT_TRUE(pf.ended);
    ASSERT_EQ(pf.calls.size(), 1u);
    EXPECT_EQ(pf.calls[0].kind, Call::Kind::End);
    EXPECT_EQ(pf.cursorLevel, 0);
}

// Sequences of mouse positions in twips; the saver ends on the last one and
// not before, or not at all.
TEST(Leaving, MouseThresholdBetweenSuccessiveEvents) {
    struct MouseCase {
        const char* name;
        std::vector<std::pair<double, double>> moves;
        bool ends;
    };
    std::vector<std::pair<double, double>> drift;
    for (int i = 0; i < 400; ++i) drift.push_back({100.0 + 30 * i, 200.0 + 10 * i});
    const MouseCase cases[] = {
        {"first move anywhere", {{9000, 9000}}, false},
        {"a squared step of exactly 1000", {{100, 200}, {130, 210}}, false},
        {"a squared step of 1000.25", {{100, 200}, {120, 224.5}}, true},
        {"three pixels", {{100, 200}, {145, 200}}, true},
        {"one pixel", {{100, 200}, {115, 200}, {100, 215}}, false},
        {"slow drift across the screen", drift, false},
        {"jump after a drift", {{0, 0}, {30, 10}, {60, 20}, {90, 60}}, true},
    };
    for (const MouseCase& c : cases) {
        Rig rig;
        bool ended = false;
        std::size_t at = 0;
        for (; at < c.moves.size(); ++at) {
            try {
                rig.saver.MouseMoved(c.moves[at].first, c.moves[at].second);
            } catch (const RecordingPlatform::Ended&) {
                ended = true;
                break;
            }
        }
        EXPECT_EQ(ended, c.ends) << c.name;
        EXPECT_EQ(at, c.moves.size() - c.ends) << c.name;
        EXPECT_EQ(rig.s.mouseSeen, true) << c.name;
    }
}

TEST(Leaving, ClickKeyAndCloseAlwaysEndShowingTheCursor) {
    const std::function<void(Saver&)> ways[] = {
        [](Saver& saver) { saver.Clicked(); },
        [](Saver& saver) { saver.KeyPressed(); },
        [](Saver& saver) { saver.CloseRequested(); },
    };
    for (const auto& way : ways) {
        Rig rig;
        EXPECT_THROW(way(rig.saver), RecordingPlatform::Ended);
        EXPECT_EQ(rig.pf.cursorLevel, 0);
        EXPECT_TRUE(rig.pf.ended);
        ASSERT_FALSE(rig.pf.calls.empty());
        EXPECT_EQ(rig.pf.calls.front().kind, Call::Kind::Cursor);
        EXPECT_EQ(rig.pf.calls.back().kind, Call::Kind::End);
    }
}

TEST(Leaving, InputDuringAYieldEndsTheTickThere) {
    Rig rig;
    rig.Force(1, 0);
    int yields = 0;
    rig.pf.onYield = [&] {
        if (++yields == 1) rig.saver.KeyPressed(); // during the colour step
    };
    EXPECT_THROW(rig.Tick(), RecordingPlatform::Ended);
    EXPECT_EQ(yields, 1);
    EXPECT_TRUE(rig.pf.Only(Call::Kind::Line).empty());
    EXPECT_EQ(rig.pf.calls.back().kind, Call::Kind::End);
}

} // namespace
} // namespace linesaver
