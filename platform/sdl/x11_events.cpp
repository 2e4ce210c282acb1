#include "platform/sdl/x11_events.h"

#include <cerrno>
#include <cstdlib>
#include <poll.h>
#include <SDL.h>
#include <SDL_syswm.h>

namespace linesaver {

std::unique_ptr<X11Events> X11Events::Of(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return nullptr;
    return std::unique_ptr<X11Events>(new X11Events(info.info.x11.display));
}

X11Events::X11Events(_XDisplay* display) : display_(display), socket_(ConnectionNumber(display)) {}

bool X11Events::Queued() const { return XEventsQueued(display_, QueuedAlready) > 0; }

bool X11Events::Pending() const {
    if (Queued()) return true;
    pollfd socket{socket_, POLLIN, 0};
    int ready;
    while ((ready = ::poll(&socket, 1, 0)) < 0 && errno == EINTR) {}
    return ready != 0; // an error too: SDL's read then finds the connection broken
}

void X11Events::Flush() {
    if (XNextRequest(display_) == flushedBefore_) return;
    XFlush(display_);
    flushedBefore_ = XNextRequest(display_);
}

bool X11Events::OnXWayland() const {
    // A session of a Wayland compositor names it; XWayland from 23.1 on
    // also says so itself.
    if (const char* wayland = std::getenv("WAYLAND_DISPLAY"); wayland && *wayland) return true;
    int opcode = 0;
    int firstEvent = 0;
    int firstError = 0;
    return XQueryExtension(display_, "XWAYLAND", &opcode, &firstEvent, &firstError) != 0;
}

} // namespace linesaver
