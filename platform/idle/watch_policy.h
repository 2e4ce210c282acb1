// When the watcher starts the saver. It hears what the idle source, the
// sources of inhibitions and locks, and the saver process do, and answers
// whether to start or end the saver now:
//
//  - idle, not held back by any inhibition, not locked, and no saver
//    running: start it (never two at once);
//  - an inhibition let go while the session is idle still: start it at
//    once, the idle time having passed already;
//  - the session locked, or activity reported by a program: end the saver
//    (a lock's own screen is in front of it) and start none until the
//    session has been active and idle again, unlocked;
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
    Held,         // an inhibition holds the saver back (the first of any)
    Released,     // ... the last one has let go
    Locked,       // the session is locked (the first lock of any)
    Unlocked,     // ... no lock is left
    Activity,     // a program reports user activity in the user's stead
};

enum class WatchAction { Nothing, StartSaver, StopSaver };

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
    // Nothing until active and idle again; the saver, if one runs, ended.
    WatchAction SetAside();

    bool idle_ = false;
    bool held_ = false;
    bool locked_ = false;
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
