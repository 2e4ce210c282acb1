// The idle time given on the command line: "300s", "5m", "1h", "1h30m",
// or a plain number of seconds.
#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace linesaver::idle {

inline constexpr std::chrono::seconds kShortestIdleTime{1};
inline constexpr std::chrono::hours kLongestIdleTime{24};

// The time text names, from one second to a day; nothing for anything
// else (no number, an unknown unit, signs, spaces, zero, too long).
std::optional<std::chrono::seconds> ParseDuration(const std::string& text);

// The shortest text ParseDuration reads back as the same time: "5m",
// "90s", "2h".
std::string FormatDuration(std::chrono::seconds duration);

} // namespace linesaver::idle
