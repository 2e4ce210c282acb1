// The X server's own idle time: the IDLETIME counter of the SYNC extension
// watched by an alarm, or, on a server without it, MIT-SCREEN-SAVER's idle
// time. Programs that keep the screen on (video players, xdg-screensaver,
// xset s reset) reset the server's idle time, so they hold Idle back.
#pragma once

#include "platform/idle/idle_source.h"

#include <chrono>
#include <memory>
#include <string>

struct xcb_connection_t;

namespace linesaver::idle {

// The connection to the X server named by DISPLAY.
struct XcbDisconnect {
    void operator()(xcb_connection_t* connection) const;
};
using XcbConnection = std::unique_ptr<xcb_connection_t, XcbDisconnect>;

// The backend list's entry "x11".
std::unique_ptr<IdleSource> OpenX11IdleSource(std::chrono::milliseconds idleAfter, std::string& whyNot);

// MIT-SCREEN-SAVER's idle time, for a server without IDLETIME.
std::unique_ptr<IdleSource> OpenScreenSaverIdleSource(XcbConnection connection, const std::string& display,
                                                      std::chrono::milliseconds idleAfter, std::string& whyNot);

} // namespace linesaver::idle
