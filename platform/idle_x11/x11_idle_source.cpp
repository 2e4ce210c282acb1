#include "platform/idle_x11/x11_idle_source.h"

#include "platform/idle_x11/idle_alarm.h"
#include "platform/xcb/xcb_reply.h"

#include <cstdlib>

namespace linesaver::idle {
namespace {

// One alarm on IDLETIME at the idle time.
class SyncIdleSource final : public IdleSource {
public:
    SyncIdleSource(XcbConnection connection, std::string display, xcb_sync_counter_t counter,
                   std::chrono::milliseconds idleAfter)
        : connection_(std::move(connection)), display_(std::move(display)),
          alarm_(connection_.get(), counter, idleAfter.count()) {
        xcb_flush(connection_.get());
    }

    std::string Describe() const override { return "IDLETIME through SYNC on " + display_; }
    int Fd() const override { return xcb_get_file_descriptor(connection_.get()); }
    void Flush() override { xcb_flush(connection_.get()); }

    bool Read(std::vector<IdleChange>& changes, std::string& why) override {
        while (XcbOwned<xcb_generic_event_t> event{xcb_poll_for_event(connection_.get())})
            if (const auto change = alarm_.Notice(*event)) changes.push_back(*change);
        if (xcb_connection_has_error(connection_.get()) == 0) return true;
        why = "the X server " + display_ + " has closed the connection";
        return false;
    }

    // As input would: the server's idle time starts anew.
    void ResetIdle() override { xcb_force_screen_saver(connection_.get(), XCB_SCREEN_SAVER_RESET); }

private:
    XcbConnection connection_;
    std::string display_;
    IdleAlarm alarm_;
};

} // namespace

std::unique_ptr<IdleSource> OpenX11IdleSource(std::chrono::milliseconds idleAfter, std::string& whyNot) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) {
        whyNot = "DISPLAY is not set";
        return nullptr;
    }
    XcbConnection connection(xcb_connect(nullptr, nullptr));
    if (xcb_connection_has_error(connection.get()) != 0) {
        whyNot = std::string("cannot open the X display ") + display;
        return nullptr;
    }
    const auto counter = IdleAlarm::FindCounter(connection.get());
    if (counter == XCB_NONE) {
        whyNot = std::string("the X server ") + display + " has no IDLETIME counter";
        return nullptr;
    }
    return std::make_unique<SyncIdleSource>(std::move(connection), display, counter, idleAfter);
}

} // namespace linesaver::idle
