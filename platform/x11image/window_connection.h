// A picture for a window some other part of the program made and watches
// (SDL's), sent over a connection of its own to the window's display, so
// that presenting is never held up by, and never holds up, the other
// connection's events.
#pragma once

#include "platform/x11image/window_image.h"

#include <memory>
#include <string>

namespace linesaver {

class WindowConnection {
public:
    // Connects to the display (X's name for it, ":0") and makes a black
    // picture of the window's size. The window's colour map, if it has
    // one, leaves every channel as it is. Nothing when the display cannot be
    // reached or the window's pixels are not the canvas's; error says why.
    static std::unique_ptr<WindowConnection> Open(const char* displayName, std::uint32_t window,
                                                  double pixelsPerTwip, std::string& error);
    ~WindowConnection();
    WindowConnection(const WindowConnection&) = delete;
    WindowConnection& operator=(const WindowConnection&) = delete;

    WindowImage& Image() { return *image_; }
    // A picture of the window's new size that keeps what the old one held.
    bool Resize(int width, int height, std::string& error);
    // Sends what changed; the server's complaints (a window gone while
    // the program ends) are dropped unread.
    void Present();

private:
    WindowConnection() = default;

    xcb_connection_t* connection_ = nullptr;
    X11Window window_;
    double pixelsPerTwip_ = 1;
    std::unique_ptr<WindowImage> image_;
};

} // namespace linesaver
