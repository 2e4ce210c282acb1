// The X server's own idle time: the IDLETIME counter of the SYNC extension,
// watched by an alarm. Every X.Org server (Xorg, Xwayland, Xvfb, Xephyr)
// has SYNC built in, with no way to turn it off, and IDLETIME among its
// counters. Programs that keep the screen on (video players,
// xdg-screensaver, xset s reset) reset the server's idle time, so they hold
// Idle back.
#pragma once

#include "platform/idle/idle_source.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace linesaver::idle {

// The turns of the one IDLETIME alarm: while the session is active it waits
// for the counter to reach the idle time, while it is idle for input to set
// the counter back below it.
class IdleAlarmTurns {
public:
    explicit IdleAlarmTurns(std::int64_t idleAfter) : idleAfter_(idleAfter) {}

    // What the alarm waits for: the counter at most Value() (input) or at
    // least Value() (the idle time).
    bool WaitsForInput() const { return idle_; }
    std::int64_t Value() const { return idle_ ? idleAfter_ - 1 : idleAfter_; }

    // The change an alarm notice with the counter at idleTime brings, after
    // which the alarm waits for the opposite one; nothing for a notice that
    // does not match what the alarm waits for (one sent for the change
    // itself).
    std::optional<IdleChange> Notice(std::int64_t idleTime) {
        if (idle_ == (idleTime >= idleAfter_)) return std::nullopt;
        idle_ = !idle_;
        return idle_ ? IdleChange::Idle : IdleChange::Active;
    }

private:
    std::int64_t idleAfter_;
    bool idle_ = false;
};

// The backend list's entry "x11".
std::unique_ptr<IdleSource> OpenX11IdleSource(std::chrono::milliseconds idleAfter, std::string& whyNot);

} // namespace linesaver::idle
