// The idle source of GNOME, on Wayland and on X11 alike: Mutter's idle
// monitor on the session bus. One idle watch, added at start, fires each
// time the session has been idle for the full time; a one-shot user-active
// watch, added after each, fires at the first input. Both belong to the
// connection, which therefore stays open as long as the source lives.
// Mutter holds the idle watch back itself while a session inhibitor (a
// video player's, a presentation's) holds idle.
#pragma once

#include "platform/idle/idle_source.h"

namespace linesaver::idle {

std::unique_ptr<IdleSource> OpenMutterIdle(std::chrono::milliseconds idleAfter, std::string& whyNot);

} // namespace linesaver::idle
