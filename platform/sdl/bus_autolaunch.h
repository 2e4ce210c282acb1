// SDL reaches for the session bus (input methods, the system's screen
// saver, real-time priority for its audio thread), which a saver needs for
// none of it. Where the session names no bus, libdbus would start one of
// its own (dbus-launch --autolaunch and a dbus-daemon), which outlives the
// saver and takes seconds to start.
#pragma once

namespace linesaver {

// Called before SDL starts, while the process has one thread: without a
// DBUS_SESSION_BUS_ADDRESS, the process is given one that no library can
// connect to, so none starts a bus. A session's own bus is left as it is.
void PreventBusAutolaunch();

} // namespace linesaver
