// Where the idle watcher learns that the session has gone idle and that the
// user is back: one source per desktop interface (a Wayland idle protocol,
// Mutter's idle monitor on the session bus, the X server's idle counter).
//
// A source is opened with the idle time it watches for and from then on
// reports every change, in order: Idle once the session has had no input
// for that long, Active at the first input after it, Idle again after the
// next full idle time, and so on. Inhibitors the desktop honours (a video
// player's, a presentation's) hold Idle back for as long as they live.
//
// The watcher calls Read() once right after opening, for what the source
// knew then (a session idle already), then sleeps on Fd() and calls Read()
// whenever it is readable; a source never blocks in Read() and never calls
// back into the watcher. Sources are tried in the order of the backend
// list; the first that opens is used.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace linesaver::idle {

enum class IdleChange { Idle, Active };

class IdleSource {
public:
    virtual ~IdleSource() = default;

    // For the line the watcher prints at start: the interface and where it
    // comes from, "ext_idle_notifier_v1 on wayland-1".
    virtual std::string Describe() const = 0;

    // A file descriptor that becomes readable when Read() has work.
    virtual int Fd() const = 0;

    // Handles what has come in and appends the changes it brought to
    // changes. Returns false when the desktop has gone away (the compositor,
    // the X server or the session bus); why then says so in a few words.
    virtual bool Read(std::vector<IdleChange>& changes, std::string& why) = 0;

    // Sends what is queued for the desktop; called before every sleep.
    virtual void Flush() {}

    // Starts the idle time anew, as input would, where the desktop lets a
    // client do so (a program reported activity in the user's stead).
    virtual void ResetIdle() {}
};

// One entry of the list of sources tried at start-up.
struct IdleBackend {
    // The name --backend takes: "ext-idle", "kde-idle", "mutter", "x11".
    const char* name;
    // Opens the source, or returns nothing with whyNot saying in a few
    // words why this desktop does not offer it.
    std::unique_ptr<IdleSource> (*open)(std::chrono::milliseconds idleAfter, std::string& whyNot);
};

} // namespace linesaver::idle
