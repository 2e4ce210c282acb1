// Inhibitions that only the desktop's session services know of, honoured
// in front of any idle source. On KDE Plasma a program that asks
// org.freedesktop.ScreenSaver (or the power manager) to keep the screen on
// is recorded by PowerDevil's policy agent, and KWin's idle notifications
// take no notice of it: while the agent holds the screen's settings, Idle
// is held back, and it is given as soon as the agent lets go if the session
// is idle still. On GNOME the same requests reach gnome-session, which
// Mutter's idle monitor honours by itself.
#pragma once

#include "platform/idle/idle_source.h"

namespace linesaver::idle {

// The source itself where no policy agent is on the session bus, else the
// source behind the agent's inhibitions.
std::unique_ptr<IdleSource> HonourKdeInhibitions(std::unique_ptr<IdleSource> source);

} // namespace linesaver::idle
