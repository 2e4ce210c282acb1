// One watcher a session: an instance lock in the private runtime folder,
// named after the session's display so that two sessions of one user each
// have theirs, and the watcher's pid recorded beside it for --disable.
#pragma once

#include "platform/posix/instance_lock.h"
#include "platform/posix/pid_fd.h"

#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>

namespace linesaver::idle {

// The session's display as a file name: WAYLAND_DISPLAY, else DISPLAY
// without its screen number, "default" when neither is set.
std::string SessionKey();

// A file of this session's watcher in the private runtime folder,
// "idle-KEY" and suffix; "" when there is no private folder.
std::string SessionFile(const char* suffix);

class SessionInstance {
public:
    // Takes the session's lock and, when it has it, records this process.
    SessionInstance();
    // Another watcher of this session holds the lock.
    bool HeldElsewhere() const { return lock_ && lock_->HeldElsewhere(); }

private:
    std::unique_ptr<InstanceLock> lock_;
};

struct RunningWatcherProcess {
    pid_t pid;
    PidFd process;
};

// The watcher running in this session, when there is one and its process
// really is a linesaver-idle.
std::optional<RunningWatcherProcess> FindRunningWatcher();

// Asks a watcher to end and waits a few seconds for it; false when it
// still runs.
bool EndWatcher(const PidFd& watcher);

} // namespace linesaver::idle
