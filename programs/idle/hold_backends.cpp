// The hold sources: every one that opens is followed. The desktop services
// of one bus share its connection, one watch each.
#include "platform/idle/status_channel.h"
#include "platform/idle_dbus/bus_holds.h"
#include "platform/idle_dbus/desktop_locks.h"
#include "platform/idle_dbus/kde_inhibitions.h"
#include "platform/idle_dbus/logind.h"
#include "platform/idle_dbus/screensaver_service.h"
#include "platform/idle_dbus/session_manager.h"
#include "platform/idle_x11/x11_suspension.h"
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
    {"screensaver-service", OpenScreenSaverService},
};

constexpr BusWatchEntry kSystemBusWatches[] = {
    {"logind", OpenLogind},
};

std::unique_ptr<HoldSource> OpenSessionBusHolds(std::chrono::milliseconds, std::string& whyNot) {
    return OpenBusHolds(BusKind::Session, kSessionBusWatches, whyNot);
}

std::unique_ptr<HoldSource> OpenSystemBusHolds(std::chrono::milliseconds, std::string& whyNot) {
    return OpenBusHolds(BusKind::System, kSystemBusWatches, whyNot);
}

constexpr HoldBackend kHoldBackends[] = {
    {"session-bus", OpenSessionBusHolds},
    {"system-bus", OpenSystemBusHolds},
    {"x11-suspend", OpenX11Suspension},
    {"status", OpenStatusChannel},
};

} // namespace

std::span<const HoldBackend> HoldBackends() { return kHoldBackends; }

} // namespace linesaver::idle
