// SDL's connection to an X server, watched without reading it: SDL reads
// the display whenever it is asked to pump events, even when nothing has
// come, so the platform asks only when something can be there.
#pragma once

#include <memory>

struct SDL_Window;
struct _XDisplay;

namespace linesaver {

class X11Events {
public:
    // The connection `window` lives on; nothing on other video drivers.
    static std::unique_ptr<X11Events> Of(SDL_Window* window);

    // The connection's socket, to wait on.
    int Socket() const { return socket_; }
    // Whether events have already been read in and wait in Xlib's queue.
    bool Queued() const;
    // Whether the socket has something to read, or events are queued.
    bool Pending() const;
    // Sends what SDL has asked of the server but not yet sent, before the
    // program goes to sleep. Xlib reads the socket as it flushes, so it is
    // asked to only when there have been requests since the last time.
    void Flush();
    // Whether the server is XWayland. It learns where the pointer is only
    // when the compositor moves it over one of its windows, and until then
    // reports a position of its own, the middle of the screen at first.
    bool OnXWayland() const;

private:
    explicit X11Events(_XDisplay* display);
    _XDisplay* display_;
    int socket_;
    unsigned long flushedBefore_ = 0; // the first request not known to be sent
};

} // namespace linesaver
