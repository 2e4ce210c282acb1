#include "platform/sdl_window.h"

#include "platform/cairo_canvas.h"

#include <SDL.h>
#include <algorithm>
#include <cstring>

namespace linesaver {
namespace {

// The drivers that put a window on a screen someone looks at. Without a
// display SDL falls back to drivers that draw nowhere and would run for
// ever unseen.
bool RealDisplay(const char* driver) {
    return driver && (std::strcmp(driver, "x11") == 0 || std::strcmp(driver, "wayland") == 0);
}

} // namespace

void SdlWindow::WindowDeleter::operator()(SDL_Window* w) const { SDL_DestroyWindow(w); }

SdlWindow::Library::~Library() { SDL_Quit(); }

std::unique_ptr<SdlWindow> SdlWindow::Open(std::string& error) {
    // The window surface as a plain shared-memory image: through the
    // accelerated path it would go via a software GL renderer, at the cost
    // of most of a core on a virtual display.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    // Close signals are watched by the platform itself.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        error = SDL_GetError();
        SDL_Quit();
        return nullptr;
    }
    auto library = std::make_unique<Library>();
    if (const char* driver = SDL_GetCurrentVideoDriver(); !RealDisplay(driver)) {
        error = std::string("no X11 or Wayland display (the video driver is ") + (driver ? driver : "none") + ")";
        return nullptr;
    }
    SDL_DisplayMode mode{};
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0 || mode.w <= 0 || mode.h <= 0) {
        error = SDL_GetError();
        return nullptr;
    }
    // Hidden until its surface exists: taking the surface of a shown window
    // makes it flicker and lose its first input.
    const Uint32 flags =
        SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI;
    std::unique_ptr<SDL_Window, WindowDeleter> window(SDL_CreateWindow(
        "Form1", SDL_WINDOWPOS_UNDEFINED_DISPLAY(0), SDL_WINDOWPOS_UNDEFINED_DISPLAY(0), mode.w, mode.h, flags));
    if (!window) {
        error = SDL_GetError();
        return nullptr;
    }
    SDL_Surface* surface = SDL_GetWindowSurface(window.get());
    if (!surface || surface->w <= 0 || surface->h <= 0) {
        error = SDL_GetError();
        return nullptr;
    }
    std::unique_ptr<SdlWindow> self(new SdlWindow(std::move(library), std::move(window)));
    self->displayW_ = mode.w;
    self->displayH_ = mode.h;
    self->drawableW_ = surface->w;
    self->drawableH_ = surface->h;
    int logicalW = 0;
    int logicalH = 0;
    SDL_GetWindowSize(self->window_.get(), &logicalW, &logicalH);
    self->scale_ = logicalW > 0 ? static_cast<double>(surface->w) / logicalW : 1.0;
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
    return self;
}

SdlWindow::SdlWindow(std::unique_ptr<Library> library, std::unique_ptr<SDL_Window, WindowDeleter> window)
    : library_(std::move(library)), window_(std::move(window)) {}

SdlWindow::~SdlWindow() {
    SDL_ShowCursor(SDL_ENABLE);
    window_.reset();
    library_.reset();
}

void SdlWindow::Show() {
    SDL_ShowWindow(window_.get());
    SDL_RaiseWindow(window_.get());
    SDL_UpdateWindowSurface(window_.get());
}

bool SdlWindow::Copy(const CairoCanvas& canvas, const PixelRect& rect, PixelRect& copied) {
    // The surface is re-made by SDL after a resize; asking again is cheap.
    SDL_Surface* surface = SDL_GetWindowSurface(window_.get());
    const unsigned char* pixels = canvas.Data();
    if (!surface || !pixels) return false;
    const int x0 = std::max(rect.x, 0);
    const int y0 = std::max(rect.y, 0);
    const int x1 = std::min({rect.x + rect.w, canvas.Width(), surface->w});
    const int y1 = std::min({rect.y + rect.h, canvas.Height(), surface->h});
    if (x1 <= x0 || y1 <= y0) return false;
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return false;
    const int bytes = surface->format->BytesPerPixel;
    // Cairo's RGB24 is a native 32-bit 0x00RRGGBB, which is SDL's XRGB8888.
    SDL_ConvertPixels(x1 - x0, y1 - y0, SDL_PIXELFORMAT_XRGB8888, pixels + y0 * canvas.Stride() + x0 * 4,
                      canvas.Stride(), surface->format->format,
                      static_cast<unsigned char*>(surface->pixels) + y0 * surface->pitch + x0 * bytes,
                      surface->pitch);
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    copied = {x0, y0, x1 - x0, y1 - y0};
    return true;
}

void SdlWindow::Present(CairoCanvas& canvas) {
    PixelRect rect;
    bool whole = false;
    if (!canvas.TakeDirty(rect, whole)) return;
    PixelRect copied;
    if (!Copy(canvas, rect, copied)) return;
    if (whole) {
        SDL_UpdateWindowSurface(window_.get());
        return;
    }
    const SDL_Rect changed{copied.x, copied.y, copied.w, copied.h};
    SDL_UpdateWindowSurfaceRects(window_.get(), &changed, 1);
}

void SdlWindow::Repaint(const CairoCanvas& canvas) {
    PixelRect copied;
    if (Copy(canvas, {0, 0, canvas.Width(), canvas.Height()}, copied)) SDL_UpdateWindowSurface(window_.get());
}

void SdlWindow::ShowCursor(bool show) {
    cursorLevel_ += show ? 1 : -1;
    SDL_ShowCursor(cursorLevel_ >= 0 ? SDL_ENABLE : SDL_DISABLE);
}

} // namespace linesaver
