// Pictures in shared memory for the compositor. A ShmBuffer is one black
// buffer, busy from its commit until the compositor lets it go.
// WaylandPicture is the animated window's: the canvas draws straight into
// one buffer; presenting hands that one to the compositor with only what
// changed damaged, and once another buffer is free again, brings it up to
// date with only what it lacks and moves the canvas there. Two buffers of
// the output's size are all the memory it takes where the compositor lets
// one go when the next comes (sway's software renderer reads a buffer for
// as long as it shows, and never has it written under it); a third is
// made only for a compositor that holds both.
#pragma once

#include "platform/raster/dirty_tiles.h"
#include "platform/raster/pixel_canvas.h"
#include "platform/wayland/wayland_proxy.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace linesaver {

class ShmBuffer {
public:
    // A black buffer of width x height pixels (XRGB); nothing, with error,
    // when the shared memory cannot be had.
    static std::unique_ptr<ShmBuffer> Make(wl_shm* shm, int width, int height, std::string& error);
    ~ShmBuffer();
    ShmBuffer(const ShmBuffer&) = delete;
    ShmBuffer& operator=(const ShmBuffer&) = delete;

    int Width() const { return width_; }
    int Height() const { return height_; }
    int Stride() const { return width_ * 4; }
    unsigned char* Pixels() const { return pixels_; }
    bool Busy() const { return busy_; }
    // Attaches it to surface: busy until the compositor lets it go.
    void Attach(wl_surface* surface);

private:
    ShmBuffer(int width, int height) : width_(width), height_(height) {}
    static void Released(void* buffer, wl_buffer*) noexcept;

    int width_;
    int height_;
    unsigned char* pixels_ = nullptr; // mapped, bytes_ long
    std::size_t bytes_ = 0;
    Proxy<wl_buffer> handle_;
    bool busy_ = false;
};

class WaylandPicture {
public:
    // A black picture of width x height device pixels whose canvas has
    // pixelsPerTwip device pixels to the twip; nothing, with error, when
    // the memory cannot be had.
    static std::unique_ptr<WaylandPicture> Make(wl_shm* shm, int width, int height, double pixelsPerTwip,
                                                std::string& error);

    int Width() const { return width_; }
    int Height() const { return height_; }
    // Drawn on while Drawable(); drawn on while not, it draws into the
    // buffer the compositor holds.
    PixelCanvas& Canvas() { return *canvas_; }

    enum class Presented { Attached, Unchanged, Waiting };
    // Attaches to surface, damaged where it changed since the last one
    // attached (all of it when whole), the canvas's buffer, for the caller
    // to commit: the canvas is not drawable then until Settle moves it.
    // Unchanged when nothing changed; Waiting while the canvas waits to move.
    Presented Present(wl_surface* surface, bool whole);
    // Whether the canvas may be drawn on.
    bool Drawable() const { return !parked_; }
    // Moves the canvas to a buffer the compositor has let go, brought up
    // to date; with makeOne, to a new one when none is free (false only
    // when that fails). Nothing to do while drawable.
    bool Settle(bool makeOne);

private:
    struct Slot {
        std::unique_ptr<ShmBuffer> buffer;
        DirtyTiles lacks; // what it lacks of the canvas's picture
    };
    WaylandPicture(wl_shm* shm, int width, int height)
        : shm_(shm), width_(width), height_(height), unshown_(width, height) {}
    // What the canvas changed: not yet shown, and lacking in the other buffers.
    void Account();
    bool AddSlot();
    void MoveCanvasTo(std::size_t slot);

    wl_shm* shm_;
    int width_;
    int height_;
    std::vector<Slot> slots_;
    std::unique_ptr<PixelCanvas> canvas_;
    std::size_t drawing_ = 0; // the slot whose buffer the canvas draws into
    bool parked_ = false;     // that buffer is the compositor's now
    DirtyTiles unshown_;      // changed since the last buffer was attached
};

} // namespace linesaver
