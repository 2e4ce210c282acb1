// The saver's windows on a Wayland compositor: the animated one full
// screen on the primary output, its picture one canvas pixel to each
// device pixel at whatever scale the output has, and a black one full
// screen on each other output. Follows what the compositor says of them
// while they show: a new size or scale gets a picture of its own.
#pragma once

#include "platform/raster/pixel_canvas.h"
#include "platform/wayland/surface_plan.h"
#include "platform/wayland/wayland_display.h"
#include "platform/wayland/wayland_picture.h"
#include "platform/wayland/wayland_window.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace linesaver {

// Where a window lies from the animated one, in logical pixels.
struct SurfaceOffset {
    int x = 0;
    int y = 0;
};

class WaylandScreens {
public:
    // The windows, the animated one sized by the compositor by the
    // deadline; nothing, with error, when it does not answer in time or
    // no picture can be made.
    static std::unique_ptr<WaylandScreens> Open(WaylandDisplay& display, std::chrono::steady_clock::time_point deadline,
                                                std::string& error);
    WaylandScreens(const WaylandScreens&) = delete;
    WaylandScreens& operator=(const WaylandScreens&) = delete;

    // The animated window's canvas, its size in device pixels.
    PixelCanvas& Canvas() { return picture_->Canvas(); }
    int Width() const { return picture_->Width(); }
    int Height() const { return picture_->Height(); }

    // The windows show from now on, the animated one last.
    void Show();
    // Whether the compositor has given the animated window its output's
    // size (or left the size to it). A first size may be a guess: mutter
    // gives a window the size of another output until it has shown.
    bool Settled() const;
    // Whether the canvas may be drawn on now; Settle makes it so where it
    // can (with makeBuffer, at the price of a buffer more).
    bool Drawable() const { return picture_->Drawable(); }
    bool Settle(bool makeBuffer) { return picture_->Settle(makeBuffer); }
    enum class Outcome { Presented, Resized, Failed };
    // Follows what the compositor has said of the windows and brings what
    // changed on the canvas to the screen. Resized: the animated window
    // has a new, black picture of another size; Failed: none could be
    // made, error says why.
    Outcome Present(std::string& error);

    // Where a surface of these windows lies from the animated one; nothing
    // for another surface.
    std::optional<SurfaceOffset> OffsetOf(const wl_surface* surface) const;
    // Whether the compositor asked to close a window.
    bool CloseAsked() const;
    // Whether the animated window's output has gone; the black windows of
    // outputs that went are dropped.
    bool PrimaryGone();
    // Takes the windows off the screen at once.
    void Close();

private:
    struct Blank {
        std::unique_ptr<WaylandWindow> window;
        std::unique_ptr<ShmBuffer> black;
        SurfaceOffset offset;
    };
    explicit WaylandScreens(WaylandDisplay& display) : display_(display) {}
    SurfaceOffer OfferFor(const WaylandWindow& window) const;
    // Applies the plan's scale or viewport to the window's next commit.
    static void Lay(const WaylandWindow& window, const SurfacePlan& plan);
    void ShowBlank(Blank& blank);

    WaylandDisplay& display_;
    std::unique_ptr<WaylandWindow> window_;
    std::unique_ptr<WaylandPicture> picture_;
    SurfacePlan plan_;
    std::vector<Blank> blanks_;
    bool shown_ = false;
    bool whole_ = true;       // the next present damages all of the picture
    bool layPending_ = false; // the plan goes with the next picture attached
};

} // namespace linesaver
