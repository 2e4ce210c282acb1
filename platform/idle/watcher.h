// The idle watcher's loop: it sleeps on the idle source, the close signals
// and the saver it started, and starts the saver when the session has been
// idle for the time asked for.
#pragma once

#include "platform/idle/idle_source.h"

#include <string>
#include <vector>

namespace linesaver {
class CloseSignals;
}

namespace linesaver::idle {

struct WatchSettings {
    // The saver's program and its arguments.
    std::vector<std::string> saverCommand;
    // One line on stderr per event, not only the troubles.
    bool verbose = false;
};

// Watches until a close signal (returns 0) or until the source has gone
// (one line, returns 1). A saver it started is ended either way. signals
// must have been made before any thread started.
int Watch(IdleSource& source, const WatchSettings& settings, CloseSignals& signals);

// A line on stderr, "linesaver-idle: " and text.
void Say(const std::string& text);

} // namespace linesaver::idle
