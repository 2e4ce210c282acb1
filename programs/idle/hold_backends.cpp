// The hold sources: every one that opens is followed. The desktop services
// of one bus share its connection, one watch each.
#include "platform/idle_dbus/bus_holds.h"
#include "platform/idle_dbus/desktop_locks.h"
#include "platform/idle_dbus/kde_inhibitions.h"
#include "platform/idle_dbus/session_manager.h"
#include "programs/idle/idle_backends.h"

namespace linesaver::idle {
namespace {

constexpr BusWatchEntry kSessionBusWatches[] = {
    {"kde", OpenKdeInhibitions},
    {"session-manager", OpenSessionManagerInhibitions},
    {"gnome-lock", OpenLockScreen<kGnomeLockScreen>},
    {"freedesktop-lock", OpenLockScreen<kFreedesktopLockScreen>},
    {"mate-lock", OpenLockScreen<kMateLockScreen>},
    {"xfce-lock", OpenLockScreen<kXfceLockScreen>},
    {"cinnamon-lock", OpenLockScreen<kCinnamonLockScreen>},
};

std::unique_ptr<HoldSource> OpenSessionBusHolds(std::chrono::milliseconds, std::string& whyNot) {
    return OpenBusHolds(BusKind::Session, kSessionBusWatches, whyNot);
}

constexpr HoldBackend kHoldBackends[] = {
    {"session-bus", OpenSessionBusHolds},
};

} // namespace

std::span<const HoldBackend> HoldBackends() { return kHoldBackends; }

} // namespace linesaver::idle
