// When the window's timers fire: the beat, restarts, stalls and nesting.
#include "platform/timing/timer_schedule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace linesaver::testing {
namespace {

using namespace std::chrono_literals;
using Ms = std::chrono::milliseconds;

const TimerSchedule::TimePoint kT0{};

Ms At(TimerSchedule::TimePoint t) { return std::chrono::duration_cast<Ms>(t - kT0); }

// The frame tick's firing times (ms) in an event loop on a simulated clock:
// first due after `first` ms, each handler takes `work` ms and then sets
// the timer to 15 ms, as the frame tick does; the loop stalls once, at
// stallAt, for `stall` ms. The other timer, set to 0, never fires.
std::vector<int> TickTimes(int first, int work, int stallAt, int stall, int until) {
    TimerSchedule s;
    s.Set(0, first, kT0);
    s.Set(1, 0, kT0);
    std::vector<int> fired;
    for (auto now = kT0; auto due = s.NextDue();) {
        now = std::max(now, *due);
        if (At(now) >= Ms(until)) break;
        if (stallAt >= 0 && At(now) >= Ms(stallAt)) now += Ms(stall), stallAt = -1;
        for (int id; (id = s.Start(now)) >= 0;) {
            EXPECT_EQ(id, 0);
            fired.push_back(static_cast<int>(At(now).count()));
            now += Ms(work);
            s.Set(id, 15, now);
            s.Finish(id);
        }
    }
    return fired;
}

TEST(TimerSchedule, FiresOnTheBeat) {
    EXPECT_EQ(TickTimes(10, 0, -1, 0, 100), (std::vector<int>{10, 25, 40, 55, 70, 85}));
    // A handler that takes time does not push the beat back: the tick
    // re-sets its own unchanged interval, which keeps the beat. Only the
    // first tick's change from 10 to 15 counts from its end.
    EXPECT_EQ(TickTimes(10, 4, -1, 0, 100), (std::vector<int>{10, 29, 44, 59, 74, 89}));
    // The tick due at 30 runs at 80: no burst for 45, 60 and 75, one late
    // tick, then back on the old beat.
    EXPECT_EQ(TickTimes(15, 0, 30, 50, 130), (std::vector<int>{15, 80, 90, 105, 120}));
}

TEST(TimerSchedule, SettingRestartsTheCountOrStopsAndTheEarliestFiresFirst) {
    TimerSchedule s;
    s.Set(1, 100, kT0);
    s.Set(1, 100, kT0 + 60ms); // same interval from outside its handler
    EXPECT_EQ(At(*s.NextDue()), Ms(160));
    s.Set(1, 40, kT0 + 70ms);
    EXPECT_EQ(At(*s.NextDue()), Ms(110));
    s.Set(1, 0, kT0 + 80ms);
    EXPECT_FALSE(s.NextDue());
    EXPECT_EQ(s.Start(kT0 + 1000ms), -1);
    // Of two timers due, the earlier fires first.
    s.Set(0, 30, kT0);
    s.Set(1, 10, kT0);
    EXPECT_EQ(s.Start(kT0 + 50ms), 1);
    EXPECT_EQ(s.Start(kT0 + 50ms), 0);
}

TEST(TimerSchedule, ARunningTimerWaitsForItsHandler) {
    TimerSchedule s;
    s.Set(0, 15, kT0);
    s.Set(1, 20, kT0);
    ASSERT_EQ(s.Start(kT0 + 15ms), 0);
    // While the tick yields, only the other timer can come due.
    EXPECT_EQ(At(*s.NextDue()), Ms(20));
    EXPECT_EQ(s.Start(kT0 + 40ms), 1);
    EXPECT_EQ(s.Start(kT0 + 40ms), -1); // both busy
    s.Finish(1);
    EXPECT_EQ(At(*s.NextDue()), Ms(60)); // 20 was late, 40 is skipped
    s.Finish(0);
    // The tick that came due during the yield runs once, late.
    EXPECT_EQ(s.Start(kT0 + 41ms), 0);
    EXPECT_EQ(s.Start(kT0 + 41ms), -1);
}

} // namespace
} // namespace linesaver::testing
