// The one record the idle watcher keeps of what holds the saver back: every
// hold source's last report, the lines --verbose prints as inhibitions and
// locks come and go, and the policy's events they bring.
#pragma once

#include "platform/idle/hold_source.h"
#include "platform/idle/watch_policy.h"

#include <string>
#include <vector>

namespace linesaver::idle {

class HoldRecord {
public:
    explicit HoldRecord(std::size_t sources) : reports_(sources) {}

    // Takes source's new report (an empty one for a source that has gone),
    // appending a line for each inhibition and lock that started or ended,
    // and the events for the policy: Held and Released as the first
    // inhibition of any source starts and the last ends, Locked and
    // Unlocked likewise, and Activity for reported activity.
    void Update(std::size_t source, const HoldState& report, std::vector<std::string>& lines,
                std::vector<WatchEvent>& events);

    bool Held() const;
    bool Locked() const;
    // Every source's last report, in the order of the sources.
    const std::vector<HoldState>& Reports() const { return reports_; }

private:
    std::vector<HoldState> reports_;
};

// "firefox through org.freedesktop.ScreenSaver: playing a video".
std::string DescribeInhibition(const Inhibition& inhibition);

} // namespace linesaver::idle
