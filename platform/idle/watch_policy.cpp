#include "platform/idle/watch_policy.h"

#include <algorithm>

namespace linesaver::idle {

WatchAction WatchPolicy::StartIfDue(WatchClock::time_point now) const {
    return idle_ && !held_ && !locked_ && !saverRunning_ && now >= notBefore_ ? WatchAction::StartSaver
                                                                              : WatchAction::Nothing;
}

WatchAction WatchPolicy::SetAside() {
    retryWhileIdle_ = false;
    if (!saverRunning_) return WatchAction::Nothing;
    saverRunning_ = false;
    return WatchAction::StopSaver;
}

void WatchPolicy::Failed(WatchClock::time_point now) {
    ++failuresInARow_;
    backOff_ = kFirstBackOff;
    for (int i = 1; i < failuresInARow_ && backOff_ < kLongestBackOff; ++i) backOff_ *= 2;
    backOff_ = std::min<std::chrono::seconds>(backOff_, kLongestBackOff);
    notBefore_ = now + backOff_;
    retryWhileIdle_ = true;
    lastEndFailed_ = true;
}

WatchAction WatchPolicy::On(WatchEvent event, WatchClock::time_point now) {
    switch (event) {
    case WatchEvent::Idle:
        idle_ = true;
        retryWhileIdle_ = true;
        return StartIfDue(now);
    case WatchEvent::Active:
        idle_ = false;
        return WatchAction::Nothing;
    case WatchEvent::SaverStarted:
        saverRunning_ = true;
        startedAt_ = now;
        return WatchAction::Nothing;
    case WatchEvent::SaverFailed:
        saverRunning_ = false;
        Failed(now);
        return WatchAction::Nothing;
    case WatchEvent::SaverEnded:
    case WatchEvent::SaverFaulted:
        saverRunning_ = false;
        if (event == WatchEvent::SaverFaulted && now - startedAt_ < kFailsAtOnce) {
            Failed(now);
        } else {
            failuresInARow_ = 0;
            lastEndFailed_ = false;
            retryWhileIdle_ = false;
        }
        return WatchAction::Nothing;
    case WatchEvent::Timer:
        return retryWhileIdle_ ? StartIfDue(now) : WatchAction::Nothing;
    case WatchEvent::Held:
        held_ = true;
        return WatchAction::Nothing;
    case WatchEvent::Released:
        held_ = false;
        return retryWhileIdle_ ? StartIfDue(now) : WatchAction::Nothing;
    case WatchEvent::Locked:
        if (locked_) return WatchAction::Nothing;
        locked_ = true;
        return SetAside();
    case WatchEvent::Unlocked:
        // Idle under the lock does not count: the session was not the
        // user's to leave.
        if (locked_) retryWhileIdle_ = false;
        locked_ = false;
        return WatchAction::Nothing;
    case WatchEvent::Activity:
        idle_ = false;
        return SetAside();
    }
    return WatchAction::Nothing;
}

std::optional<WatchClock::time_point> WatchPolicy::WakeAt() const {
    if (idle_ && retryWhileIdle_ && !held_ && !locked_ && !saverRunning_ && lastEndFailed_) return notBefore_;
    return std::nullopt;
}

} // namespace linesaver::idle
