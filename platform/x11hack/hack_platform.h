// XScreenSaver's hack: the saver's animation in a window the daemon, its
// settings dialog or the user names, at that window's size. The daemon
// watches input, the cursor, the lock and the screens, so this platform
// takes no input and leaves the cursor alone; it ends on SIGTERM (the
// daemon's way to stop a hack) and when its window goes. It plays music
// only when asked to, and then only while it holds the music lock, since
// several hacks run at once (one a screen, and the preview).
#pragma once

#include "platform/event_loop/desktop.h"
#include "platform/posix/close_signals.h"
#include "platform/posix/instance_lock.h"
#include "platform/posix/posix_file.h"
#include "platform/x11hack/hack_options.h"
#include "platform/x11hack/hack_window.h"

#include <atomic>
#include <memory>
#include <string>

namespace linesaver {

class HackPlatform final : public Desktop {
public:
    // The platform on the window the options name, or nothing; error then
    // holds the one line to print.
    static std::unique_ptr<HackPlatform> Open(const HackOptions& options, std::string& error);
    ~HackPlatform() override;

    // Start-up, then the event loop, until a handler ends the program.
    [[noreturn]] void Run(SaverEvents& saver) override;

    // Never a second copy: the daemon runs one hack a screen by design.
    bool AnotherInstanceRunning() override { return false; }

    // The daemon owns the cursor.
    void ShowCursor(bool) override {}

protected:
    // The connection and the shared image go with the process.
    void EndProcess(int status) override;

    WindowSurface Surface() override;
    // The socket read when due, the signals always.
    void ReadEvents() override { Look(LookDue()); }

private:
    HackPlatform();
    void StartMusic();

    // Reads the window's news and the signals; leaves when either says so.
    void Look(bool fromSocket);
    // Between ticks: a new size starts the animation again, an exposure
    // repaints.
    void Settle();
    // Sleeps until the socket or a signal has news or a timer is due; true
    // when the socket has something to read.
    bool Wait();

    // Declared in the order they are made; the music goes first.
    CloseSignals signals_;
    std::atomic<bool> closeSignalled_{false};
    std::unique_ptr<HackWindow> window_;
    std::unique_ptr<InstanceLock> musicLock_;

    WindowNews news_;
};

} // namespace linesaver
