// A process held by a pidfd: signals sent through it reach that process or
// none, even once its pid has been given to another, and the descriptor
// becomes readable when the process ends.
#pragma once

#include "platform/posix/posix_file.h"

#include <chrono>
#include <sys/types.h>

namespace linesaver {

class PidFd {
public:
    PidFd() = default;
    // The process that holds pid now; an empty owner, with errno saying why
    // (ESRCH: there is none), when it cannot be had.
    static PidFd Open(pid_t pid);

    explicit operator bool() const { return static_cast<bool>(fd_); }
    int get() const { return fd_.get(); }

    // Whether the process has ended, waiting up to wait for it to.
    bool WaitEnd(std::chrono::milliseconds wait) const;
    // Sends it signal; false when it could not be sent.
    bool Signal(int signal) const;

private:
    UniqueFd fd_;
};

} // namespace linesaver
