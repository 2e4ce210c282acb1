#include "platform/idle_x11/x11_idle_source.h"

#include "platform/xcb/xcb_reply.h"

#include <cstdlib>
#include <cstring>
#include <xcb/sync.h>
#include <xcb/xcb.h>

namespace linesaver::idle {
namespace {

std::int64_t FromSync(xcb_sync_int64_t value) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(static_cast<std::uint32_t>(value.hi)) << 32) |
                                     value.lo);
}

xcb_sync_int64_t ToSync(std::int64_t value) {
    const auto bits = static_cast<std::uint64_t>(value);
    return {static_cast<std::int32_t>(bits >> 32), static_cast<std::uint32_t>(bits)};
}

// The IDLETIME counter, or XCB_NONE when the server has none.
xcb_sync_counter_t FindIdleCounter(xcb_connection_t* connection) {
    const auto* extension = xcb_get_extension_data(connection, &xcb_sync_id);
    if (!extension || !extension->present) return XCB_NONE;
    XcbOwned<xcb_sync_initialize_reply_t> version(xcb_sync_initialize_reply(
        connection, xcb_sync_initialize(connection, XCB_SYNC_MAJOR_VERSION, XCB_SYNC_MINOR_VERSION), nullptr));
    if (!version) return XCB_NONE;
    XcbOwned<xcb_sync_list_system_counters_reply_t> counters(
        xcb_sync_list_system_counters_reply(connection, xcb_sync_list_system_counters(connection), nullptr));
    if (!counters) return XCB_NONE;
    // Read by hand: libxcb's iterator over this list misses the padding
    // after each name and reads the names shifted.
    const auto* entry = reinterpret_cast<const std::uint8_t*>(counters.get() + 1);
    const auto* end = reinterpret_cast<const std::uint8_t*>(counters.get()) + 32 + counters->length * 4;
    constexpr std::size_t kNameOffset = 14; // counter id, resolution, name length
    for (std::uint32_t i = 0; i < counters->counters_len && entry + kNameOffset <= end; ++i) {
        xcb_sync_counter_t counter;
        std::uint16_t nameLength;
        std::memcpy(&counter, entry, sizeof counter);
        std::memcpy(&nameLength, entry + 12, sizeof nameLength);
        if (entry + kNameOffset + nameLength > end) break;
        if (nameLength == 8 && std::memcmp(entry + kNameOffset, "IDLETIME", 8) == 0) return counter;
        entry += (kNameOffset + nameLength + 3) & ~std::size_t{3};
    }
    return XCB_NONE;
}

// One alarm on IDLETIME, turned around at every change (IdleAlarmTurns).
// Comparisons, not transitions, so that an alarm set while its condition
// already holds fires at once: a session idle when the watcher starts, or
// input that came between the last alarm and the turn.
class SyncIdleSource final : public IdleSource {
public:
    SyncIdleSource(XcbConnection connection, std::string display, xcb_sync_counter_t counter,
                   std::chrono::milliseconds idleAfter)
        : connection_(std::move(connection)), display_(std::move(display)), counter_(counter),
          turns_(idleAfter.count()),
          alarmEvent_(xcb_get_extension_data(connection_.get(), &xcb_sync_id)->first_event + XCB_SYNC_ALARM_NOTIFY),
          alarm_(xcb_generate_id(connection_.get())) {
        const auto values =
            AlarmValues<xcb_sync_create_alarm_value_list_t>(XCB_SYNC_TESTTYPE_POSITIVE_COMPARISON, turns_.Value());
        xcb_sync_create_alarm_aux(connection_.get(), alarm_, kAlarmMask, &values);
        xcb_flush(connection_.get());
    }

    std::string Describe() const override { return "IDLETIME through SYNC on " + display_; }
    int Fd() const override { return xcb_get_file_descriptor(connection_.get()); }
    void Flush() override { xcb_flush(connection_.get()); }

    bool Read(std::vector<IdleChange>& changes, std::string& why) override {
        while (XcbOwned<xcb_generic_event_t> event{xcb_poll_for_event(connection_.get())}) {
            if ((event->response_type & 0x7f) != alarmEvent_) continue;
            const auto* notice = reinterpret_cast<const xcb_sync_alarm_notify_event_t*>(event.get());
            if (notice->alarm == alarm_) Turn(FromSync(notice->counter_value), changes);
        }
        if (xcb_connection_has_error(connection_.get()) == 0) return true;
        why = "the X server " + display_ + " has closed the connection";
        return false;
    }

private:
    static constexpr std::uint32_t kAlarmMask = XCB_SYNC_CA_COUNTER | XCB_SYNC_CA_VALUE_TYPE | XCB_SYNC_CA_VALUE |
                                                XCB_SYNC_CA_TEST_TYPE | XCB_SYNC_CA_DELTA | XCB_SYNC_CA_EVENTS;

    // The alarm's settings, for CreateAlarm or ChangeAlarm.
    template <class Values>
    Values AlarmValues(std::uint32_t test, std::int64_t value) const {
        Values values{};
        values.counter = counter_;
        values.valueType = XCB_SYNC_VALUETYPE_ABSOLUTE;
        values.value = ToSync(value);
        values.testType = test;
        values.delta = ToSync(0);
        values.events = 1;
        return values;
    }

    void Turn(std::int64_t idleTime, std::vector<IdleChange>& changes) {
        const auto change = turns_.Notice(idleTime);
        if (!change) return;
        changes.push_back(*change);
        const auto values = AlarmValues<xcb_sync_change_alarm_value_list_t>(
            turns_.WaitsForInput() ? XCB_SYNC_TESTTYPE_NEGATIVE_COMPARISON : XCB_SYNC_TESTTYPE_POSITIVE_COMPARISON,
            turns_.Value());
        xcb_sync_change_alarm_aux(connection_.get(), alarm_, kAlarmMask, &values);
    }

    XcbConnection connection_;
    std::string display_;
    xcb_sync_counter_t counter_;
    IdleAlarmTurns turns_;
    std::uint8_t alarmEvent_;
    xcb_sync_alarm_t alarm_;
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
    const auto counter = FindIdleCounter(connection.get());
    if (counter == XCB_NONE) {
        whyNot = std::string("the X server ") + display + " has no IDLETIME counter";
        return nullptr;
    }
    return std::make_unique<SyncIdleSource>(std::move(connection), display, counter, idleAfter);
}

} // namespace linesaver::idle
