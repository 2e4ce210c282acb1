#include "platform/posix/pid_fd.h"

#include "platform/posix/poll_wait.h"

#include <sys/syscall.h>
#include <unistd.h>

namespace linesaver {

PidFd PidFd::Open(pid_t pid) {
    PidFd process;
    process.fd_ = UniqueFd(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
    return process;
}

bool PidFd::WaitEnd(std::chrono::milliseconds wait) const { return fd_ && WaitReadable(fd_.get(), wait); }

bool PidFd::Signal(int signal) const {
    return fd_ && ::syscall(SYS_pidfd_send_signal, fd_.get(), signal, nullptr, 0) == 0;
}

} // namespace linesaver
