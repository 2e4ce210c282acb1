// This session's watcher telling `linesaver-idle --status` what it knows:
// a unix socket at the session's file "idle-KEY.status" in the private
// runtime folder. Whoever connects is sent the header line and then one
// fact a line, and the connection is closed; nothing is read from it. The
// watcher never waits on an asker: an answer that does not fit the socket
// at once is sent as the asker reads it, and a few such askers at most are
// kept, the oldest dropped for a new one.
#pragma once

#include "platform/idle/hold_source.h"

#include <string>
#include <string_view>
#include <vector>

namespace linesaver::idle {

// The first line of every answer, by which the asking side knows that a
// watcher answers.
inline constexpr std::string_view kStatusHeader = "linesaver-idle status";

// What the watcher knows, one fact a line: the idle source, since when the
// session is idle, the saver's pid, each inhibition (since when, by whom,
// through what, why) and each lock; times are local.
std::vector<std::string> StatusLines(const WatchView& view);

// The hold source "status": it never holds anything.
std::unique_ptr<HoldSource> OpenStatusChannel(std::chrono::milliseconds idleAfter, std::string& whyNot);

} // namespace linesaver::idle
