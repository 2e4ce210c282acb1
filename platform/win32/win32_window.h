// The saver's windows on Windows: "Form1", a borderless topmost window
// covering the primary monitor exactly, drawn on a pixel canvas over a
// 32-bit DIB section, and a plain black window over each other monitor.
// The process is per-monitor DPI aware, so the canvas has the monitor's
// real pixels; a twip stays a fifteenth of a logical (96 dpi) pixel.
//
// The windows' messages end up here; input is handed on to WindowInput,
// drawing and the cursor are handled here. Nothing thrown crosses the
// window procedure.
#pragma once

#include "platform/platform.h"
#include "platform/raster/dirty_tiles.h"

#include <memory>
#include <string>
#include <vector>

struct HWND__;
struct HDC__;
struct HBITMAP__;

namespace linesaver {

class PixelCanvas;

// What the windows report, on the thread that made them.
class WindowInput {
public:
    virtual ~WindowInput() = default;
    // The pointer is at (x, y) twips in the animated window.
    virtual void PointerMoved(double x, double y) = 0;
    virtual void ButtonPressed() = 0;
    virtual void KeyPressed() = 0;
    // The window is asked to close, or the session ends.
    virtual void CloseRequested() = 0;
};

class Win32Window {
public:
    // Makes the windows, hidden, and the canvas; input goes to input,
    // which outlives the windows. Nothing when they cannot be made; error
    // says why.
    static std::unique_ptr<Win32Window> Open(WindowInput& input, std::string& error);
    ~Win32Window();
    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;

    // The primary monitor in logical pixels.
    double LogicalWidth() const { return widthPx_ / scale_; }
    double LogicalHeight() const { return heightPx_ / scale_; }

    PixelCanvas& Canvas() { return *canvas_; }

    // The others first, the animated window last, so it takes the focus.
    void Show();
    // Brings what changed on the canvas since the last call to the screen.
    void Present();
    // false hides the cursor one level, true shows it one level (the
    // system's own count).
    void ShowCursor(bool show);
    // The cursor shown again; nothing more is drawn or handled. The windows
    // go with the process: hiding or destroying them can wait seconds for
    // a window manager.
    void Close();

private:
    struct WindowDeleter {
        void operator()(HWND__* w) const;
    };
    struct DcDeleter {
        void operator()(HDC__* dc) const;
    };
    struct BitmapDeleter {
        void operator()(HBITMAP__* b) const;
    };
    using WindowHandle = std::unique_ptr<HWND__, WindowDeleter>;

    explicit Win32Window(WindowInput& input) : input_(input) {}
    bool Make(std::string& error);
    bool MakeCanvas(std::string& error);
    void MakeBlankWindows(const PixelRect& primary);
    // The window procedure's work for one message; false to leave it to
    // the system's default.
    bool Handle(HWND__* window, unsigned message, unsigned long long wParam, long long lParam, long long& result);
    void Paint(HWND__* window);
    static long long __stdcall Procedure(HWND__* window, unsigned message, unsigned long long wParam, long long lParam);

    WindowInput& input_;
    WindowHandle window_;
    std::vector<WindowHandle> blanks_;         // the other monitors'
    std::unique_ptr<HDC__, DcDeleter> memory_; // holds the DIB section
    std::unique_ptr<HBITMAP__, BitmapDeleter> bitmap_;
    void* oldBitmap_ = nullptr; // what the memory DC held before
    HDC__* windowDc_ = nullptr; // the window's own (class CS_OWNDC)
    std::unique_ptr<PixelCanvas> canvas_;
    int widthPx_ = 0;
    int heightPx_ = 0;
    double scale_ = 1; // device pixels per logical pixel
    int cursorLevel_ = 0;
    bool closed_ = false;
};

} // namespace linesaver
