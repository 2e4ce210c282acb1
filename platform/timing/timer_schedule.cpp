#include "platform/timing/timer_schedule.h"

namespace linesaver {

void TimerSchedule::Set(int timer, int milliseconds, TimePoint now) {
    Timer& t = timers_[timer];
    if (milliseconds <= 0) {
        t.interval = 0;
        return;
    }
    // Start() has already put the next beat one interval after this one.
    if (t.running && t.interval == milliseconds) return;
    t.interval = milliseconds;
    t.due = now + std::chrono::milliseconds(milliseconds);
}

std::optional<TimerSchedule::TimePoint> TimerSchedule::NextDue() const {
    std::optional<TimePoint> next;
    for (const Timer& t : timers_)
        if (t.interval > 0 && !t.running && (!next || t.due < *next)) next = t.due;
    return next;
}

int TimerSchedule::Start(TimePoint now) {
    int chosen = -1;
    for (int i = 0; i < kTimers; ++i) {
        const Timer& t = timers_[i];
        if (t.interval > 0 && !t.running && t.due <= now && (chosen < 0 || t.due < timers_[chosen].due)) chosen = i;
    }
    if (chosen < 0) return -1;
    Timer& t = timers_[chosen];
    const auto interval = std::chrono::milliseconds(t.interval);
    t.due += interval;
    // Late by more than one beat: skip the missed ones.
    if (t.due <= now) t.due += ((now - t.due) / interval + 1) * interval;
    t.running = true;
    return chosen;
}

void TimerSchedule::Finish(int timer) { timers_[timer].running = false; }

} // namespace linesaver
