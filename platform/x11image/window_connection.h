// A picture for a window some other part of the program watches (SDL's
// window, the hack's), sent over a connection of its own to the window's
// display, so that the answers to presenting never wake the connection
// that waits for the window's events.
#pragma once

#include "platform/x11image/window_image.h"

#include <memory>
#include <string>

namespace linesaver {

class WindowConnection {
public:
    // Connects to the display (X's name for it, ":0"; null for $DISPLAY)
    // and makes a black picture of the window's size. Nothing when the
    // display cannot be reached or the window's pixels are not the
    // canvas's; error says why. directColour as for DescribeWindow.
    // ownsWindow: the window is the program's own, and its background is
    // made black, so that repaints send only what is not black.
    struct Options {
        bool directColour = false;
        bool ownsWindow = false;
    };
    static std::unique_ptr<WindowConnection> Open(const char* displayName, std::uint32_t window, double pixelsPerTwip,
                                                  Options options, std::string& error);
    ~WindowConnection();
    WindowConnection(const WindowConnection&) = delete;
    WindowConnection& operator=(const WindowConnection&) = delete;

    WindowImage& Image() { return *image_; }
    // A picture of the window's new size, black or holding what the old
    // one held. On failure the old one stays.
    bool Resize(int width, int height, bool keepPicture, std::string& error);
    // Sends what changed; the server's complaints (a window gone while
    // the program ends) are dropped unread.
    void Present();

private:
    WindowConnection() = default;

    xcb_connection_t* connection_ = nullptr;
    X11Window window_;
    double pixelsPerTwip_ = 1;
    bool blackBackground_ = false;
    std::unique_ptr<WindowImage> image_;
};

} // namespace linesaver
