// SIGINT, SIGTERM and SIGHUP as a request to close the window.
//
// The three signals are blocked in the calling thread, and so in every
// thread it starts later, and read from a signalfd by a small watcher
// thread, which calls wake() once per signal. Nothing runs inside a signal
// handler, and the event loop, whichever thread the kernel picked, learns of
// the signal at once through wake().
//
// The signals stay blocked after this object is gone, so one that arrives
// while the program is closing down cannot kill it before it has put the
// cursor back.
#pragma once

#include <atomic>
#include <functional>
#include <thread>

namespace linesaver {

class CloseSignals {
public:
    // Blocks the signals; nothing is watched yet. When no signalfd can be
    // made the signals are left alone.
    CloseSignals();
    ~CloseSignals();
    CloseSignals(const CloseSignals&) = delete;
    CloseSignals& operator=(const CloseSignals&) = delete;

    // Starts watching; wake runs on the watcher thread. Signals that arrived
    // since the constructor are delivered now. False when it cannot watch.
    bool Start(std::function<void()> wake);
    // Stops watching and joins the watcher: wake is never called after it.
    void Stop();

    // A file an event loop can sleep on: readable from just after wake()
    // until TakeNotice(). -1 when nothing is watched.
    int NoticeFd() const { return noticeFd_; }
    void TakeNotice();

private:
    void Watch();

    int signalFd_ = -1;
    int stopFd_ = -1;
    int noticeFd_ = -1;
    std::function<void()> wake_;
    std::thread watcher_;
};

} // namespace linesaver
