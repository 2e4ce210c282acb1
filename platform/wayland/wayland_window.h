// One of the saver's windows: a surface made full screen on one output
// through xdg-shell, and what the compositor says of it: the size it
// gives, the output it shows on, the fractional scale it prefers, a
// request to close. Its pictures are attached by others.
#pragma once

#include "platform/wayland/wayland_display.h"
#include "platform/wayland/wayland_proxy.h"

#include <cstdint>
#include <memory>

namespace linesaver {

class WaylandWindow {
public:
    // A window titled title, asked to cover output, with nothing shown
    // yet; the compositor answers with its first configure.
    WaylandWindow(const WaylandDisplay& display, const WaylandOutput& output, const char* title);
    WaylandWindow(const WaylandWindow&) = delete;
    WaylandWindow& operator=(const WaylandWindow&) = delete;

    wl_surface* Surface() const { return surface_.get(); }
    wp_viewport* Viewport() const { return viewport_.get(); }
    // The output it was asked to cover.
    const WaylandOutput& Output() const { return output_; }
    // The output the compositor last said it shows on, null before it has.
    wl_output* Entered() const { return entered_; }

    // Whether the compositor has said how it wants the window, and the size
    // it gives in logical pixels: 0 for the window to choose, also while it
    // is not full screen yet.
    bool Configured() const { return configured_; }
    int ConfiguredWidth() const { return width_; }
    int ConfiguredHeight() const { return height_; }
    // The fractional scale the compositor prefers for it, in 120ths; 0
    // while it has said none.
    int PreferredScale120() const { return scale120_; }
    // Whether the compositor asked to close it.
    bool CloseAsked() const { return closeAsked_; }

    // Acknowledges the newest configure, if not yet done: the next commit
    // answers it.
    void Acknowledge();
    // Whether anything said since the last call may change its picture.
    bool TakeChange();

    // Asks to hear when the compositor is ready for the picture after the
    // one the next commit brings; until then a picture is pending.
    void AskFrame();
    bool FramePending() const { return frame_ != nullptr; }

    // Takes the window off the screen at once (its picture detached).
    void Unmap();

private:
    friend struct WindowListeners;

    const WaylandOutput& output_;
    // Declared in the order made: the surface's roles go before it.
    Proxy<wl_surface> surface_;
    Proxy<xdg_surface> shellSurface_;
    Proxy<xdg_toplevel> toplevel_;
    Proxy<wp_viewport> viewport_;
    Proxy<wp_fractional_scale_v1> fractionalScale_;
    Proxy<wl_callback> frame_; // while a picture waits to be shown
    wl_output* entered_ = nullptr;
    std::uint32_t serial_ = 0; // the newest configure's
    bool acknowledged_ = true;
    bool configured_ = false;
    bool closeAsked_ = false;
    bool changed_ = false;
    int width_ = 0;  // the newest configure's size
    int height_ = 0; // (the toplevel's, until the surface's configure applies it)
    int pendingWidth_ = 0;
    int pendingHeight_ = 0;
    int scale120_ = 0;
};

} // namespace linesaver
