#include "platform/posix/poll_wait.h"

#include <cerrno>
#include <poll.h>

namespace linesaver {

void PollFor(pollfd* files, int count, std::optional<std::chrono::nanoseconds> wait) {
    timespec limit{};
    if (wait) {
        limit.tv_sec = static_cast<time_t>(wait->count() / 1'000'000'000);
        limit.tv_nsec = static_cast<long>(wait->count() % 1'000'000'000);
    }
    while (::ppoll(files, static_cast<nfds_t>(count), wait ? &limit : nullptr, nullptr) < 0 && errno == EINTR) {}
}

bool WaitReadable(int fd, std::chrono::milliseconds wait) {
    pollfd file{fd, POLLIN, 0};
    PollFor(&file, 1, wait);
    return file.revents != 0;
}

} // namespace linesaver
