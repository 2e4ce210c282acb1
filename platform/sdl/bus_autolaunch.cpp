#include "platform/sdl/bus_autolaunch.h"

#include <cstdlib>

namespace linesaver {

void PreventBusAutolaunch() {
    // An address of no transport libdbus knows: connecting fails at once,
    // and quietly. An empty address counts as none, as libdbus takes it.
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address == nullptr || *address == '\0') ::setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
}

} // namespace linesaver
