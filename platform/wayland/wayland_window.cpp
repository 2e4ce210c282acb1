#include "platform/wayland/wayland_window.h"

namespace linesaver {

// The compositor's word on a window, each a C callback that only records.
struct WindowListeners {
    static WaylandWindow& Of(void* data) { return *static_cast<WaylandWindow*>(data); }

    static void Enter(void* data, wl_surface*, wl_output* output) noexcept {
        WaylandWindow& window = Of(data);
        window.entered_ = output;
        window.changed_ = true;
    }
    static void Leave(void* data, wl_surface*, wl_output* output) noexcept {
        WaylandWindow& window = Of(data);
        if (window.entered_ == output) window.entered_ = nullptr;
    }

    static void Configure(void* data, xdg_surface*, std::uint32_t serial) noexcept {
        WaylandWindow& window = Of(data);
        window.serial_ = serial;
        window.acknowledged_ = false;
        window.configured_ = true;
        window.changed_ = true;
        window.width_ = window.pendingWidth_;
        window.height_ = window.pendingHeight_;
    }

    static void ToplevelConfigure(void* data, xdg_toplevel*, std::int32_t width, std::int32_t height,
                                  wl_array* states) noexcept {
        // The size counts once the window is full screen: before, it is a
        // compositor's first guess (mutter's is a quarter of the output),
        // and the window takes its output's size.
        bool fullScreen = false;
        const auto* state = static_cast<const std::uint32_t*>(states->data);
        for (std::size_t i = 0; i < states->size / sizeof *state; ++i)
            fullScreen = fullScreen || state[i] == XDG_TOPLEVEL_STATE_FULLSCREEN;
        Of(data).pendingWidth_ = fullScreen ? width : 0;
        Of(data).pendingHeight_ = fullScreen ? height : 0;
    }
    static void Close(void* data, xdg_toplevel*) noexcept { Of(data).closeAsked_ = true; }
    static void Bounds(void*, xdg_toplevel*, std::int32_t, std::int32_t) noexcept {}
    static void Capabilities(void*, xdg_toplevel*, wl_array*) noexcept {}

    static void PreferredScale(void* data, wp_fractional_scale_v1*, std::uint32_t scale) noexcept {
        WaylandWindow& window = Of(data);
        window.scale120_ = scale > 0x7fffffffU ? 0 : static_cast<int>(scale);
        window.changed_ = true;
    }

    static void FrameDone(void* data, wl_callback*, std::uint32_t) noexcept { Of(data).frame_.reset(); }

    static constexpr wl_surface_listener kSurface{Enter, Leave};
    static constexpr wl_callback_listener kFrame{FrameDone};
    static constexpr xdg_surface_listener kShellSurface{Configure};
    static constexpr xdg_toplevel_listener kToplevel{ToplevelConfigure, Close, Bounds, Capabilities};
    static constexpr wp_fractional_scale_v1_listener kFractionalScale{PreferredScale};
};

WaylandWindow::WaylandWindow(const WaylandDisplay& display, const WaylandOutput& output, const char* title)
    : output_(output), surface_(wl_compositor_create_surface(display.Compositor())) {
    wl_surface_add_listener(surface_.get(), &WindowListeners::kSurface, this);
    shellSurface_.reset(xdg_wm_base_get_xdg_surface(display.Shell(), surface_.get()));
    xdg_surface_add_listener(shellSurface_.get(), &WindowListeners::kShellSurface, this);
    toplevel_.reset(xdg_surface_get_toplevel(shellSurface_.get()));
    xdg_toplevel_add_listener(toplevel_.get(), &WindowListeners::kToplevel, this);
    xdg_toplevel_set_title(toplevel_.get(), title);
    xdg_toplevel_set_app_id(toplevel_.get(), "linesaver");
    xdg_toplevel_set_fullscreen(toplevel_.get(), output.handle.get());
    if (display.Viewporter()) viewport_.reset(wp_viewporter_get_viewport(display.Viewporter(), surface_.get()));
    if (display.FractionalScales() && viewport_) {
        fractionalScale_.reset(
            wp_fractional_scale_manager_v1_get_fractional_scale(display.FractionalScales(), surface_.get()));
        wp_fractional_scale_v1_add_listener(fractionalScale_.get(), &WindowListeners::kFractionalScale, this);
    }
    // Nothing attached: the compositor answers with the size it gives.
    wl_surface_commit(surface_.get());
}

void WaylandWindow::Acknowledge() {
    if (acknowledged_) return;
    xdg_surface_ack_configure(shellSurface_.get(), serial_);
    acknowledged_ = true;
}

bool WaylandWindow::TakeChange() {
    const bool changed = changed_;
    changed_ = false;
    return changed;
}

void WaylandWindow::AskFrame() {
    frame_.reset(wl_surface_frame(surface_.get()));
    wl_callback_add_listener(frame_.get(), &WindowListeners::kFrame, this);
}

void WaylandWindow::Unmap() {
    wl_surface_attach(surface_.get(), nullptr, 0, 0);
    wl_surface_commit(surface_.get());
}

} // namespace linesaver
