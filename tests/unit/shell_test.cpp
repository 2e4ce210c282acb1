// Start-up and leaving on user input.
#include "pattern_fixture.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace linesaver {
namespace {

using testing::Rig;

TEST(FormLoad, FirstValuesFollowTheScreen) {
    const struct {
        double w, h, aa, bb, c0, v;
    } screens[] = {
        {1024, 768, 15360, 11520, 1, 59.904},
        // The vertical speed follows the width too.
        {1280, 1024, 19200, 15360, 1.25, 74.88},
    };
    for (const auto& c : screens)
        for (std::uint64_t seed = 1; seed < 30; ++seed) {
            RecordingPlatform pf(c.w * 15, c.h * 15);
            pf.nextSeed = seed;
            Saver saver(pf);
            saver.Form_Load();
            const Form1& f = saver.form();
            EXPECT_EQ((std::vector{f.aa, f.bb, f.c0, f.px[2], f.py[2]}), (std::vector{c.aa, c.bb, c.c0, c.v, c.v}));
            EXPECT_TRUE(f.px[1] >= 0 && f.px[1] < c.aa && f.py[1] >= 0 && f.py[1] < c.bb) << f.px[1] << "," << f.py[1];
            // a1 a00 a4 q q0 q1 q2 c1 a0 p0 zw
            EXPECT_EQ((std::vector{f.a1, f.a00, f.a4, f.q, f.q0, f.q1, f.q2, f.c1, f.a0, f.p0, f.zw}),
                      (std::vector<double>{0, 0, 0, 0, 0, 0, 1, 31, 0.03, 6.283184, 0}));
            for (int i = 1; i <= 3; ++i)
                EXPECT_TRUE(f.col[i][1] == std::floor(f.col[i][1]) && f.col[i][1] >= 0 && f.col[i][1] <= 255 &&
                            f.col[i][2] == 1) << i << ": " << f.col[i][1] << "/" << f.col[i][2];
            // The cursor hidden, the tick at 100 ms, nothing drawn yet.
            EXPECT_EQ((std::vector<long>{pf.cursorLevel, pf.timerInterval[1], long(pf.Only(Call::Kind::Cls).size()),
                                         long(pf.Only(Call::Kind::Yield).size())}),
                      (std::vector<long>{-1, 100, 0, 0}));
        }
}

TEST(FormLoad, SecondCopyEndsBeforeTouchingAnything) {
    RecordingPlatform pf;
    pf.prevInstance = true;
    Saver saver(pf);
    EXPECT_THROW(saver.Form_Load(), EndProgram);
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
        {"step of exactly 1000", {{100, 200}, {130, 210}}, false},
        {"step of 1061", {{100, 200}, {131, 210}}, true},
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
                rig.saver.Form_MouseMove(0, 0, c.moves[at].first, c.moves[at].second);
            } catch (const EndProgram&) {
                ended = true;
                break;
            }
        }
        EXPECT_EQ(ended, c.ends) << c.name;
        EXPECT_EQ(at, c.moves.size() - c.ends) << c.name;
        EXPECT_EQ(rig.f.zw, 1) << c.name;
    }
}

TEST(Leaving, ClickKeyAndCloseAlwaysEndShowingTheCursor) {
    const std::function<void(Saver&)> ways[] = {
        [](Saver& s) { s.Form_Click(); },
        [](Saver& s) { s.Form_KeyDown(65, 0); },
        [](Saver& s) { s.Form_KeyDown(0, 7); },
        [](Saver& s) {
            int cancel = 0;
            s.Form_QueryUnload(cancel, 1);
        },
    };
    for (const auto& way : ways) {
        Rig rig;
        EXPECT_THROW(way(rig.saver), EndProgram);
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
        if (++yields == 1) rig.saver.Form_KeyDown(32, 0); // during the colour step
    };
    EXPECT_THROW(rig.Tick(), EndProgram);
    EXPECT_EQ(yields, 1);
    EXPECT_TRUE(rig.pf.Only(Call::Kind::Line).empty());
    EXPECT_EQ(rig.pf.calls.back().kind, Call::Kind::End);
}

} // namespace
} // namespace linesaver
