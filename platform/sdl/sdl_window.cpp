#include "platform/sdl/sdl_window.h"

#include "platform/raster/pixel_canvas.h"
#include "platform/sdl/x11_full_screen.h"
#include "platform/x11image/window_connection.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <SDL.h>
#include <SDL_syswm.h>

namespace linesaver {
namespace {

// How the window covers the display: a borderless window of the display's
// size that asks the window manager for full screen when it is mapped
// (AskX11FullScreen). SDL's own full-screen mode waits 100 ms for the
// window manager both when the window is shown and when it goes.
constexpr Uint32 kCoverFlags = SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI |
                               SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_SKIP_TASKBAR;

} // namespace

void SdlWindow::WindowDeleter::operator()(SDL_Window* w) const { SDL_DestroyWindow(w); }

SdlWindow::Library::~Library() { SDL_Quit(); }

std::unique_ptr<SdlWindow> SdlWindow::Open(std::string& error) {
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    // A click on a window that had not the focus (another display's, say)
    // ends the saver too: by default SDL drops a click that came with the
    // focus.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    // Close signals are watched by the platform itself.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // The desktop's idle timers keep running while the saver shows: SDL
    // would otherwise hold the system's screen saver off, and with it the
    // monitors' power saving and the idle locker, whatever the environment
    // asks of SDL for games.
    SDL_SetHintWithPriority(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1", SDL_HINT_OVERRIDE);
    // SDL's video is the X server's alone: a Wayland compositor gets the
    // saver's own desktop. Without a display SDL would fall back to drivers
    // that draw nowhere and run for ever unseen.
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "x11", SDL_HINT_OVERRIDE);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        error = SDL_GetError();
        SDL_Quit();
        return nullptr;
    }
    auto library = std::make_unique<Library>();
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || std::strcmp(driver, "x11") != 0) {
        error = std::string("no X11 display (the video driver is ") + (driver ? driver : "none") + ")";
        return nullptr;
    }
    // Where SDL has to give the window its image (a display whose pixels
    // are not the canvas's), a plain shared-memory one: through the
    // accelerated path it would go via a software GL renderer, at the cost
    // of most of a core on a virtual display.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    SDL_Rect bounds{};
    if (SDL_GetDisplayBounds(0, &bounds) != 0 || bounds.w <= 0 || bounds.h <= 0) {
        error = SDL_GetError();
        return nullptr;
    }
    // Hidden until its image exists: taking the image of a shown window
    // makes it flicker and lose its first input.
    std::unique_ptr<SDL_Window, WindowDeleter> window(
        SDL_CreateWindow("Form1", bounds.x, bounds.y, bounds.w, bounds.h, kCoverFlags));
    if (!window) {
        error = SDL_GetError();
        return nullptr;
    }
    AskX11FullScreen(window.get());
    std::unique_ptr<SdlWindow> self(new SdlWindow(std::move(library), std::move(window)));
    self->displayW_ = bounds.w;
    self->displayH_ = bounds.h;
    // On X11 the picture goes to the window over a connection of the
    // saver's own, where presenting does not wait for the server; SDL's
    // image waits for the server after every present. SDL gives a window
    // of a direct-colour visual a colour map that leaves every channel as
    // it is.
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(self->window_.get(), &info) && info.subsystem == SDL_SYSWM_X11) {
        // The window is made on the server before another connection
        // looks for it.
        XSync(info.info.x11.display, False);
        std::string unused;
        self->x11_ = WindowConnection::Open(XDisplayString(info.info.x11.display),
                                            static_cast<std::uint32_t>(info.info.x11.window), 1.0 / kTwipsPerPixel,
                                            {.directColour = true, .ownsWindow = true}, unused);
    }
    if (!self->x11_ && !self->TakeImage(error)) return nullptr;
    self->others_ = SdlBlankWindows::Open({bounds.x, bounds.y, bounds.w, bounds.h}, kCoverFlags);
    return self;
}

SdlWindow::SdlWindow(std::unique_ptr<Library> library, std::unique_ptr<SDL_Window, WindowDeleter> window)
    : library_(std::move(library)), window_(std::move(window)), id_(SDL_GetWindowID(window_.get())) {}

SdlWindow::~SdlWindow() {
    Close();
    others_ = SdlBlankWindows();
    window_.reset();
    library_.reset();
}

void SdlWindow::Close() {
    canvas_.reset(); // it may draw on the window's image
    x11_.reset();
    SDL_ShowCursor(SDL_ENABLE);
    others_.Close();
    window_.reset();
}

bool SdlWindow::TakeImage(std::string& error) {
    // The old image goes when SDL makes the new one: what the canvas holds
    // is kept aside first.
    std::unique_ptr<PixelCanvas> kept;
    if (canvas_ && onImage_) {
        kept = std::make_unique<PixelCanvas>(canvas_->Width(), canvas_->Height(), 1.0);
        kept->CopyFrom(*canvas_);
        canvas_.reset();
    } else {
        kept = std::move(canvas_);
    }
    image_ = SDL_GetWindowSurface(window_.get());
    onImage_ = false;
    imageDropped_ = false;
    if (!image_ || image_->w <= 0 || image_->h <= 0) {
        image_ = nullptr;
        canvas_ = std::move(kept);
        error = *SDL_GetError() ? SDL_GetError() : "the window has no image to draw on";
        return false;
    }
    int logicalW = 0;
    int logicalH = 0;
    SDL_GetWindowSize(window_.get(), &logicalW, &logicalH);
    scale_ = logicalW > 0 ? static_cast<double>(image_->w) / logicalW : 1.0;
    const double pixelsPerTwip = scale_ / kTwipsPerPixel;
    // The canvas's native 32-bit 0x00RRGGBB is SDL's XRGB8888.
    onImage_ = image_->format->format == SDL_PIXELFORMAT_XRGB8888 && image_->pitch % 4 == 0 && !SDL_MUSTLOCK(image_);
    if (onImage_)
        canvas_ = std::make_unique<PixelCanvas>(static_cast<unsigned char*>(image_->pixels), image_->pitch, image_->w,
                                                image_->h, pixelsPerTwip, scale_);
    else
        canvas_ = std::make_unique<PixelCanvas>(image_->w, image_->h, pixelsPerTwip, scale_);
    if (!canvas_->Ok()) {
        error = "cannot make a drawing canvas of the screen's size";
        return false;
    }
    if (!onImage_) SDL_FillRect(image_, nullptr, SDL_MapRGB(image_->format, 0, 0, 0));
    if (kept) canvas_->CopyFrom(*kept);
    rects_.resize(static_cast<std::size_t>(DirtyTiles::MostRects(image_->w, image_->h)));
    showWhole_ = true;
    return true;
}

PixelCanvas& SdlWindow::Canvas() { return x11_ ? x11_->Image().ForDrawing() : *canvas_; }

void SdlWindow::FollowSize() {
    imageDropped_ = false;
    int w = 0;
    int h = 0;
    SDL_GetWindowSizeInPixels(window_.get(), &w, &h);
    std::string unused; // on failure the old picture goes on, clipped or short
    if (w > 0 && h > 0 && (w != x11_->Image().Width() || h != x11_->Image().Height()))
        x11_->Resize(w, h, /*keepPicture=*/true, unused);
}

void SdlWindow::Reached() { visible_ = visible_ || shown_; }

bool SdlWindow::ImageStale() const {
    if (imageDropped_) return true;
    int w = 0;
    int h = 0;
    SDL_GetWindowSizeInPixels(window_.get(), &w, &h);
    return image_ && (w != image_->w || h != image_->h);
}

void SdlWindow::Show() {
    // The animated window last, so that it takes the focus.
    others_.Show();
    SDL_ShowWindow(window_.get());
    SDL_RaiseWindow(window_.get());
    shown_ = true;
    showWhole_ = true;
}

bool SdlWindow::Push(const SDL_Rect* rects, int count) {
    if (!image_ || count <= 0) return false;
    if (!onImage_) {
        if (SDL_MUSTLOCK(image_) && SDL_LockSurface(image_) != 0) return false;
        const int bytes = image_->format->BytesPerPixel;
        const unsigned char* pixels = canvas_->Data();
        for (int i = 0; i < count; ++i) {
            const SDL_Rect& r = rects[i];
            SDL_ConvertPixels(r.w, r.h, SDL_PIXELFORMAT_XRGB8888, pixels + r.y * canvas_->Stride() + r.x * 4,
                              canvas_->Stride(), image_->format->format,
                              static_cast<unsigned char*>(image_->pixels) + r.y * image_->pitch + r.x * bytes,
                              image_->pitch);
        }
        if (SDL_MUSTLOCK(image_)) SDL_UnlockSurface(image_);
    }
    if (SDL_UpdateWindowSurfaceRects(window_.get(), rects, count) != 0) {
        // The image is taken again and shown whole at the next present.
        imageDropped_ = true;
        showWhole_ = true;
        return false;
    }
    return true;
}

void SdlWindow::Present() {
    if (x11_) {
        // Nothing reaches a window before it is on the screen: the first
        // picture goes with its first exposure, so that the server does not
        // copy whole pictures for nothing while the animation waits.
        if (!exposed_) return;
        if (showWhole_ || imageDropped_) {
            FollowSize();
            x11_->Image().Repaint();
            // Until the window is on the screen every present shows all of it.
            showWhole_ = !shown_;
            Reached();
        } else {
            x11_->Present();
        }
        return;
    }
    if (showWhole_ || ImageStale()) {
        Repaint();
        return;
    }
    int count = 0;
    const int w = std::min(canvas_->Width(), image_ ? image_->w : 0);
    const int h = std::min(canvas_->Height(), image_ ? image_->h : 0);
    for (const PixelRect& r : canvas_->TakeDirty()) {
        // After a resize that found no new image the two sizes differ.
        SDL_Rect clipped{r.x, r.y, std::min(r.x + r.w, w) - r.x, std::min(r.y + r.h, h) - r.y};
        if (clipped.w > 0 && clipped.h > 0 && count < static_cast<int>(rects_.size())) rects_[count++] = clipped;
    }
    Push(rects_.data(), count);
}

void SdlWindow::Repaint() {
    if (x11_) {
        // The next present sends it all, once however many exposures and
        // changes of focus came since.
        showWhole_ = true;
        exposed_ = true;
        return;
    }
    std::string error;
    if (ImageStale() && !TakeImage(error)) return;
    if (!image_) return;
    canvas_->TakeDirty(); // all of it goes now
    const SDL_Rect all{0, 0, std::min(canvas_->Width(), image_->w), std::min(canvas_->Height(), image_->h)};
    const bool pushed = Push(&all, 1);
    // Until the window is on the screen every present shows all of it.
    showWhole_ = !pushed || !shown_;
    if (pushed) Reached();
}

void SdlWindow::ShowCursor(bool show) {
    cursorLevel_ += show ? 1 : -1;
    SDL_ShowCursor(cursorLevel_ >= 0 ? SDL_ENABLE : SDL_DISABLE);
}

} // namespace linesaver
