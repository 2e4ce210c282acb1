// A window's picture on an X server, drawn on a pixel canvas and sent over
// an XCB connection: from a shared-memory image the server reads directly,
// or, when the server cannot share memory with this process, as plain
// images over the connection.
//
// Presenting never waits for the server. Each present of the shared image
// ends with a small request whose answer says the server has read it; the
// answer is collected only when the canvas is next drawn on (a tick later,
// long since there), so the canvas is never written while the server may
// still be reading it, and the process is woken once a frame, by its timer.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

struct xcb_connection_t;

namespace linesaver {

class PixelCanvas;
struct PixelRect;

// The window, and whether its pixels can be the canvas's own: 24-bit true
// colour kept in 32 bits as 0x00RRGGBB in the machine's byte order.
struct X11Window {
    std::uint32_t id = 0;
    std::uint8_t depth = 0;
    int width = 0;
    int height = 0;
};

// The window's depth and size, when its pixels take the canvas's as they
// are; error says why not. directColour accepts a direct-colour visual
// too, for a window whose maker has given it a colour map that leaves
// every channel as it is (SDL does).
bool DescribeWindow(xcb_connection_t* connection, std::uint32_t window, X11Window& described, std::string& error,
                    bool directColour = false);

class WindowImage {
public:
    // A black picture of width x height pixels for the window on the
    // connection, which outlives it. Nothing when no memory is to be had;
    // error then says why. blackBackground: the server paints every
    // exposed part of the window black, so a repaint sends only what is
    // not black.
    static std::unique_ptr<WindowImage> Make(xcb_connection_t* connection, const X11Window& window, int width,
                                             int height, double pixelsPerTwip, bool blackBackground,
                                             std::string& error);
    ~WindowImage();
    WindowImage(const WindowImage&) = delete;
    WindowImage& operator=(const WindowImage&) = delete;

    bool Shared() const { return segment_ != 0; }
    int Width() const;
    int Height() const;
    // For reading. Drawing goes through ForDrawing.
    const PixelCanvas& Canvas() const { return *canvas_; }
    // The canvas, once the server has read what was last sent from it.
    PixelCanvas& ForDrawing();

    // Sends what changed on the canvas since the last present, without
    // waiting for the server.
    void Present();
    // Sends all of it (all that is not black, on a black background).
    void Repaint();

    // What has been sent so far, for measurements.
    struct Traffic {
        long long rects = 0;
        long long pixels = 0;
    };
    const Traffic& Sent() const { return sent_; }

private:
    WindowImage(xcb_connection_t* connection, const X11Window& window);
    bool Share(int width, int height);
    void Send(std::span<const PixelRect> rects);
    void SendOverConnection(const PixelRect& r);

    xcb_connection_t* connection_;
    X11Window window_;
    std::uint32_t gc_ = 0;
    std::uint32_t segment_ = 0;       // the server's name for the shared image
    unsigned char* shared_ = nullptr; // its pixels here
    unsigned int readSequence_ = 0;   // the request whose answer says the server has read them
    bool reading_ = false;            // that answer is still to be collected
    bool blackBackground_ = false;
    std::unique_ptr<PixelCanvas> canvas_;
    std::vector<unsigned char> band_; // rows on their way, without shared memory
    std::size_t largestRequest_ = 0;  // bytes
    Traffic sent_;
};

} // namespace linesaver
