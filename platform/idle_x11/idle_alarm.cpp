#include "platform/idle_x11/idle_alarm.h"

#include "platform/xcb/xcb_reply.h"

#include <cstring>

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

constexpr std::uint32_t kAlarmMask = XCB_SYNC_CA_COUNTER | XCB_SYNC_CA_VALUE_TYPE | XCB_SYNC_CA_VALUE |
                                     XCB_SYNC_CA_TEST_TYPE | XCB_SYNC_CA_DELTA | XCB_SYNC_CA_EVENTS;

} // namespace

xcb_sync_counter_t IdleAlarm::FindCounter(xcb_connection_t* connection) {
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

IdleAlarm::IdleAlarm(xcb_connection_t* connection, xcb_sync_counter_t counter, std::int64_t threshold)
    : connection_(connection), counter_(counter), turns_(threshold),
      alarmEvent_(xcb_get_extension_data(connection, &xcb_sync_id)->first_event + XCB_SYNC_ALARM_NOTIFY),
      alarm_(xcb_generate_id(connection)) {
    Set(true);
}

// The alarm's settings, for CreateAlarm or ChangeAlarm.
template <class Values>
Values IdleAlarm::Settings() const {
    Values values{};
    values.counter = counter_;
    values.valueType = XCB_SYNC_VALUETYPE_ABSOLUTE;
    values.value = ToSync(turns_.Value());
    values.testType =
        turns_.WaitsForInput() ? XCB_SYNC_TESTTYPE_NEGATIVE_COMPARISON : XCB_SYNC_TESTTYPE_POSITIVE_COMPARISON;
    values.delta = ToSync(0);
    values.events = 1;
    return values;
}

void IdleAlarm::Set(bool create) {
    if (create) {
        const auto values = Settings<xcb_sync_create_alarm_value_list_t>();
        xcb_sync_create_alarm_aux(connection_, alarm_, kAlarmMask, &values);
    } else {
        const auto values = Settings<xcb_sync_change_alarm_value_list_t>();
        xcb_sync_change_alarm_aux(connection_, alarm_, kAlarmMask, &values);
    }
}

std::optional<IdleChange> IdleAlarm::Notice(const xcb_generic_event_t& event) {
    if ((event.response_type & 0x7f) != alarmEvent_) return std::nullopt;
    const auto& notice = reinterpret_cast<const xcb_sync_alarm_notify_event_t&>(event);
    if (notice.alarm != alarm_) return std::nullopt;
    const auto change = turns_.Notice(FromSync(notice.counter_value));
    if (change) Set(false);
    return change;
}

void IdleAlarm::Retarget(std::int64_t threshold) {
    turns_ = IdleAlarmTurns(threshold);
    Set(false);
}

} // namespace linesaver::idle
