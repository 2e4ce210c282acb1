// The desktops' own screen savers and lock screens. While one is on (its
// ActiveChanged(true), or GetActive true when the watcher starts) the
// session counts as locked: the watcher ends the saver it started and
// starts none until the session has been active and idle again. Only
// the program that owns the desktop's name is heard: the same signal from
// anyone else (the watcher's own org.freedesktop.ScreenSaver among them)
// is no lock.
#pragma once

#include "platform/idle_dbus/bus_holds.h"

#include <array>

namespace linesaver::idle {

struct LockScreen {
    // For the watcher's first line: "MATE's screen saver".
    const char* describe;
    // The names its program may own, in the order tried: the first owned
    // is followed, whenever its program starts.
    std::array<const char*, 2> names;
    const char* path;
    const char* interface;
};

// GNOME Shell owns its lock as org.gnome.Shell.ScreenShield;
// org.gnome.ScreenSaver is a proxy that only runs once somebody has
// called it (and the name of older GNOME's screen saver).
inline constexpr LockScreen kGnomeLockScreen{"GNOME's lock screen",
                                             {"org.gnome.Shell.ScreenShield", "org.gnome.ScreenSaver"},
                                             "/org/gnome/ScreenSaver",
                                             "org.gnome.ScreenSaver"};
// KDE's; elsewhere the name's owner either keeps only inhibitions and does
// not answer GetActive (its lock is taken as off), or is this watcher.
inline constexpr LockScreen kFreedesktopLockScreen{"the screen saver on org.freedesktop.ScreenSaver",
                                                   {"org.freedesktop.ScreenSaver", nullptr},
                                                   "/org/freedesktop/ScreenSaver",
                                                   "org.freedesktop.ScreenSaver"};
inline constexpr LockScreen kMateLockScreen{
    "MATE's screen saver", {"org.mate.ScreenSaver", nullptr}, "/org/mate/ScreenSaver", "org.mate.ScreenSaver"};
inline constexpr LockScreen kXfceLockScreen{
    "Xfce's screen saver", {"org.xfce.ScreenSaver", nullptr}, "/org/xfce/ScreenSaver", "org.xfce.ScreenSaver"};
inline constexpr LockScreen kCinnamonLockScreen{"Cinnamon's screen saver",
                                                {"org.cinnamon.ScreenSaver", nullptr},
                                                "/org/cinnamon/ScreenSaver",
                                                "org.cinnamon.ScreenSaver"};

// Follows screen, from the watcher's start or from when its program comes
// to the bus; nothing when the bus refuses the watch.
std::unique_ptr<BusWatch> OpenLockScreen(const LockScreen& screen, BusConnection& bus, std::string& whyNot);

// The same as a session bus's watch, for the program's table.
template <const LockScreen& Screen>
std::unique_ptr<BusWatch> OpenLockScreen(BusConnection& bus, std::string& whyNot) {
    return OpenLockScreen(Screen, bus, whyNot);
}

} // namespace linesaver::idle
