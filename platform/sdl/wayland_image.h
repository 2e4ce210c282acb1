// The animated window's image on a Wayland compositor: two shared-memory
// buffers attached to the window's own surface in turn, each brought up to
// date with only what changed since it was last shown, and only that
// damaged. SDL's stand-in for a window image on Wayland goes through an
// OpenGL renderer that uploads and draws the whole window on every update,
// most of a core on a software renderer.
#pragma once

#include "platform/raster/dirty_tiles.h"

#include <memory>
#include <span>

struct SDL_Window;
struct wl_buffer;
struct wl_display;
struct wl_event_queue;
struct wl_shm;
struct wl_surface;

namespace linesaver {

class PixelCanvas;

class WaylandImage {
public:
    // Buffers of the window's size in pixels; nothing when the window is not
    // on Wayland or the compositor's shared memory cannot be had.
    static std::unique_ptr<WaylandImage> Open(SDL_Window* window, int widthPx, int heightPx);
    // Takes the window off the screen with its picture.
    ~WaylandImage();
    WaylandImage(const WaylandImage&) = delete;
    WaylandImage& operator=(const WaylandImage&) = delete;

    // Brings the changed rectangles of the canvas (all of it when whole) to
    // the screen. False when no buffer was free: what changed is kept for
    // the next call.
    bool Present(const PixelCanvas& canvas, std::span<const PixelRect> changed, bool whole);
    // Shows the window with the buffers' first contents, all black, then
    // makes it cover its display. Asked for full screen before it has a
    // picture, SDL would give the compositor a window geometry with nothing
    // in it, which mutter rejects.
    void ShowFullScreen();

private:
    struct Buffer {
        wl_buffer* handle = nullptr;
        unsigned char* pixels = nullptr;
        bool busy = false; // the compositor still reads it
        DirtyTiles behind; // what it lacks of the canvas
    };
    WaylandImage(int widthPx, int heightPx);
    bool Make(SDL_Window* window);
    static void Released(void* buffer, wl_buffer*);

    int width_;
    int height_;
    int stride_;
    SDL_Window* window_ = nullptr;
    wl_display* display_ = nullptr;
    wl_surface* surface_ = nullptr;
    wl_event_queue* queue_ = nullptr; // the buffers' events, apart from SDL's
    wl_shm* shm_ = nullptr;
    void* memory_ = nullptr;
    std::size_t bytes_ = 0;
    Buffer buffers_[2];
    int next_ = 0;
};

} // namespace linesaver
