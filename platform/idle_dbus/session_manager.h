// Inhibitions recorded by the session manager of GNOME, MATE and Cinnamon
// (org.gnome.SessionManager): a program's request to keep the session from
// going idle, made there (gnome-session-inhibit, mate-session-inhibit, a
// video player) or handed on by the desktop's screen saver. Each is an
// object of its own that names the program and its reason, and lasts until
// it is released or its program leaves the bus. GNOME's idle monitor
// honours them by itself; on MATE and Cinnamon nothing else would.
#pragma once

#include "platform/idle_dbus/bus_holds.h"

namespace linesaver::idle {

// The session bus's watch "session-manager": nothing where no session
// manager is on the bus.
std::unique_ptr<BusWatch> OpenSessionManagerInhibitions(BusConnection& bus, std::string& whyNot);

} // namespace linesaver::idle
