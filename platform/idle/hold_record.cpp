#include "platform/idle/hold_record.h"

#include <algorithm>

namespace linesaver::idle {
namespace {

// Each of from's items that in lacks, counting repeated ones one by one.
template <class Item>
std::vector<const Item*> Lacking(const std::vector<Item>& from, const std::vector<Item>& in) {
    std::vector<const Item*> lacking;
    std::vector<bool> matched(in.size());
    for (const Item& item : from) {
        std::size_t i = 0;
        while (i < in.size() && (matched[i] || !(in[i] == item))) ++i;
        if (i < in.size())
            matched[i] = true;
        else
            lacking.push_back(&item);
    }
    return lacking;
}

} // namespace

std::string DescribeInhibition(const Inhibition& inhibition) {
    std::string text =
        inhibition.program.empty() ? inhibition.interface : inhibition.program + " through " + inhibition.interface;
    return inhibition.reason.empty() ? text : text + ": " + inhibition.reason;
}

bool HoldRecord::Held() const {
    return std::any_of(reports_.begin(), reports_.end(), [](const HoldState& r) { return !r.inhibitions.empty(); });
}

bool HoldRecord::Locked() const {
    return std::any_of(reports_.begin(), reports_.end(), [](const HoldState& r) { return !r.locks.empty(); });
}

void HoldRecord::Update(std::size_t source, const HoldState& report, std::vector<std::string>& lines,
                        std::vector<WatchEvent>& events) {
    HoldState& last = reports_[source];
    for (const auto* ended : Lacking(last.inhibitions, report.inhibitions))
        lines.push_back("no longer held back by " + DescribeInhibition(*ended));
    for (const auto* started : Lacking(report.inhibitions, last.inhibitions))
        lines.push_back("held back by " + DescribeInhibition(*started));
    for (const auto* ended : Lacking(last.locks, report.locks)) lines.push_back("no longer locked by " + *ended);
    for (const auto* started : Lacking(report.locks, last.locks)) lines.push_back("locked by " + *started);
    if (report.activity > last.activity) {
        lines.push_back("activity reported by a program");
        events.push_back(WatchEvent::Activity);
    }
    const bool wasHeld = Held(), wasLocked = Locked();
    last = report;
    if (Locked() != wasLocked) events.push_back(wasLocked ? WatchEvent::Unlocked : WatchEvent::Locked);
    if (Held() != wasHeld) events.push_back(wasHeld ? WatchEvent::Released : WatchEvent::Held);
}

} // namespace linesaver::idle
