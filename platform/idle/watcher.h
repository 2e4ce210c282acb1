// The idle watcher's loop: it sleeps on the idle source, the hold sources,
// the close signals and the saver it started, all in one poll set, and
// starts the saver when the session has been idle for the time asked for
// and nothing holds it back.
#pragma once

#include "platform/idle/hold_source.h"
#include "platform/idle/idle_source.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace linesaver {
class CloseSignals;
}

namespace linesaver::idle {

struct WatchSettings {
    // The saver's program and its arguments.
    std::vector<std::string> saverCommand;
    // The idle time the idle source watches for.
    std::chrono::seconds idleAfter{300};
    // One line on stderr per event, not only the troubles.
    bool verbose = false;
};

// Watches until a close signal (returns 0) or until the idle source has
// gone (one line, returns 1). A hold source that goes is said in one line
// and dropped, with what it held. A saver it started is ended either way.
// signals must have been made before any thread started.
int Watch(IdleSource& source, std::vector<std::unique_ptr<HoldSource>> holds, const WatchSettings& settings,
          CloseSignals& signals);

// A line on stderr, "linesaver-idle: " and text.
void Say(const std::string& text);

} // namespace linesaver::idle
