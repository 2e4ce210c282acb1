// What linesaver-idle does: watch this session, or make it watched at
// every login (--enable) or no longer (--disable), or tell what the
// session's watcher knows (--status).
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace linesaver::idle {

struct WatcherOptions {
    std::chrono::seconds idleAfter{300};
    std::vector<std::string> saverCommand;
    // Only this backend, when not empty.
    std::string backend;
    bool verbose = false;
    // Closed once the watcher watches (or has failed to), when not -1.
    int readyFd = -1;
};

// Watches this session; the process's exit status.
int WatchSession(const WatcherOptions& options);

// --enable: the autostart entry running watcherArguments (after this
// program's path), and a watcher started now in a session of its own.
int EnableWatcher(WatcherOptions options, const std::vector<std::string>& watcherArguments);

// --disable: the entry removed and the running watcher ended.
int DisableWatcher();

// --status: what this session's watcher knows, one fact a line on stdout;
// with no watcher one line on stderr and status 3, with a status channel
// that gives no answer (within 2 s) one line and status 1.
int ShowStatus();

} // namespace linesaver::idle
