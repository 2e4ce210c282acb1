// ext_idle_notifier_v1 from wayland-protocols' staging folder.
#include "platform/idle_wayland/idle_notification.h"
#include "platform/idle_wayland/wayland_idle.h"

#include "wayland-ext-idle-notify.h"

namespace linesaver::idle {
namespace {

const IdleProtocol kExtIdle{
    ext_idle_notifier_v1_interface,
    [](wl_proxy* notifier, wl_seat* seat, std::uint32_t idleMs) {
        return reinterpret_cast<wl_proxy*>(ext_idle_notifier_v1_get_idle_notification(
            reinterpret_cast<ext_idle_notifier_v1*>(notifier), idleMs, seat));
    },
    [](wl_proxy* notification, void* source) {
        static constexpr ext_idle_notification_v1_listener kListener{.idled = NotifyIdle, .resumed = NotifyActive};
        ext_idle_notification_v1_add_listener(reinterpret_cast<ext_idle_notification_v1*>(notification), &kListener,
                                              source);
    },
    [](wl_proxy* notification) {
        ext_idle_notification_v1_destroy(reinterpret_cast<ext_idle_notification_v1*>(notification));
    },
    [](wl_proxy* notifier) { ext_idle_notifier_v1_destroy(reinterpret_cast<ext_idle_notifier_v1*>(notifier)); },
};

} // namespace

std::unique_ptr<IdleSource> OpenExtIdle(std::chrono::milliseconds idleAfter, std::string& whyNot) {
    return OpenIdleNotification(kExtIdle, idleAfter, whyNot);
}

} // namespace linesaver::idle
