// The saver's one window on an X server: SDL's video started on it, a
// borderless black window covering the primary display, its image (one
// sent over a connection of its own, shared memory on a local server, or
// SDL's own where the server's pixels are not the canvas's) and the canvas
// drawn on it; and a plain black window over each other display. Also the cursor, whose
// visibility is a level count: hidden while below zero. SDL hides it over
// every window.
#pragma once

#include "platform/platform.h"
#include "platform/sdl/sdl_blank_windows.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct SDL_Rect;
struct SDL_Surface;
struct SDL_Window;

namespace linesaver {

class PixelCanvas;
class WindowConnection;

class SdlWindow {
public:
    // Starts SDL's video and makes the windows, hidden, the animated one
    // with its image and canvas. Nothing when there is no X server; error
    // says why.
    static std::unique_ptr<SdlWindow> Open(std::string& error);
    // Shows the cursor again, destroys the windows and shuts SDL down.
    ~SdlWindow();
    // Shows the cursor again and takes the windows off the screen, leaving
    // SDL up.
    void Close();
    SdlWindow(const SdlWindow&) = delete;
    SdlWindow& operator=(const SdlWindow&) = delete;

    // The primary display in logical pixels.
    int DisplayWidth() const { return displayW_; }
    int DisplayHeight() const { return displayH_; }

    // What is drawn: the picture sent over the saver's own connection,
    // handed out once the server has read what was last presented; else
    // SDL's image of the window when its pixels are in the canvas's
    // format, so presenting copies nothing; else a canvas of its own,
    // copied to the image as it is presented.
    PixelCanvas& Canvas();

    void Show();
    // Whether the window has been shown and its image reached the screen
    // since.
    bool Visible() const { return visible_; }
    // Brings what changed on the canvas since the last call to the screen;
    // all of it while the window has not been visible yet.
    void Present();
    // Brings the whole canvas to the screen (after an expose): at once
    // through SDL's image, at the next present over the own connection.
    void Repaint();
    // Repaints the window with that id: this one, or another display's
    // black window.
    void Repaint(std::uint32_t windowId) {
        if (!others_.Repaint(windowId)) Repaint();
    }
    // SDL has dropped the image of the window with that id (it does so on
    // every size change it reports, even one to the same size): the next
    // present takes a new one.
    void ImageDropped(std::uint32_t windowId) {
        if (windowId == id_) imageDropped_ = true;
    }
    // What turns a position on the window with that id into one on this
    // window: zero for this one.
    WindowOffset OffsetOf(std::uint32_t windowId) const { return others_.OffsetOf(windowId); }

    // false hides the cursor one level, true shows it one level.
    void ShowCursor(bool show);

    // The animated window itself, for watching its display connection.
    SDL_Window* Handle() const { return window_.get(); }

private:
    struct WindowDeleter {
        void operator()(SDL_Window* w) const;
    };
    struct Library { // SDL's video, shut down when this goes
        ~Library();
    };

    SdlWindow(std::unique_ptr<Library> library, std::unique_ptr<SDL_Window, WindowDeleter> window);
    // Takes the window's (new) image and a canvas for it that keeps what
    // the old canvas held.
    bool TakeImage(std::string& error);
    // SDL has dropped the image or the window's size no longer matches
    // it: SDL makes a new one.
    bool ImageStale() const;
    // A new picture sent over the own connection when the window's size
    // no longer matches it.
    void FollowSize();
    // An image has reached the window: after Show, it is visible.
    void Reached();
    // Copies the rectangles to the image when the canvas has its own
    // pixels, then puts them on the screen. False when SDL could not.
    bool Push(const SDL_Rect* rects, int count);

    std::unique_ptr<Library> library_; // outlives the window
    std::unique_ptr<SDL_Window, WindowDeleter> window_;
    SdlBlankWindows others_;                // the other displays' windows
    SDL_Surface* image_ = nullptr;          // owned by the window
    std::unique_ptr<WindowConnection> x11_; // instead of image_ and canvas_
    std::unique_ptr<PixelCanvas> canvas_;
    bool onImage_ = false;      // the canvas draws on the image itself
    bool showWhole_ = false;    // the next present shows all of it
    bool imageDropped_ = false; // SDL wants the image taken again
    bool exposed_ = false;      // SDL has reported the window shown or exposed
    bool shown_ = false;        // SDL has been asked to show the window
    bool visible_ = false;      // and an image has reached the screen since
    std::uint32_t id_ = 0;
    std::vector<SDL_Rect> rects_; // room for the most a present can need
    int displayW_ = 0;
    int displayH_ = 0;
    double scale_ = 1; // device pixels per logical pixel
    int cursorLevel_ = 0;
};

} // namespace linesaver
