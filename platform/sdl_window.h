// The saver's one window: SDL's video started on a real display, a
// borderless black full-screen window on the primary display, and the
// window surface that the canvas is copied to. Also the cursor, whose
// visibility is a level count: hidden while below zero.
#pragma once

#include <memory>
#include <string>

struct SDL_Window;

namespace linesaver {

class CairoCanvas;
struct PixelRect;

// Twips per logical pixel on an ordinary display.
inline constexpr double kTwipsPerPixel = 15;

class SdlWindow {
public:
    // Starts SDL's video and makes the window, hidden, with its surface
    // taken. Nothing when there is no real display; error says why.
    static std::unique_ptr<SdlWindow> Open(std::string& error);
    // Shows the cursor again, destroys the window and shuts SDL down.
    ~SdlWindow();
    SdlWindow(const SdlWindow&) = delete;
    SdlWindow& operator=(const SdlWindow&) = delete;

    // The primary display in logical pixels.
    int DisplayWidth() const { return displayW_; }
    int DisplayHeight() const { return displayH_; }
    // The window surface in device pixels (more than logical on HiDPI).
    int DrawableWidth() const { return drawableW_; }
    int DrawableHeight() const { return drawableH_; }
    // Device pixels per logical pixel.
    double PixelScale() const { return scale_; }

    void Show();
    // Brings what changed on the canvas since the last call to the screen.
    void Present(CairoCanvas& canvas);
    // Brings the whole canvas to the screen (after an expose).
    void Repaint(const CairoCanvas& canvas);

    // false hides the cursor one level, true shows it one level.
    void ShowCursor(bool show);

private:
    struct WindowDeleter {
        void operator()(SDL_Window* w) const;
    };
    struct Library { // SDL's video, shut down when this goes
        ~Library();
    };

    SdlWindow(std::unique_ptr<Library> library, std::unique_ptr<SDL_Window, WindowDeleter> window);
    // Copies rect of the canvas to the window surface; copied is the part
    // that both hold.
    bool Copy(const CairoCanvas& canvas, const PixelRect& rect, PixelRect& copied);

    std::unique_ptr<Library> library_; // outlives the window
    std::unique_ptr<SDL_Window, WindowDeleter> window_;
    int displayW_ = 0;
    int displayH_ = 0;
    int drawableW_ = 0;
    int drawableH_ = 0;
    double scale_ = 1;
    int cursorLevel_ = 0;
};

} // namespace linesaver
