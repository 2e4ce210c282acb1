// The window the hack draws in, over its own connection to the X server:
// the root window, a window someone else made (the daemon's, the settings
// dialog's preview pane), or one of its own, and its picture. The hack never
// asks for input: it watches only the window's size, exposure and end.
#pragma once

#include "platform/x11hack/hack_options.h"
#include "platform/x11image/window_connection.h"

#include <cstdint>
#include <memory>
#include <string>

struct xcb_connection_t;

namespace linesaver {

class PixelCanvas;

// What the server has said since the last look.
struct WindowNews {
    bool resized = false;        // the window has another size
    bool exposed = false;        // part of it must be drawn again
    bool gone = false;           // the window was destroyed
    bool closeRequested = false; // its close button (a window of its own)
};

class HackWindow {
public:
    // Connects and takes the window; nothing when there is no display, the
    // id names no window, or its pixels are not 24-bit true colour. error
    // then holds the one line to print.
    static std::unique_ptr<HackWindow> Open(const HackOptions& options, std::string& error);
    ~HackWindow();
    HackWindow(const HackWindow&) = delete;
    HackWindow& operator=(const HackWindow&) = delete;

    // The connection's socket, to wait on.
    int Socket() const;
    // The connection broke: the server has gone.
    bool Lost() const;
    // Adds what the server has sent: read from the socket, or only what
    // earlier replies already brought in.
    void Read(WindowNews& news, bool fromSocket);

    int Width() const { return picture_->Image().Width(); }
    int Height() const { return picture_->Image().Height(); }
    // The picture to draw on, once the server has read what was sent.
    PixelCanvas& Canvas() { return picture_->Image().ForDrawing(); }

    // A black picture of the window's present size, the animation to
    // start again on it.
    bool Remake(std::string& error);
    // Sends what changed on the canvas since the last call.
    void Present() { picture_->Present(); }
    // Sends all of it.
    void Repaint() { picture_->Image().Repaint(); }

private:
    HackWindow() = default;
    bool Take(const HackOptions& options, std::string& error);

    xcb_connection_t* connection_ = nullptr;
    std::uint32_t window_ = 0;
    std::uint32_t deleteAtom_ = 0; // WM_DELETE_WINDOW, for a window of its own
    bool ownWindow_ = false;
    int pendingWidth_ = 0;
    int pendingHeight_ = 0;
    // The picture goes over a connection of its own, whose answers do not
    // wake the loop waiting on this one.
    std::unique_ptr<WindowConnection> picture_;
};

} // namespace linesaver
