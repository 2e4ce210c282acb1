// The desktop's services that hold the saver back or lock the session,
// followed on one bus connection that they share: each service has a small
// watch of its own, which adds its matches and calls to the connection and
// reports what its service holds, and the connection's one descriptor
// serves them all as one hold source. Which watches are tried, on which bus,
// is the program's table (programs/idle/hold_backends.cpp).
#pragma once

#include "platform/idle/hold_source.h"
#include "platform/idle_dbus/bus_connection.h"

#include <memory>
#include <span>
#include <string>

namespace linesaver::idle {

class BusWatch {
public:
    virtual ~BusWatch() = default;

    // What it follows, for the watcher's first line: "KDE's inhibitions".
    virtual std::string Describe() const = 0;

    // Adds to state what its service holds now, as its handlers on the
    // connection last heard it (state already holds the other watches').
    virtual void Report(HoldState& state) const = 0;

    // What the watcher knows, as HoldSource::Seen.
    virtual void Seen(const WatchView& view) { static_cast<void>(view); }
};

struct BusWatchEntry {
    // For --verbose's line when nothing on the bus was followed: "kde".
    const char* name;
    // Starts following its service on the connection, or returns nothing
    // with whyNot saying in a few words why this bus has nothing for it.
    std::unique_ptr<BusWatch> (*open)(BusConnection& bus, std::string& whyNot);
};

// One hold source for every watch that opens on a connection to the bus;
// nothing, with whyNot saying why, when there is no bus or none opens.
std::unique_ptr<HoldSource> OpenBusHolds(BusKind kind, std::span<const BusWatchEntry> watches, std::string& whyNot);

} // namespace linesaver::idle
