// The desktops of a Linux build, tried in turn: the saver's own Wayland
// desktop on a Wayland session, SDL's X11 one elsewhere and when Wayland
// cannot be had (XWayland then, on a Wayland session that has it).
// SDL_VIDEODRIVER=x11 asks for X11 first, as it asks SDL programs;
// SDL_VIDEODRIVER=wayland for Wayland first.
#include "platform/event_loop/desktop.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/wayland/wayland_platform.h"

#include <cstdlib>
#include <cstring>

namespace linesaver {
namespace {

bool Set(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// Whether the session asks for Wayland first: it has a compositor and does
// not ask SDL programs for X11. A list in SDL_VIDEODRIVER goes by its first
// name.
bool WaylandFirst() {
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (driver && std::strncmp(driver, "x11", 3) == 0 && (driver[3] == '\0' || driver[3] == ',')) return false;
    if (driver && std::strncmp(driver, "wayland", 7) == 0 && (driver[7] == '\0' || driver[7] == ',')) return true;
    return Set("WAYLAND_DISPLAY");
}

} // namespace

std::unique_ptr<Desktop> OpenDesktop(std::string& error) {
    if (!WaylandFirst()) return SdlPlatform::Open(error);
    std::string wayland;
    if (auto desktop = WaylandPlatform::Open(wayland)) return desktop;
    if (!Set("DISPLAY")) {
        error = wayland;
        return nullptr;
    }
    std::string x11;
    if (auto desktop = SdlPlatform::Open(x11)) return desktop;
    error = wayland + "; on X11: " + x11;
    return nullptr;
}

} // namespace linesaver
