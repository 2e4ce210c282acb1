// What the two Wayland idle protocols share: a notifier global, from which
// a notification for a seat and an idle time is asked, whose two events say
// that the seat has gone idle and that it is back.
#pragma once

#include "platform/idle/idle_source.h"

#include <cstdint>

struct wl_interface;
struct wl_proxy;
struct wl_seat;

namespace linesaver::idle {

struct IdleProtocol {
    const wl_interface& notifier;
    // Asks the notifier for a notification after idleMs without input.
    wl_proxy* (*watch)(wl_proxy* notifier, wl_seat* seat, std::uint32_t idleMs);
    // Adds the protocol's own listener to a notification, whose events
    // are NotifyIdle and NotifyActive, given source.
    void (*listen)(wl_proxy* notification, void* source);
    // The notification's and the notifier's destructor requests.
    void (*unwatch)(wl_proxy* notification);
    void (*release)(wl_proxy* notifier);
};

// A protocol's listener's two events, for the source it was given.
void NoteIdle(void* source) noexcept;
void NoteActive(void* source) noexcept;
template <class Notification>
void NotifyIdle(void* source, Notification*) noexcept {
    NoteIdle(source);
}
template <class Notification>
void NotifyActive(void* source, Notification*) noexcept {
    NoteActive(source);
}

std::unique_ptr<IdleSource> OpenIdleNotification(const IdleProtocol& protocol, std::chrono::milliseconds idleAfter,
                                                 std::string& whyNot);

} // namespace linesaver::idle
