#include "platform/win32/win32_window.h"

#include "platform/raster/pixel_canvas.h"

#include <windows.h>

#include <algorithm>

namespace linesaver {
namespace {

constexpr wchar_t kTitle[] = L"Form1";
constexpr wchar_t kBlankClass[] = L"linesaver.blank";

PixelRect RectOf(const RECT& r) { return {r.left, r.top, r.right - r.left, r.bottom - r.top}; }

bool Overlap(const PixelRect& a, const PixelRect& b) {
    return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT rect, LPARAM list) {
    reinterpret_cast<std::vector<PixelRect>*>(list)->push_back(RectOf(*rect));
    return TRUE;
}

bool RegisterWindowClass(const wchar_t* name, WNDPROC procedure) {
    WNDCLASSEXW c{};
    c.cbSize = sizeof c;
    c.style = CS_OWNDC;
    c.lpfnWndProc = procedure;
    c.hInstance = ::GetModuleHandleW(nullptr);
    c.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
    c.lpszClassName = name;
    // No class cursor: the window sets its own as the pointer enters.
    return ::RegisterClassExW(&c) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND MakeCover(const wchar_t* className, const PixelRect& r, void* self) {
    return ::CreateWindowExW(WS_EX_TOPMOST, className, kTitle, WS_POPUP, r.x, r.y, r.w, r.h, nullptr, nullptr,
                             ::GetModuleHandleW(nullptr), self);
}

} // namespace

void Win32Window::WindowDeleter::operator()(HWND__* w) const { ::DestroyWindow(w); }
void Win32Window::DcDeleter::operator()(HDC__* dc) const { ::DeleteDC(dc); }
void Win32Window::BitmapDeleter::operator()(HBITMAP__* b) const { ::DeleteObject(b); }

std::unique_ptr<Win32Window> Win32Window::Open(WindowInput& input, std::string& error) {
    // Real pixels on every monitor, whatever its scale. The saver's manifest
    // has said so before any window existed, and this call then changes
    // nothing; it is for programs without it, the backend's tests.
    ::SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    std::unique_ptr<Win32Window> self(new Win32Window(input));
    if (!self->Make(error)) return nullptr;
    return self;
}

Win32Window::~Win32Window() {
    Close();
    canvas_.reset();
    if (memory_ && oldBitmap_) ::SelectObject(memory_.get(), oldBitmap_);
}

bool Win32Window::Make(std::string& error) {
    if (!RegisterWindowClass(kTitle, &Procedure) || !RegisterWindowClass(kBlankClass, &Procedure)) {
        error = "cannot register the window class";
        return false;
    }
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!::GetMonitorInfoW(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info)) {
        error = "cannot find the primary monitor";
        return false;
    }
    const PixelRect primary = RectOf(info.rcMonitor);
    window_.reset(MakeCover(kTitle, primary, this));
    if (!window_) {
        error = "cannot make the window";
        return false;
    }
    widthPx_ = primary.w;
    heightPx_ = primary.h;
    const UINT dpi = ::GetDpiForWindow(window_.get());
    scale_ = dpi > 0 ? dpi / 96.0 : 1.0;
    windowDc_ = ::GetDC(window_.get());
    if (!MakeCanvas(error)) return false;
    MakeBlankWindows(primary);
    return true;
}

bool Win32Window::MakeCanvas(std::string& error) {
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    format.bmiHeader.biWidth = widthPx_;
    format.bmiHeader.biHeight = -heightPx_; // top row first
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32; // 0x00RRGGBB, as the canvas draws
    format.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    bitmap_.reset(::CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &pixels, nullptr, 0));
    memory_.reset(::CreateCompatibleDC(nullptr));
    if (!bitmap_ || !pixels || !memory_ || !windowDc_) {
        error = "cannot make a drawing canvas of the screen's size";
        return false;
    }
    oldBitmap_ = ::SelectObject(memory_.get(), bitmap_.get());
    canvas_ = std::make_unique<PixelCanvas>(static_cast<unsigned char*>(pixels), widthPx_ * 4, widthPx_, heightPx_,
                                            scale_ / kTwipsPerPixel, scale_);
    if (!canvas_->Ok()) {
        error = "cannot make a drawing canvas of the screen's size";
        return false;
    }
    return true;
}

// Every monitor but the primary, except one that shows part of the primary
// (a mirrored one) or of a monitor already covered.
void Win32Window::MakeBlankWindows(const PixelRect& primary) {
    std::vector<PixelRect> monitors;
    ::EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    std::vector<PixelRect> covered{primary};
    for (const PixelRect& m : monitors) {
        if (std::any_of(covered.begin(), covered.end(), [&](const PixelRect& c) { return Overlap(c, m); })) continue;
        if (WindowHandle blank{MakeCover(kBlankClass, m, this)}) {
            blanks_.push_back(std::move(blank));
            covered.push_back(m);
        }
    }
}

void Win32Window::Show() {
    for (const auto& blank : blanks_) ::ShowWindow(blank.get(), SW_SHOWNA);
    ::ShowWindow(window_.get(), SW_SHOW);
    ::SetForegroundWindow(window_.get());
    ::SetActiveWindow(window_.get());
    ::SetFocus(window_.get());
    ::UpdateWindow(window_.get());
}

void Win32Window::Present() {
    if (closed_) return;
    bool any = false;
    for (const PixelRect& r : canvas_->TakeDirty()) {
        ::BitBlt(windowDc_, r.x, r.y, r.w, r.h, memory_.get(), r.x, r.y, SRCCOPY);
        any = true;
    }
    // The canvas draws on the DIB's pixels next: GDI must be done with them.
    if (any) ::GdiFlush();
}

void Win32Window::Paint(HWND__* window) {
    PAINTSTRUCT paint{};
    HDC dc = ::BeginPaint(window, &paint);
    const RECT& r = paint.rcPaint;
    if (window == window_.get())
        ::BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, memory_.get(), r.left, r.top, SRCCOPY);
    else
        ::FillRect(dc, &r, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    ::EndPaint(window, &paint);
    ::GdiFlush();
}

void Win32Window::ShowCursor(bool show) {
    cursorLevel_ += show ? 1 : -1;
    ::ShowCursor(show ? TRUE : FALSE);
    ::SetCursor(cursorLevel_ >= 0 ? ::LoadCursorW(nullptr, IDC_ARROW) : nullptr);
}

void Win32Window::Close() {
    if (closed_) return;
    closed_ = true;
    while (cursorLevel_ < 0) ShowCursor(true);
}

bool Win32Window::Handle(HWND__* window, unsigned message, unsigned long long wParam, long long lParam,
                         long long& result) {
    result = 0;
    switch (message) {
    case WM_PAINT:
        Paint(window);
        return true;
    case WM_ERASEBKGND:
        if (window != window_.get()) return false; // the class's black brush
        result = 1;                                // painting covers it all
        return true;
    case WM_SETCURSOR:
        if (LOWORD(lParam) != HTCLIENT) return false;
        ::SetCursor(cursorLevel_ >= 0 ? ::LoadCursorW(nullptr, IDC_ARROW) : nullptr);
        result = TRUE;
        return true;
    case WM_MOUSEMOVE: {
        // Where the pointer is on the animated window, so that a step from
        // one monitor to the next is its true length.
        POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (window != window_.get()) ::MapWindowPoints(window, window_.get(), &at, 1);
        input_.PointerMoved(at.x / scale_ * kTwipsPerPixel, at.y / scale_ * kTwipsPerPixel);
        return true;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
        input_.ButtonPressed();
        return true;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: // Alt, F10 and Alt with a key
        input_.KeyPressed();
        return true;
    case WM_CLOSE:
        input_.CloseRequested();
        return true;
    case WM_QUERYENDSESSION: // logging off or shutting down: leave now
        input_.CloseRequested();
        result = TRUE;
        return true;
    case WM_ENDSESSION:
        if (wParam) input_.CloseRequested();
        return true;
    default:
        return false;
    }
}

long long __stdcall Win32Window::Procedure(HWND__* window, unsigned message, unsigned long long wParam,
                                           long long lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32Window*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    long long result = 0;
    try {
        if (self && !self->closed_ && self->Handle(window, message, wParam, lParam, result)) return result;
    } catch (...) {
        // The input's handlers catch their own errors; nothing may cross
        // into the system's code all the same.
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

} // namespace linesaver
