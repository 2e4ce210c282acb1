#include "platform/idle_x11/suspension_book.h"

#include <algorithm>

namespace linesaver::idle {
namespace {

constexpr const char* kSuspend = "XScreenSaverSuspend";

} // namespace

bool SuspensionBook::Suspend(std::uint32_t client, std::uint32_t suspend, Time now) {
    const auto found = clients_.find(client);
    if (found == clients_.end()) {
        if (suspend == 0) {
            before_.reset();
            return false;
        }
        clients_[client] = {1, false, {kSuspend, "", "", now}};
        return true;
    }
    if (suspend != 0)
        ++found->second.count;
    else if (--found->second.count == 0)
        clients_.erase(found);
    return false;
}

void SuspensionBook::Died(std::uint32_t client) { clients_.erase(client); }

void SuspensionBook::Named(std::uint32_t client, const std::string& program) {
    if (const auto found = clients_.find(client); found != clients_.end()) {
        found->second.named = true;
        found->second.inhibition.program = program;
    }
}

bool SuspensionBook::Suspending() const { return !clients_.empty(); }

void SuspensionBook::TimeoutSet(std::uint32_t timeout, const std::string& program, Time now) {
    if (timeout == 0 && timeout_ != 0)
        turnedOff_ = Inhibition{"the X server's screen saver", program, "turned off", now};
    if (timeout != 0) turnedOff_.reset();
    timeout_ = timeout;
}

void SuspensionBook::PastDue(bool suspended, Time now) {
    if (!suspended)
        before_.reset();
    else if (!before_ && !Suspending())
        before_ = Inhibition{kSuspend, "", "by a client that did so before the watcher started", now};
}

void SuspensionBook::Report(std::vector<Inhibition>& inhibitions) const {
    for (const auto& [id, client] : clients_)
        if (client.named) inhibitions.push_back(client.inhibition);
    if (turnedOff_) inhibitions.push_back(*turnedOff_);
    if (before_) inhibitions.push_back(*before_);
}

} // namespace linesaver::idle
