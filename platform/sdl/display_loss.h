// What happens when the display server goes away under the saver. Xlib
// would print its own message and end the process from deep inside a call;
// with the watch in place it calls `lost` instead, which must not return.
// A broken Wayland connection only makes SDL post a quit event, which the
// platform tells from a close request by asking Broken().
#pragma once

struct SDL_Window;
struct wl_display;

namespace linesaver {

class DisplayLossWatch {
public:
    using Lost = void (*)(void* context);
    // Watches the X connection that `window` lives on; nothing happens on
    // other video drivers. `lost(context)` runs when the connection breaks.
    DisplayLossWatch(SDL_Window* window, Lost lost, void* context);

    // Whether the Wayland connection that `window` lives on has failed.
    bool Broken() const;

private:
    static void OnIoError(void* display, void* self);
    Lost lost_;
    void* context_;
    wl_display* wayland_ = nullptr;
};

} // namespace linesaver
