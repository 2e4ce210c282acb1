// Inhibitions that only KDE's power manager knows of. On KDE Plasma a
// program that asks org.freedesktop.ScreenSaver (or the power manager) to
// keep the screen on is recorded by PowerDevil's policy agent, and KWin's
// idle notifications take no notice of it: while the agent holds the
// screen's settings, the saver is held back. On GNOME the same requests
// reach gnome-session, which Mutter's idle monitor honours by itself.
#pragma once

#include "platform/idle_dbus/bus_holds.h"

namespace linesaver::idle {

// The session bus's watch "kde": nothing where no policy agent is on the
// bus.
std::unique_ptr<BusWatch> OpenKdeInhibitions(BusConnection& bus, std::string& whyNot);

} // namespace linesaver::idle
