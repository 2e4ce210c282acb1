#include "platform/idle/watch_policy.h"

#include <algorithm>

namespace linesaver::idle {

WatchAction WatchPolicy::StartIfDue(WatchClock::time_point now) const {
    return idle_ && !saverRunning_ && now >= notBefore_ ? WatchAction::StartSaver : WatchAction::Nothing;
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
    }
    return WatchAction::Nothing;
}

std::optional<WatchClock::time_point> WatchPolicy::WakeAt() const {
    if (idle_ && retryWhileIdle_ && !saverRunning_ && lastEndFailed_) return notBefore_;
    return std::nullopt;
}

} // namespace linesaver::idle
