// What happens when the X server goes away under the saver. Xlib would
// print its own message and end the process from deep inside a call; with
// the watch in place it calls `lost` instead, which must not return.
#pragma once

struct SDL_Window;

namespace linesaver {

class DisplayLossWatch {
public:
    using Lost = void (*)(void* context);
    // Watches the X connection that `window` lives on. `lost(context)`
    // runs when the connection breaks.
    DisplayLossWatch(SDL_Window* window, Lost lost, void* context);

private:
    static void OnIoError(void* display, void* self);
    Lost lost_;
    void* context_;
};

} // namespace linesaver
