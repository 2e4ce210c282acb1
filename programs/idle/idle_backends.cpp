// The backend list: the first source that opens is used. Wayland's come
// first (they open only where WAYLAND_DISPLAY is set), then Mutter's idle
// monitor (GNOME, on Wayland and on X11), then the X server's own.
#include "programs/idle/idle_backends.h"

#include "platform/idle_dbus/mutter_idle.h"
#include "platform/idle_wayland/wayland_idle.h"
#include "platform/idle_x11/x11_idle_source.h"

namespace linesaver::idle {
namespace {

constexpr IdleBackend kBackends[] = {
    kExtIdleBackend,
    kKdeIdleBackend,
    {"mutter", OpenMutterIdle},
    {"x11", OpenX11IdleSource},
};

} // namespace

std::span<const IdleBackend> IdleBackends() { return kBackends; }

} // namespace linesaver::idle
