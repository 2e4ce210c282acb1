// A connection to the session bus whose whole need for attention shows on
// one file descriptor, so that a caller sleeping in poll() on it misses
// nothing: the bus socket with the events sd-bus asks for, and a timer for
// sd-bus's own deadlines (a reply that never came, messages it has already
// read but not yet handled), together in one epoll set.
#pragma once

#include "platform/posix/posix_file.h"

#include <memory>
#include <string>

struct sd_bus;
struct sd_bus_slot;

namespace linesaver::idle {

struct BusUnref {
    void operator()(sd_bus* bus) const;
};
struct SlotUnref {
    void operator()(sd_bus_slot* slot) const;
};
using BusSlot = std::unique_ptr<sd_bus_slot, SlotUnref>;

class SessionBus {
public:
    // Connects to the session bus; nothing, with whyNot saying why, when
    // there is none.
    static std::unique_ptr<SessionBus> Open(std::string& whyNot);

    sd_bus* get() const { return bus_.get(); }

    // Readable whenever Dispatch() has work.
    int Fd() const { return epoll_.get(); }

    // Handles everything that has come in, calling the handlers registered
    // on the connection, and waits for the next. False once the connection
    // has closed.
    bool Dispatch();

    // Watches again for what sd-bus now waits on; after every call that
    // may have queued or read messages outside Dispatch().
    bool Rearm();

    // Makes Fd() readable also when fd is, for a caller that has more than
    // the bus to wait on.
    bool AlsoWatch(int fd);

private:
    SessionBus() = default;

    std::unique_ptr<sd_bus, BusUnref> bus_;
    UniqueFd epoll_;
    UniqueFd timer_;
    int busFd_ = -1;
};

} // namespace linesaver::idle
