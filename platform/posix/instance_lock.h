// The single-instance lock: an exclusive flock on a file that lives as long
// as the process holds it. The kernel drops it when the process ends, however
// it ends, so a crashed copy never blocks the next one.
#pragma once

#include <string>

namespace linesaver {

class InstanceLock {
public:
    // Tries to take the lock on path (created 0600 if missing, never through
    // a symbolic link). An empty path takes nothing.
    explicit InstanceLock(const std::string& path);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Another process (or another open of the same file) holds the lock.
    bool HeldElsewhere() const { return heldElsewhere_; }
    // This object holds it.
    bool Held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
    bool heldElsewhere_ = false;
};

} // namespace linesaver
