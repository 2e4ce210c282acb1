// The record of what the watcher's own org.freedesktop.ScreenSaver has
// granted: a cookie for each Inhibit, kept until its caller hands it back
// (UnInhibit) or leaves the bus. A cookie is never given twice while it
// holds, and not again until every other number has been given; 0 is never
// given. A caller is limited to a number of cookies and of reasons, so
// that one program cannot make the watcher's memory or its lines grow
// without end.
#pragma once

#include "platform/idle/hold_source.h"

#include <cstdint>
#include <list>
#include <map>
#include <string>

namespace linesaver::idle {

class InhibitionBook {
public:
    static constexpr std::size_t kCookiesPerCaller = 16384;
    // Inhibitions of one caller that differ in program or reason.
    static constexpr std::size_t kKindsPerCaller = 64;

    explicit InhibitionBook(std::uint32_t firstCookie = 1) : next_(firstCookie) {}

    // A new inhibition by caller (its unique bus name) for program and
    // reason: its cookie, or 0 when the caller holds as many as it may.
    std::uint32_t Inhibit(const std::string& caller, const std::string& program, const std::string& reason,
                          std::chrono::system_clock::time_point now);

    // Ends caller's inhibition of that cookie; false (and nothing changed)
    // when caller holds none by that cookie.
    bool UnInhibit(const std::string& caller, std::uint32_t cookie);

    // Ends every inhibition of caller (it has left the bus).
    void Forget(const std::string& caller);

    bool Holds(const std::string& caller) const;

    // Appends what is held, in the order it started, through interface:
    // one inhibition for each caller, program and reason, since the first
    // of its cookies that still holds was given.
    void Report(const char* interface, std::vector<Inhibition>& inhibitions) const;

private:
    struct Kind {
        std::string caller;
        Inhibition inhibition;
        std::size_t cookies;
    };
    using Kinds = std::list<Kind>;

    Kinds kinds_;
    std::map<std::uint32_t, Kinds::iterator> cookies_;
    std::uint32_t next_;
};

} // namespace linesaver::idle
