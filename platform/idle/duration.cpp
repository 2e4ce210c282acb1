#include "platform/idle/duration.h"

namespace linesaver::idle {
namespace {

long long UnitSeconds(char unit) {
    switch (unit) {
    case 's':
        return 1;
    case 'm':
        return 60;
    case 'h':
        return 3600;
    default:
        return 0;
    }
}

} // namespace

std::optional<std::chrono::seconds> ParseDuration(const std::string& text) {
    const long long longest = std::chrono::seconds(kLongestIdleTime).count();
    long long total = 0;
    long long lastUnit = 0; // units must come largest first, each once
    std::size_t i = 0;
    while (i < text.size()) {
        long long number = 0;
        const std::size_t digitsFrom = i;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
            number = number * 10 + (text[i] - '0');
            if (number > longest) return std::nullopt;
        }
        if (i == digitsFrom) return std::nullopt;
        long long unit = 1;
        if (i < text.size()) {
            unit = UnitSeconds(text[i++]);
            if (unit == 0) return std::nullopt;
        } else if (digitsFrom != 0) {
            return std::nullopt; // "1m30": the last number needs its unit
        }
        if (lastUnit != 0 && unit >= lastUnit) return std::nullopt;
        lastUnit = unit;
        total += number * unit;
        if (total > longest) return std::nullopt;
    }
    if (total < kShortestIdleTime.count()) return std::nullopt;
    return std::chrono::seconds(total);
}

std::string FormatDuration(std::chrono::seconds duration) {
    const long long seconds = duration.count();
    if (seconds % 3600 == 0) return std::to_string(seconds / 3600) + "h";
    if (seconds % 60 == 0) return std::to_string(seconds / 60) + "m";
    return std::to_string(seconds) + "s";
}

} // namespace linesaver::idle
