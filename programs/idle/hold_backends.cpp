// The hold sources: every one that opens is followed. The desktop services
// of one bus share its connection, one watch each.
#include "platform/idle_dbus/bus_holds.h"
#include "platform/idle_dbus/kde_inhibitions.h"
#include "programs/idle/idle_backends.h"

namespace linesaver::idle {
namespace {

constexpr BusWatchEntry kSessionBusWatches[] = {
    {"kde", OpenKdeInhibitions},
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
