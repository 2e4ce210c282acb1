// An alarm on the X server's IDLETIME counter (SYNC): it notices the idle
// time reaching a threshold, then input setting it back below, and so on,
// turned around at each notice (IdleAlarmTurns). Comparisons, not
// transitions, so that an alarm set while its condition already holds
// fires at once: a session idle when the watcher starts, or input that
// came between the last notice and the turn.
#pragma once

#include "platform/idle_x11/x11_idle_source.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <xcb/sync.h>
#include <xcb/xcb.h>

namespace linesaver::idle {

class IdleAlarm {
public:
    // A threshold the idle time never reaches.
    static constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();

    // The IDLETIME counter, or XCB_NONE when the server has none.
    static xcb_sync_counter_t FindCounter(xcb_connection_t* connection);

    // An alarm waiting for the idle time to reach threshold milliseconds.
    IdleAlarm(xcb_connection_t* connection, xcb_sync_counter_t counter, std::int64_t threshold);

    // The change event brings when it is this alarm's notice of one; the
    // alarm then waits for the opposite.
    std::optional<IdleChange> Notice(const xcb_generic_event_t& event);

    // Waits for the idle time to reach a new threshold, as at the start.
    void Retarget(std::int64_t threshold);

    // Whether the idle time has reached the threshold by the last notice.
    bool Reached() const { return turns_.WaitsForInput(); }

private:
    template <class Values>
    Values Settings() const;
    void Set(bool create);

    xcb_connection_t* connection_;
    xcb_sync_counter_t counter_;
    IdleAlarmTurns turns_;
    std::uint8_t alarmEvent_;
    xcb_sync_alarm_t alarm_;
};

} // namespace linesaver::idle
