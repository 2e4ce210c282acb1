#include "platform/sdl/wayland_image.h"

#include "platform/raster/pixel_canvas.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <SDL.h>
#include <SDL_syswm.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

namespace linesaver {
namespace {

struct Globals {
    wl_shm* shm = nullptr;
};

void OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t) {
    auto* globals = static_cast<Globals*>(data);
    if (std::strcmp(interface, wl_shm_interface.name) == 0 && !globals->shm)
        globals->shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
}

void OnGlobalRemoved(void*, wl_registry*, std::uint32_t) {}

const wl_registry_listener kRegistryListener{OnGlobal, OnGlobalRemoved};

} // namespace

WaylandImage::WaylandImage(int widthPx, int heightPx)
    : width_(widthPx), height_(heightPx),
      stride_(widthPx * 4), buffers_{{nullptr, nullptr, false, DirtyTiles(widthPx, heightPx)},
                                     {nullptr, nullptr, false, DirtyTiles(widthPx, heightPx)}} {}

std::unique_ptr<WaylandImage> WaylandImage::Open(SDL_Window* window, int widthPx, int heightPx) {
    if (widthPx <= 0 || heightPx <= 0) return nullptr;
    std::unique_ptr<WaylandImage> self(new WaylandImage(widthPx, heightPx));
    if (!self->Make(window)) return nullptr;
    return self;
}

bool WaylandImage::Make(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_WAYLAND) return false;
    window_ = window;
    display_ = info.info.wl.display;
    surface_ = info.info.wl.surface;
    if (!display_ || !surface_) return false;
    // The registry and everything made from it answer on a queue of their
    // own, so that SDL's event handling never sees them.
    queue_ = wl_display_create_queue(display_);
    auto* wrapped = static_cast<wl_display*>(wl_proxy_create_wrapper(display_));
    if (!queue_ || !wrapped) return false;
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapped), queue_);
    wl_registry* registry = wl_display_get_registry(wrapped);
    wl_proxy_wrapper_destroy(wrapped);
    Globals globals;
    wl_registry_add_listener(registry, &kRegistryListener, &globals);
    wl_display_roundtrip_queue(display_, queue_);
    wl_registry_destroy(registry);
    shm_ = globals.shm;
    if (!shm_) return false;

    const std::size_t one = static_cast<std::size_t>(stride_) * height_;
    bytes_ = 2 * one;
    const int fd = memfd_create("linesaver-image", MFD_CLOEXEC);
    if (fd < 0) return false;
    if (ftruncate(fd, static_cast<off_t>(bytes_)) != 0) {
        close(fd);
        return false;
    }
    memory_ = mmap(nullptr, bytes_, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    wl_shm_pool* pool =
        memory_ == MAP_FAILED ? nullptr : wl_shm_create_pool(shm_, fd, static_cast<std::int32_t>(bytes_));
    close(fd);
    if (memory_ == MAP_FAILED) memory_ = nullptr;
    if (!pool) return false;
    for (int i = 0; i < 2; ++i) {
        Buffer& b = buffers_[i];
        b.pixels = static_cast<unsigned char*>(memory_) + i * one;
        b.handle = wl_shm_pool_create_buffer(pool, static_cast<std::int32_t>(i * one), width_, height_, stride_,
                                             WL_SHM_FORMAT_XRGB8888);
        b.behind.MarkAll();
    }
    wl_shm_pool_destroy(pool);
    static const wl_buffer_listener kReleased{&WaylandImage::Released};
    for (Buffer& b : buffers_)
        if (b.handle) wl_buffer_add_listener(b.handle, &kReleased, &b);
    return buffers_[0].handle && buffers_[1].handle;
}

WaylandImage::~WaylandImage() {
    // Unmapped here, at once: SDL would first take the window out of full
    // screen and then commit the geometry of that without a picture. The
    // geometry SDL set at the last configure goes first, with the picture.
    if (surface_) {
        wl_surface_commit(surface_);
        wl_surface_attach(surface_, nullptr, 0, 0);
        wl_surface_commit(surface_);
        wl_display_flush(display_);
    }
    for (Buffer& b : buffers_)
        if (b.handle) wl_buffer_destroy(b.handle);
    if (shm_) wl_shm_destroy(shm_);
    if (queue_) wl_event_queue_destroy(queue_);
    if (memory_) munmap(memory_, bytes_);
}

void WaylandImage::Released(void* buffer, wl_buffer*) { static_cast<Buffer*>(buffer)->busy = false; }

void WaylandImage::ShowFullScreen() {
    // The display it covers is the one at its position, which SDL moves to
    // where the compositor first puts the window.
    int x = 0;
    int y = 0;
    SDL_GetWindowPosition(window_, &x, &y);
    SDL_ShowWindow(window_);
    // Fresh shared memory reads as zeros: black in XRGB.
    wl_surface_damage_buffer(surface_, 0, 0, width_, height_);
    wl_surface_attach(surface_, buffers_[0].handle, 0, 0);
    wl_surface_commit(surface_);
    buffers_[0].busy = true;
    next_ = 1; // the compositor may hold the shown buffer until another comes
    wl_display_flush(display_);
    SDL_SetWindowPosition(window_, x, y);
    SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
}

bool WaylandImage::Present(const PixelCanvas& canvas, std::span<const PixelRect> changed, bool whole) {
    for (Buffer& b : buffers_) {
        if (whole)
            b.behind.MarkAll();
        else
            for (const PixelRect& r : changed) b.behind.MarkBox(r.x, r.y, r.x + r.w, r.y + r.h);
    }
    // SDL has read the compositor's answers; those for the buffers wait here.
    wl_display_dispatch_queue_pending(display_, queue_);
    Buffer& b = buffers_[next_];
    if (b.busy) return false;
    if (!b.behind.Any()) return true;
    const int w = std::min(width_, canvas.Width());
    const int h = std::min(height_, canvas.Height());
    for (const PixelRect& r : b.behind.Take()) {
        const int rw = std::min(r.x + r.w, w) - r.x;
        const int rh = std::min(r.y + r.h, h) - r.y;
        if (rw <= 0 || rh <= 0) continue;
        for (int y = r.y; y < r.y + rh; ++y)
            std::memcpy(b.pixels + static_cast<std::size_t>(y) * stride_ + r.x * 4,
                        canvas.Data() + static_cast<std::size_t>(y) * canvas.Stride() + r.x * 4,
                        static_cast<std::size_t>(rw) * 4);
        wl_surface_damage_buffer(surface_, r.x, r.y, rw, rh);
    }
    wl_surface_attach(surface_, b.handle, 0, 0);
    wl_surface_commit(surface_);
    b.busy = true;
    next_ = 1 - next_;
    return wl_display_flush(display_) >= 0 || errno == EAGAIN;
}

} // namespace linesaver
