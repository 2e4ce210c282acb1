// What the two Wayland idle protocols share: a notifier global, from which
// a notification for a seat and an idle time is asked, whose two events,
// in this order, say that the seat has gone idle and that it is back.
#pragma once

#include "platform/idle/idle_source.h"

#include <cstdint>

struct wl_interface;
struct wl_proxy;
struct wl_seat;

namespace linesaver::idle {

struct IdleProtocol {
    const wl_interface& notifier;
    // Asks the notifier for a notification after idle_ms without input.
    wl_proxy* (*watch)(wl_proxy* notifier, wl_seat* seat, std::uint32_t idleMs);
    // The notification's and the notifier's destructor requests.
    void (*unwatch)(wl_proxy* notification);
    void (*release)(wl_proxy* notifier);
};

std::unique_ptr<IdleSource> OpenIdleNotification(const IdleProtocol& protocol, std::chrono::milliseconds idleAfter,
                                                 std::string& whyNot);

} // namespace linesaver::idle
