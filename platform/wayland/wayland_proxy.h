// Wayland objects in owners that let them go with the owner: Proxy<T>
// sends the object's destroy request once, or its release request where
// the version bound has one (which also lets the compositor forget it).
#pragma once

#include "wayland-fractional-scale.h"
#include "wayland-kde-output-order.h"
#include "wayland-kde-primary-output.h"
#include "wayland-viewporter.h"
#include "wayland-xdg-output.h"
#include "wayland-xdg-shell.h"

#include <memory>
#include <wayland-client.h>

namespace linesaver {

struct ProxyDestroyer {
    void operator()(wl_registry* p) const { wl_registry_destroy(p); }
    void operator()(wl_callback* p) const { wl_callback_destroy(p); }
    void operator()(wl_compositor* p) const { wl_compositor_destroy(p); }
    void operator()(wl_shm* p) const { wl_shm_destroy(p); }
    void operator()(wl_shm_pool* p) const { wl_shm_pool_destroy(p); }
    void operator()(wl_buffer* p) const { wl_buffer_destroy(p); }
    void operator()(wl_surface* p) const { wl_surface_destroy(p); }
    void operator()(xdg_wm_base* p) const { xdg_wm_base_destroy(p); }
    void operator()(xdg_surface* p) const { xdg_surface_destroy(p); }
    void operator()(xdg_toplevel* p) const { xdg_toplevel_destroy(p); }
    void operator()(wp_viewporter* p) const { wp_viewporter_destroy(p); }
    void operator()(wp_viewport* p) const { wp_viewport_destroy(p); }
    void operator()(wp_fractional_scale_manager_v1* p) const { wp_fractional_scale_manager_v1_destroy(p); }
    void operator()(wp_fractional_scale_v1* p) const { wp_fractional_scale_v1_destroy(p); }
    void operator()(zxdg_output_manager_v1* p) const { zxdg_output_manager_v1_destroy(p); }
    void operator()(zxdg_output_v1* p) const { zxdg_output_v1_destroy(p); }
    void operator()(kde_output_order_v1* p) const { kde_output_order_v1_destroy(p); }
    void operator()(kde_primary_output_v1* p) const {
        if (kde_primary_output_v1_get_version(p) >= KDE_PRIMARY_OUTPUT_V1_DESTROY_SINCE_VERSION)
            kde_primary_output_v1_destroy(p);
        else
            wl_proxy_destroy(reinterpret_cast<wl_proxy*>(p));
    }
    void operator()(wl_output* p) const {
        if (wl_output_get_version(p) >= WL_OUTPUT_RELEASE_SINCE_VERSION)
            wl_output_release(p);
        else
            wl_output_destroy(p);
    }
    void operator()(wl_seat* p) const {
        if (wl_seat_get_version(p) >= WL_SEAT_RELEASE_SINCE_VERSION)
            wl_seat_release(p);
        else
            wl_seat_destroy(p);
    }
    void operator()(wl_pointer* p) const {
        if (wl_pointer_get_version(p) >= WL_POINTER_RELEASE_SINCE_VERSION)
            wl_pointer_release(p);
        else
            wl_pointer_destroy(p);
    }
    void operator()(wl_keyboard* p) const {
        if (wl_keyboard_get_version(p) >= WL_KEYBOARD_RELEASE_SINCE_VERSION)
            wl_keyboard_release(p);
        else
            wl_keyboard_destroy(p);
    }
    void operator()(wl_touch* p) const {
        if (wl_touch_get_version(p) >= WL_TOUCH_RELEASE_SINCE_VERSION)
            wl_touch_release(p);
        else
            wl_touch_destroy(p);
    }
};

template <class T>
using Proxy = std::unique_ptr<T, ProxyDestroyer>;

} // namespace linesaver
