// Where the idle watcher learns what holds the saver back and whether the
// session is locked: one source per server or bus that keeps such a record
// (the desktop's services followed on a bus connection, the X server's
// screen-saver suspension, ...). A program's request to keep the screen on
// is an inhibition; a lock screen in front of the session is a lock.
//
// The watcher reads every source once right after opening it, before the
// idle source, then sleeps on all their Fd()s at once and calls Read()
// whenever one is readable. A source reports all it holds each time; the
// watcher keeps every source's last report in one record (hold_record.h)
// and starts the saver only while the session is idle and no source holds
// an inhibition or a lock. A source never blocks in Read() and never calls
// back into the watcher.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace linesaver::idle {

class HoldRecord;

struct Inhibition {
    // How it was asked for: "org.freedesktop.ScreenSaver",
    // "XScreenSaverSuspend".
    std::string interface;
    // Who asked, where the bus or the server can tell ("firefox"); "" else.
    std::string program;
    // The reason it gave; "" for none.
    std::string reason;
    // When the source first saw it; kept for as long as it holds.
    std::chrono::system_clock::time_point since;
    bool operator==(const Inhibition&) const = default;
};

struct HoldState {
    std::vector<Inhibition> inhibitions;
    // What says the session is locked ("org.gnome.ScreenSaver", "logind");
    // empty while nothing does.
    std::vector<std::string> locks;
    // How many times programs have reported user activity in the user's
    // stead (SimulateUserActivity) since the source opened; each increase
    // counts as input.
    std::uint64_t activity = 0;
    bool operator==(const HoldState&) const = default;
};

// What the watcher knows, for sources that tell others of it (a status
// channel, a bus service's GetActive and ActiveChanged).
struct WatchView {
    // The idle source's Describe().
    std::string idleSource;
    // Since when the session has been idle, by the idle source; nothing
    // while it is active.
    std::optional<std::chrono::system_clock::time_point> idleSince;
    // The saver it runs; -1 for none.
    pid_t saverPid = -1;
    // What every hold source reported last.
    const HoldRecord* holds = nullptr;
};

class HoldSource {
public:
    virtual ~HoldSource() = default;

    // What it follows, for the watcher's first line: "KDE's inhibitions";
    // "" for a source that never holds anything (a status channel).
    virtual std::string Describe() const = 0;

    // A file descriptor that becomes readable when Read() has work.
    virtual int Fd() const = 0;

    // Handles what has come in and sets state to all the source holds now
    // (state holds its last report). False when the server or bus has gone;
    // why then says so in a few words, and the watcher goes on without it.
    virtual bool Read(HoldState& state, std::string& why) = 0;

    // Sends what is queued; called before every sleep.
    virtual void Flush() {}

    // Called at start and after every wake-up of the watcher with what it
    // knows then; the view lives as long as the watcher watches.
    virtual void Seen(const WatchView& view) { static_cast<void>(view); }
};

// One entry of the list of hold sources: every one that opens is used.
struct HoldBackend {
    // For --verbose's lines about sources that did not open: "session-bus".
    const char* name;
    // Opens the source for a watcher of that idle time, or returns nothing
    // with whyNot saying in a few words why there is nothing to follow.
    std::unique_ptr<HoldSource> (*open)(std::chrono::milliseconds idleAfter, std::string& whyNot);
};

} // namespace linesaver::idle
