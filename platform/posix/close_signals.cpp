#include "platform/posix/close_signals.h"

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace linesaver {
namespace {

sigset_t CloseSet() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    return set;
}

// Adds one to an event counter.
void Post(int eventFd) {
    const std::uint64_t one = 1;
    while (eventFd >= 0 && ::write(eventFd, &one, sizeof one) < 0 && errno == EINTR) {}
}

} // namespace

CloseSignals::CloseSignals() {
    const sigset_t set = CloseSet();
    signalFd_ = ::signalfd(-1, &set, SFD_CLOEXEC);
    stopFd_ = ::eventfd(0, EFD_CLOEXEC);
    noticeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    // Blocked only when they can be watched; otherwise they keep their
    // default action and still end the program.
    if (signalFd_ >= 0 && stopFd_ >= 0) pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

CloseSignals::~CloseSignals() {
    Stop();
    if (signalFd_ >= 0) ::close(signalFd_);
    if (stopFd_ >= 0) ::close(stopFd_);
    if (noticeFd_ >= 0) ::close(noticeFd_);
}

bool CloseSignals::Start(std::function<void()> wake) {
    if (signalFd_ < 0 || stopFd_ < 0 || watcher_.joinable()) return false;
    wake_ = std::move(wake);
    watcher_ = std::thread([this] { Watch(); });
    return true;
}

void CloseSignals::Stop() {
    if (!watcher_.joinable()) return;
    Post(stopFd_);
    watcher_.join();
}

void CloseSignals::TakeNotice() {
    std::uint64_t count;
    while (noticeFd_ >= 0 && ::read(noticeFd_, &count, sizeof count) < 0 && errno == EINTR) {}
}

void CloseSignals::Watch() {
    pollfd fds[2] = {{signalFd_, POLLIN, 0}, {stopFd_, POLLIN, 0}};
    for (;;) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents != 0) return;
        if (fds[0].revents == 0) continue;
        signalfd_siginfo info;
        const ssize_t got = ::read(signalFd_, &info, sizeof info);
        if (got == static_cast<ssize_t>(sizeof info)) {
            wake_();
            Post(noticeFd_);
        } else if (got < 0 && errno != EINTR)
            return;
    }
}

} // namespace linesaver
