#include "platform/idle_dbus/inhibition_book.h"

#include <algorithm>

namespace linesaver::idle {

std::uint32_t InhibitionBook::Inhibit(const std::string& caller, const std::string& program, const std::string& reason,
                                      std::chrono::system_clock::time_point now) {
    std::size_t cookies = 0, kinds = 0;
    auto same = kinds_.end();
    for (auto kind = kinds_.begin(); kind != kinds_.end(); ++kind) {
        if (kind->caller != caller) continue;
        cookies += kind->cookies;
        ++kinds;
        if (kind->inhibition.program == program && kind->inhibition.reason == reason) same = kind;
    }
    if (cookies >= kCookiesPerCaller || (same == kinds_.end() && kinds >= kKindsPerCaller)) return 0;
    if (same == kinds_.end()) same = kinds_.insert(kinds_.end(), {caller, {"", program, reason, now}, 0});
    ++same->cookies;
    while (next_ == 0 || cookies_.contains(next_)) ++next_;
    cookies_.emplace(next_, same);
    return next_++;
}

bool InhibitionBook::UnInhibit(const std::string& caller, std::uint32_t cookie) {
    const auto found = cookies_.find(cookie);
    if (found == cookies_.end() || found->second->caller != caller) return false;
    if (--found->second->cookies == 0) kinds_.erase(found->second);
    cookies_.erase(found);
    return true;
}

void InhibitionBook::Forget(const std::string& caller) {
    std::erase_if(cookies_, [&](const auto& cookie) { return cookie.second->caller == caller; });
    kinds_.remove_if([&](const Kind& kind) { return kind.caller == caller; });
}

bool InhibitionBook::Holds(const std::string& caller) const {
    return std::any_of(kinds_.begin(), kinds_.end(), [&](const Kind& kind) { return kind.caller == caller; });
}

void InhibitionBook::Report(const char* interface, std::vector<Inhibition>& inhibitions) const {
    for (const Kind& kind : kinds_) {
        inhibitions.push_back(kind.inhibition);
        inhibitions.back().interface = interface;
    }
}

} // namespace linesaver::idle
