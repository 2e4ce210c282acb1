// org_kde_kwin_idle from plasma-wayland-protocols.
#include "platform/idle_wayland/idle_notification.h"
#include "platform/idle_wayland/wayland_idle.h"

#include "wayland-kde-idle.h"

namespace linesaver::idle {
namespace {

const IdleProtocol kKdeIdle{
    org_kde_kwin_idle_interface,
    [](wl_proxy* notifier, wl_seat* seat, std::uint32_t idleMs) {
        return reinterpret_cast<wl_proxy*>(
            org_kde_kwin_idle_get_idle_timeout(reinterpret_cast<org_kde_kwin_idle*>(notifier), seat, idleMs));
    },
    [](wl_proxy* notification, void* source) {
        static constexpr org_kde_kwin_idle_timeout_listener kListener{.idle = NotifyIdle, .resumed = NotifyActive};
        org_kde_kwin_idle_timeout_add_listener(reinterpret_cast<org_kde_kwin_idle_timeout*>(notification), &kListener,
                                               source);
    },
    [](wl_proxy* timeout) { org_kde_kwin_idle_timeout_release(reinterpret_cast<org_kde_kwin_idle_timeout*>(timeout)); },
    // The notifier has no destructor request.
    [](wl_proxy* notifier) { wl_proxy_destroy(notifier); },
};

} // namespace

std::unique_ptr<IdleSource> OpenKdeIdle(std::chrono::milliseconds idleAfter, std::string& whyNot) {
    return OpenIdleNotification(kKdeIdle, idleAfter, whyNot);
}

} // namespace linesaver::idle
