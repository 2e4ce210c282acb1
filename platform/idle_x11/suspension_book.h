// What holds the X server's screen saver back, as the watcher has seen it
// happen: the clients that suspended it (MIT-SCREEN-SAVER's Suspend, which
// the server counts per client: each True adds one, each False takes one
// away, and a client's end takes all of its away), the screen saver turned
// off while the watcher watches (`xset s off`, which is what
// `xdg-screensaver suspend` does on a bare X session), and a suspension
// made before the watcher started, which shows only as the server's screen
// saver past due and still off.
#pragma once

#include "platform/idle/hold_source.h"

#include <cstdint>
#include <map>
#include <optional>

namespace linesaver::idle {

class SuspensionBook {
public:
    using Time = std::chrono::system_clock::time_point;

    // timeout: the server's screen-saver timeout when the watcher starts, in
    // seconds (0: off).
    explicit SuspensionBook(std::uint32_t timeout) : timeout_(timeout) {}

    // A client's Suspend request with its value; whether the client is new
    // to the book and needs a name (Named). A False from a client that
    // suspended nothing the watcher saw may end a suspension made before it
    // started: that one is taken as ended.
    bool Suspend(std::uint32_t client, std::uint32_t suspend, Time now);
    void Died(std::uint32_t client);
    // The program behind a client; until named, a client's suspension holds
    // but is not reported, so that its text never changes while it holds.
    void Named(std::uint32_t client, const std::string& program);
    bool Suspending() const;

    // The timeout as read after program set it: turned off from on holds
    // the saver back, turned on again lets go.
    void TimeoutSet(std::uint32_t timeout, const std::string& program, Time now);
    std::uint32_t Timeout() const { return timeout_; }

    // What the server said once its screen saver was past due: whether it
    // is still off, held by a suspension.
    void PastDue(bool suspended, Time now);

    void Report(std::vector<Inhibition>& inhibitions) const;

private:
    struct Client {
        std::uint32_t count = 0;
        bool named = false;
        Inhibition inhibition;
    };

    std::map<std::uint32_t, Client> clients_;
    std::uint32_t timeout_;
    std::optional<Inhibition> turnedOff_;
    std::optional<Inhibition> before_;
};

} // namespace linesaver::idle
