// When the window's two timers come due. Plain logic on a steady clock, so
// the event loop only asks "how long may I sleep" and "which timer is due".
//
// A timer fires every interval milliseconds; 0 stops it. Setting an
// interval restarts the count, except that a timer re-setting its own
// unchanged interval from inside its handler keeps its beat: the next tick
// is due one interval after the previous due time, so the ticks do not
// drift by the time the handler takes. After a stall the missed ticks are
// skipped, not fired in a burst. A timer never fires while its own handler
// is still running (its handler may yield to the event loop).
#pragma once

#include <array>
#include <chrono>
#include <optional>

namespace linesaver {

class TimerSchedule {
public:
    using Clock = std::chrono::steady_clock;
    using TimePoint = Clock::time_point;
    static constexpr int kTimers = 2;

    // Setting an interval: restarts the count from now; 0 stops the timer.
    void Set(int timer, int milliseconds, TimePoint now);

    // The earliest due time of a timer that may fire; nothing when none may.
    std::optional<TimePoint> NextDue() const;

    // A timer due at now whose handler is not running, the earliest first:
    // it is marked running and its next due time is set. -1 when none.
    int Start(TimePoint now);
    // Its handler has returned (or unwound).
    void Finish(int timer);

    bool Running(int timer) const { return timers_[timer].running; }
    int Interval(int timer) const { return timers_[timer].interval; }

private:
    struct Timer {
        int interval = 0; // ms; 0 = stopped
        TimePoint due{};
        bool running = false;
    };
    std::array<Timer, kTimers> timers_{};
};

} // namespace linesaver
