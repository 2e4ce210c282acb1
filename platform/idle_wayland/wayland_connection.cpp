#include "platform/idle_wayland/wayland_connection.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <wayland-client.h>

namespace linesaver::idle {
namespace {

// What the registry brought: the first seat and the first wanted global.
struct Found {
    const wl_interface* wanted;
    wl_seat* seat = nullptr;
    wl_proxy* global = nullptr;
};

void OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t) noexcept {
    auto& found = *static_cast<Found*>(data);
    if (!found.seat && std::strcmp(interface, wl_seat_interface.name) == 0)
        found.seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (!found.global && std::strcmp(interface, found.wanted->name) == 0)
        found.global = static_cast<wl_proxy*>(wl_registry_bind(registry, name, found.wanted, 1));
}

void OnGlobalRemoved(void*, wl_registry*, std::uint32_t) noexcept {}

const wl_registry_listener kRegistryListener{OnGlobal, OnGlobalRemoved};

void OnDone(void* done, wl_callback*, std::uint32_t) noexcept { *static_cast<bool*>(done) = true; }

const wl_callback_listener kDoneListener{OnDone};

} // namespace

std::unique_ptr<WaylandConnection> WaylandConnection::Open(const wl_interface& wanted, void (*release)(wl_proxy*),
                                                           std::chrono::milliseconds answerLimit, std::string& whyNot) {
    // Only a session that names its compositor has one: wl_display_connect
    // would otherwise guess wayland-0.
    const char* name = std::getenv("WAYLAND_DISPLAY");
    if (!name || !*name) {
        whyNot = "WAYLAND_DISPLAY is not set";
        return nullptr;
    }
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        whyNot = std::string("no Wayland compositor at ") + name;
        return nullptr;
    }
    std::unique_ptr<WaylandConnection> self(new WaylandConnection(display, name, release));
    Found found{&wanted};
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &kRegistryListener, &found);
    const bool answered = self->RoundTrip(answerLimit, whyNot);
    wl_registry_destroy(registry);
    self->seat_ = found.seat;
    self->global_ = found.global;
    if (!answered) return nullptr;
    if (!found.global) {
        whyNot = std::string(name) + " offers no " + wanted.name;
        return nullptr;
    }
    if (!found.seat) {
        whyNot = std::string(name) + " has no seat";
        return nullptr;
    }
    return self;
}

WaylandConnection::~WaylandConnection() {
    if (global_) release_(global_);
    if (seat_) wl_seat_destroy(seat_);
    wl_display_flush(display_);
    wl_display_disconnect(display_);
}

int WaylandConnection::Fd() const { return wl_display_get_fd(display_); }

bool WaylandConnection::RoundTrip(std::chrono::milliseconds limit, std::string& why) {
    bool done = false;
    wl_callback* callback = wl_display_sync(display_);
    wl_callback_add_listener(callback, &kDoneListener, &done);
    const auto deadline = std::chrono::steady_clock::now() + limit;
    bool answered = true;
    while (!done && answered) {
        if (wl_display_prepare_read(display_) != 0) {
            if (wl_display_dispatch_pending(display_) < 0) answered = Lost(why);
            continue;
        }
        if (wl_display_flush(display_) < 0 && errno != EAGAIN) {
            wl_display_cancel_read(display_);
            answered = Lost(why);
            break;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd fd{Fd(), POLLIN, 0};
        const int ready = left.count() > 0 ? poll(&fd, 1, static_cast<int>(left.count())) : 0;
        if (ready < 0 && errno == EINTR) {
            wl_display_cancel_read(display_);
            continue;
        }
        if (ready <= 0) {
            wl_display_cancel_read(display_);
            why = name_ + " does not answer";
            answered = false;
            break;
        }
        if (wl_display_read_events(display_) < 0 || wl_display_dispatch_pending(display_) < 0) answered = Lost(why);
    }
    wl_callback_destroy(callback);
    return answered && done;
}

bool WaylandConnection::ReadAndDispatch(std::string& why) {
    // Events read by an earlier call and not yet run go first. Reading does
    // not block: the socket is read without waiting, and a wake with
    // nothing on it reads nothing.
    while (wl_display_prepare_read(display_) != 0)
        if (wl_display_dispatch_pending(display_) < 0) return Lost(why);
    if (wl_display_read_events(display_) < 0) return Lost(why);
    if (wl_display_dispatch_pending(display_) < 0) return Lost(why);
    return true;
}

void WaylandConnection::Flush() { wl_display_flush(display_); }

bool WaylandConnection::Lost(std::string& why) const {
    const int error = wl_display_get_error(display_);
    why = error == EPROTO ? name_ + " refused a request" : name_ + " has gone";
    return false;
}

} // namespace linesaver::idle
