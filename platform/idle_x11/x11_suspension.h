// What holds the X server's screen saver back, as a hold source: a client
// that suspends it (XScreenSaverSuspend: SDL programs, and browsers and
// players with no screen-saver service on the bus), released by the call
// or by the client's end; the screen saver turned off while the watcher
// watches (xset s off, xdg-screensaver suspend on a bare X session); and a
// suspension made before the watcher started.
//
// The server tells nobody of a suspension: its idle time goes on growing,
// and its screen saver stays off past due. So the watcher records, through
// the RECORD extension on a connection of its own, every client's Suspend
// and SetScreenSaver requests and every client's end, and asks X-Resource
// which local process each client is. Nothing of the user's settings is
// changed, and the server's screen saver is never turned on. A suspension
// made before the watcher started shows only once the server's screen
// saver is past due and still off (an IDLETIME alarm a second after its
// timeout), and holds until the server's screen saver is seen past due
// and on, or a client the watcher never saw suspend lets go; with the
// server's screen saver off from the start it cannot be seen at all.
//
// Not on a Wayland session, whose X server may start only for X clients.
#pragma once

#include "platform/idle/hold_source.h"

namespace linesaver::idle {

// The hold sources' entry "x11-suspend".
std::unique_ptr<HoldSource> OpenX11Suspension(std::chrono::milliseconds idleAfter, std::string& whyNot);

} // namespace linesaver::idle
