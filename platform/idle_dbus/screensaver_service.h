// The watcher's own org.freedesktop.ScreenSaver, for sessions where no
// desktop serves that name (i3, openbox, a bare X11 session, sway and other
// wlroots compositors): video players, browsers and presentations ask it
// to keep the screen on, and each such inhibition holds the saver back
// until its caller hands the cookie back or leaves the bus. It serves the
// interface at /org/freedesktop/ScreenSaver and at /ScreenSaver:
// Inhibit(application, reason) -> cookie, UnInhibit(cookie),
// SimulateUserActivity() (input in the user's stead: the saver ends and the
// idle time starts anew), GetActive(), GetActiveTime() (whether the saver
// runs, for how many seconds), and the signal ActiveChanged(active) as the
// saver starts and ends.
//
// It takes the name only where nobody has it, and lets another program take
// it over; what it has granted holds on until released either way (a
// release sent to the name then reaches the new owner, so it is the
// caller's leaving that ends it).
#pragma once

#include "platform/idle_dbus/bus_holds.h"

namespace linesaver::idle {

// The session bus's watch "screensaver-service": nothing where a program
// owns org.freedesktop.ScreenSaver already.
std::unique_ptr<BusWatch> OpenScreenSaverService(BusConnection& bus, std::string& whyNot);

} // namespace linesaver::idle
