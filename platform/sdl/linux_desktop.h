// What the saver's two Linux desktops (on an X server through SDL, on a
// Wayland compositor spoken to directly) share around their windows: the
// close signals, which end the process at once while the windows are
// being opened and are handed to the event loop from then on; the
// single-instance lock; the private drive, whose music plays through SDL's
// audio; and the way the process ends.
#pragma once

#include "platform/event_loop/desktop.h"
#include "platform/posix/close_signals.h"
#include "platform/posix/instance_lock.h"

#include <functional>
#include <mutex>
#include <string>

namespace linesaver {

class LinuxDesktop : public Desktop {
public:
    bool AnotherInstanceRunning() override { return lock_.HeldElsewhere(); }

    // For measurements only: called each time the loop has brought what
    // changed to the screen. The saver sets none.
    void SetPresentObserver(std::function<void()> observer) { presented_ = std::move(observer); }

protected:
    LinuxDesktop();

    // Opens the windows through OpenWindows with the close signals watched
    // from before, then the drive. False, with error, when the windows
    // cannot be had. A second copy (the lock held elsewhere) opens nothing.
    bool Open(std::string& error);
    // The desktop's windows, at start-up.
    virtual bool OpenWindows(std::string& error) = 0;
    // On the signal watcher's thread, once the windows are open: the event
    // loop is to close.
    virtual void CloseAsked() = 0;

    // The music stops while SDL's audio is still there, and no close
    // signal is handed on from then on: first in a desktop's destructor.
    void StopMusicAndSignals();
    // The process ends with status; the windows must have gone.
    [[noreturn]] static void ExitProcess(int status);
    void Presented() const {
        if (presented_) presented_();
    }

    CloseSignals signals_;

private:
    void CloseSignalled();

    std::mutex openingMutex_;
    bool opening_ = true; // the windows are being opened
    InstanceLock lock_;
    std::function<void()> presented_;
};

} // namespace linesaver
