#include "programs/idle/session_watch.h"

#include "platform/idle/duration.h"
#include "platform/idle/session_instance.h"
#include "platform/idle/watcher.h"
#include "platform/posix/close_signals.h"
#include "programs/idle/idle_backends.h"

#include <unistd.h>

namespace linesaver::idle {
namespace {

// The first source that opens, or nothing with what was tried in whyNot.
std::unique_ptr<IdleSource> OpenSource(const WatcherOptions& options, std::string& whyNot) {
    for (const auto& backend : IdleBackends()) {
        if (!options.backend.empty() && options.backend != backend.name) continue;
        std::string why;
        if (auto source = backend.open(options.idleAfter, why)) return source;
        whyNot += std::string(whyNot.empty() ? "" : ", ") + backend.name + " (" + why + ")";
    }
    return nullptr;
}

// Every hold source that opens; --verbose says why the others did not.
std::vector<std::unique_ptr<HoldSource>> OpenHolds(const WatcherOptions& options) {
    std::vector<std::unique_ptr<HoldSource>> holds;
    for (const auto& backend : HoldBackends()) {
        std::string whyNot;
        if (auto hold = backend.open(options.idleAfter, whyNot))
            holds.push_back(std::move(hold));
        else if (options.verbose)
            Say(std::string("not following ") + backend.name + ": " + whyNot);
    }
    return holds;
}

void SignalReady(int readyFd) {
    if (readyFd >= 0) ::close(readyFd);
}

} // namespace

int WatchSession(const WatcherOptions& options) {
    // Before any source can start a thread, so that every thread has the
    // close signals blocked.
    CloseSignals signals;
    SessionInstance instance;
    if (instance.HeldElsewhere()) {
        Say("another linesaver-idle already watches this session (" + SessionKey() + ")");
        return 1;
    }
    std::string whyNot;
    auto source = OpenSource(options, whyNot);
    if (!source) {
        Say("no idle source: tried " + whyNot);
        return 1;
    }
    auto holds = OpenHolds(options);
    std::string following;
    for (const auto& hold : holds)
        if (const auto what = hold->Describe(); !what.empty())
            following += (following.empty() ? " and following " : ", ") + what;
    Say("watching " + source->Describe() + following + "; the saver starts after " + FormatDuration(options.idleAfter) +
        " idle");
    SignalReady(options.readyFd);
    return Watch(*source, std::move(holds), {options.saverCommand, options.idleAfter, options.verbose}, signals);
}

} // namespace linesaver::idle
