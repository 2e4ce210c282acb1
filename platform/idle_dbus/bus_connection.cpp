#include "platform/idle_dbus/bus_connection.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <sys/epoll.h>
#include <sys/timerfd.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

namespace linesaver::idle {

void BusUnref::operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
void SlotUnref::operator()(sd_bus_slot* slot) const { sd_bus_slot_unref(slot); }

std::unique_ptr<BusConnection> BusConnection::Open(BusKind kind, std::string& whyNot) {
    sd_bus* raw = nullptr;
    const int opened = kind == BusKind::Session ? sd_bus_open_user(&raw) : sd_bus_open_system(&raw);
    std::unique_ptr<BusConnection> self(new BusConnection);
    self->bus_.reset(raw);
    if (kind == BusKind::System) self->name_ = "the system bus";
    if (opened < 0) {
        whyNot = std::string(kind == BusKind::Session ? "no session bus (" : "no system bus (") +
                 std::strerror(-opened) + ")";
        return nullptr;
    }
    // A desktop service that has not answered a call within ten seconds
    // is taken for gone.
    sd_bus_set_method_call_timeout(raw, 10'000'000);
    self->busFd_ = sd_bus_get_fd(raw);
    self->epoll_ = UniqueFd(epoll_create1(EPOLL_CLOEXEC));
    self->timer_ = UniqueFd(timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC));
    if (self->busFd_ < 0 || !self->epoll_ || !self->timer_) {
        whyNot = std::string("cannot watch ") + self->name_;
        return nullptr;
    }
    epoll_event busEvent{.events = EPOLLIN, .data = {.fd = self->busFd_}};
    epoll_event timerEvent{.events = EPOLLIN, .data = {.fd = self->timer_.get()}};
    if (epoll_ctl(self->epoll_.get(), EPOLL_CTL_ADD, self->busFd_, &busEvent) != 0 ||
        epoll_ctl(self->epoll_.get(), EPOLL_CTL_ADD, self->timer_.get(), &timerEvent) != 0 || !self->Rearm()) {
        whyNot = std::string("cannot watch ") + self->name_;
        return nullptr;
    }
    return self;
}

bool BusConnection::Rearm() {
    const int events = sd_bus_get_events(bus_.get());
    if (events < 0) return false;
    epoll_event busEvent{.events = static_cast<std::uint32_t>(events), .data = {.fd = busFd_}};
    if (epoll_ctl(epoll_.get(), EPOLL_CTL_MOD, busFd_, &busEvent) != 0) return false;
    // An absolute time on the monotonic clock in microseconds, 0 for at
    // once, UINT64_MAX for never; a timer of all zeros would be disarmed.
    std::uint64_t deadline = 0;
    if (sd_bus_get_timeout(bus_.get(), &deadline) < 0) return false;
    itimerspec when{};
    if (deadline != UINT64_MAX) {
        when.it_value.tv_sec = static_cast<time_t>(deadline / 1000000);
        when.it_value.tv_nsec = static_cast<long>(deadline % 1000000) * 1000;
        if (deadline == 0) when.it_value.tv_nsec = 1;
    }
    return timerfd_settime(timer_.get(), TFD_TIMER_ABSTIME, &when, nullptr) == 0;
}

bool BusConnection::HasOwner(const char* name) const {
    int owned = 0;
    sd_bus_message* reply = nullptr;
    const bool asked = sd_bus_call_method(bus_.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                          "org.freedesktop.DBus", "NameHasOwner", nullptr, &reply, "s", name) >= 0 &&
                       sd_bus_message_read(reply, "b", &owned) >= 0;
    sd_bus_message_unref(reply);
    return asked && owned != 0;
}

bool BusConnection::Dispatch() {
    std::uint64_t expirations = 0;
    while (::read(timer_.get(), &expirations, sizeof expirations) < 0 && errno == EINTR) {}
    for (;;) {
        const int handled = sd_bus_process(bus_.get(), nullptr);
        if (handled < 0) return false;
        if (handled == 0) break;
    }
    return sd_bus_is_open(bus_.get()) > 0 && Rearm();
}

} // namespace linesaver::idle
