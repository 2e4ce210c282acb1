// When the window's timers fire: the beat, restarts, stalls and nesting.
#include "platform/timer_schedule.h"

#include <gtest/gtest.h>
#include <vector>

namespace linesaver {
namespace {

using namespace std::chrono_literals;
using Ms = std::chrono::milliseconds;

const TimerSchedule::TimePoint t0{};

Ms At(TimerSchedule::TimePoint t) { return std::chrono::duration_cast<Ms>(t - t0); }

// An event loop on a simulated clock. Every handler takes `work` and then
// sets its timer to `next` ms, as the frame tick and the music poll do.
// `stall` delays the loop once, at the given time, by the given span.
struct Loop {
    int work[2] = {0, 0};
    int next[2] = {15, 1000};
    Ms stallAt{-1};
    Ms stall{0};

    std::vector<std::vector<Ms>> Run(TimerSchedule& s, Ms until) {
        std::vector<std::vector<Ms>> fired(2);
        TimerSchedule::TimePoint now = t0;
        while (now - t0 < until) {
            auto due = s.NextDue();
            if (!due) break;
            now = std::max(now, *due);
            if (now - t0 >= until) break;
            if (stallAt >= Ms(0) && now - t0 >= stallAt) {
                now += stall;
                stallAt = Ms(-1);
            }
            for (int id; (id = s.Start(now)) >= 0;) {
                fired[id].push_back(At(now));
                now += Ms(work[id]);
                s.Set(id, next[id], now);
                s.Finish(id);
            }
        }
        return fired;
    }
};

TEST(TimerSchedule, FiresOnTheBeat) {
    struct Case {
        const char* name;
        int first, work;   // the frame tick's first interval and its handler's time
        int stallAt, stall; // the loop stalls once
        int until;
        std::vector<int> fired; // ms
    };
    const Case cases[] = {
        // First at 10 ms, then the tick sets 15 ms from its own start.
        {"instant handler", 10, 0, -1, 0, 100, {10, 25, 40, 55, 70, 85}},
        // A handler that takes time does not push the beat back: the tick
        // re-sets its own unchanged interval, which keeps the beat. Only
        // the first tick's change from 10 to 15 counts from its end.
        {"slow handler", 10, 4, -1, 0, 100, {10, 29, 44, 59, 74, 89}},
        // The tick due at 30 runs at 80: no burst for 45, 60 and 75, one
        // late tick, then back on the old beat.
        {"stall", 15, 0, 30, 50, 130, {15, 80, 90, 105, 120}},
    };
    for (const Case& c : cases) {
        TimerSchedule s;
        s.Set(0, c.first, t0);
        s.Set(1, 0, t0);
        Loop loop;
        loop.work[0] = c.work;
        loop.stallAt = Ms(c.stallAt);
        loop.stall = Ms(c.stall);
        const auto fired = loop.Run(s, Ms(c.until));
        EXPECT_EQ(fired[0], std::vector<Ms>(c.fired.begin(), c.fired.end())) << c.name;
        EXPECT_TRUE(fired[1].empty()) << c.name; // interval 0 never fires
    }
}

TEST(TimerSchedule, SettingRestartsTheCountOrStopsAndTheEarliestFiresFirst) {
    TimerSchedule s;
    s.Set(1, 100, t0);
    s.Set(1, 100, t0 + 60ms); // same interval from outside its handler
    EXPECT_EQ(At(*s.NextDue()), Ms(160));
    s.Set(1, 40, t0 + 70ms);
    EXPECT_EQ(At(*s.NextDue()), Ms(110));
    s.Set(1, 0, t0 + 80ms);
    EXPECT_FALSE(s.NextDue());
    EXPECT_EQ(s.Start(t0 + 1000ms), -1);
    // Of two timers due, the earlier fires first.
    s.Set(0, 30, t0);
    s.Set(1, 10, t0);
    EXPECT_EQ(s.Start(t0 + 50ms), 1);
    EXPECT_EQ(s.Start(t0 + 50ms), 0);
}

TEST(TimerSchedule, ARunningTimerWaitsForItsHandler) {
    TimerSchedule s;
    s.Set(0, 15, t0);
    s.Set(1, 20, t0);
    ASSERT_EQ(s.Start(t0 + 15ms), 0);
    // While the tick yields, only the other timer can come due.
    EXPECT_EQ(At(*s.NextDue()), Ms(20));
    EXPECT_EQ(s.Start(t0 + 40ms), 1);
    EXPECT_EQ(s.Start(t0 + 40ms), -1); // both busy
    s.Finish(1);
    EXPECT_EQ(At(*s.NextDue()), Ms(60)); // 20 was late, 40 is skipped
    s.Finish(0);
    // The tick that came due during the yield runs once, late.
    EXPECT_EQ(s.Start(t0 + 41ms), 0);
    EXPECT_EQ(s.Start(t0 + 41ms), -1);
}

} // namespace
} // namespace linesaver
