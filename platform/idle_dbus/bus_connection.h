// A connection to the session or the system bus whose whole need for
// attention shows on one file descriptor, so that a caller sleeping in poll() on it misses
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

enum class BusKind { Session, System };

class BusConnection {
public:
    // Connects to the bus; nothing, with whyNot saying why, when there is
    // none.
    static std::unique_ptr<BusConnection> Open(BusKind kind, std::string& whyNot);

    // "the session bus", "the system bus".
    const char* Name() const { return name_; }
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

    // Whether a program owns name on the bus now; false when the bus does
    // not answer.
    bool HasOwner(const char* name) const;

private:
    BusConnection() = default;

    const char* name_ = "the session bus";
    std::unique_ptr<sd_bus, BusUnref> bus_;
    UniqueFd epoll_;
    UniqueFd timer_;
    int busFd_ = -1;
};

} // namespace linesaver::idle
