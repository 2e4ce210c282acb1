#include "platform/sdl/display_loss.h"

#include <SDL.h>
#include <SDL_syswm.h>

namespace linesaver {
namespace {

// Xlib's own report of a broken connection is replaced by the saver's.
int QuietIoError(Display*) { return 0; }

} // namespace

DisplayLossWatch::DisplayLossWatch(SDL_Window* window, Lost lost, void* context) : lost_(lost), context_(context) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info)) return;
    if (info.subsystem != SDL_SYSWM_X11) return;
    XSetIOErrorHandler(QuietIoError);
    XSetIOErrorExitHandler(
        info.info.x11.display, [](Display* d, void* self) { OnIoError(d, self); }, this);
}

void DisplayLossWatch::OnIoError(void*, void* self) {
    auto* watch = static_cast<DisplayLossWatch*>(self);
    watch->lost_(watch->context_);
}

} // namespace linesaver
