// A Wayland connection of the idle watcher's own: the compositor named by
// WAYLAND_DISPLAY, the seat and one global found on it, and reading what the
// compositor sends without ever blocking on it.
#pragma once

#include <chrono>
#include <memory>
#include <string>

struct wl_display;
struct wl_interface;
struct wl_proxy;
struct wl_seat;

namespace linesaver::idle {

class WaylandConnection {
public:
    // Connects and finds the first seat and the global of the given
    // interface, bound at version 1 and let go with release; nothing, with
    // whyNot, when there is no compositor, it does not answer within
    // answerLimit, or it lacks either.
    static std::unique_ptr<WaylandConnection> Open(const wl_interface& wanted, void (*release)(wl_proxy*),
                                                   std::chrono::milliseconds answerLimit, std::string& whyNot);
    ~WaylandConnection();
    WaylandConnection(const WaylandConnection&) = delete;
    WaylandConnection& operator=(const WaylandConnection&) = delete;

    // The compositor's socket name, "wayland-1".
    const std::string& Name() const { return name_; }
    int Fd() const;
    wl_seat* Seat() const { return seat_; }
    wl_proxy* Global() const { return global_; }

    // Reads what has come, if anything, and runs its listeners. False when
    // the connection is lost; why then says so.
    bool ReadAndDispatch(std::string& why);
    // Sends what is queued; a full socket keeps the rest for later.
    void Flush();

private:
    WaylandConnection(wl_display* display, std::string name, void (*release)(wl_proxy*))
        : display_(display), name_(std::move(name)), release_(release) {}
    // Waits, at most limit, until the compositor has answered all sent.
    bool RoundTrip(std::chrono::milliseconds limit, std::string& why);
    // Says in why how the connection was lost; always false.
    bool Lost(std::string& why) const;

    wl_display* display_;
    std::string name_;
    void (*release_)(wl_proxy*);
    wl_seat* seat_ = nullptr;
    wl_proxy* global_ = nullptr;
};

} // namespace linesaver::idle
