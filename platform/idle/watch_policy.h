// When the watcher starts the saver. It hears what the idle source and the
// saver process do and answers whether to start the saver now:
//
//  - idle, and no saver running: start it (never two at once);
//  - the saver ended after a proper run: nothing until the session has
//    been active and idle again, however it ended (a key, a kill);
//  - the saver could not be started, or failed at once: try again only
//    after a back-off that doubles with every failure in a row, and then
//    only while the session is still idle.
#pragma once

#include <chrono>
#include <optional>

namespace linesaver::idle {

using WatchClock = std::chrono::steady_clock;

enum class WatchEvent {
    Idle,         // the source says the session has gone idle
    Active,       // ... that the user is back
    SaverStarted, // the saver process runs
    SaverFailed,  // the saver could not be started at all
    SaverEnded,   // the saver ended with status 0
    SaverFaulted, // the saver ended with another status or by a signal
    Timer,        // the time WakeAt() named has come
};

enum class WatchAction { Nothing, StartSaver };

class WatchPolicy {
public:
    // A saver that ends unsuccessfully sooner than this after its start
    // failed at once.
    static constexpr std::chrono::seconds kFailsAtOnce{2};
    static constexpr std::chrono::seconds kFirstBackOff{10};
    static constexpr std::chrono::minutes kLongestBackOff{10};

    WatchAction On(WatchEvent event, WatchClock::time_point now);

    // When to send Timer next, if at all: the end of a back-off while a
    // start waits for it.
    std::optional<WatchClock::time_point> WakeAt() const;

    // Whether the saver's last end counted as failing at once, and how
    // long the back-off it started lasts.
    bool LastEndFailed() const { return lastEndFailed_; }
    std::chrono::seconds BackOff() const { return backOff_; }

private:
    WatchAction StartIfDue(WatchClock::time_point now) const;
    void Failed(WatchClock::time_point now);

    bool idle_ = false;
    bool saverRunning_ = false;
    // After a failure the saver is tried again while the same idle time
    // lasts; after a proper run, only in the next one.
    bool retryWhileIdle_ = false;
    bool lastEndFailed_ = false;
    int failuresInARow_ = 0;
    std::chrono::seconds backOff_{0};
    WatchClock::time_point startedAt_{};
    WatchClock::time_point notBefore_{};
};

} // namespace linesaver::idle
