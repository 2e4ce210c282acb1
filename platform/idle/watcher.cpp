#include "platform/idle/watcher.h"

#include "platform/idle/duration.h"
#include "platform/idle/saver_process.h"
#include "platform/idle/watch_policy.h"
#include "platform/posix/close_signals.h"

#include <cerrno>
#include <cstdio>
#include <poll.h>
#include <sys/wait.h>

namespace linesaver::idle {
namespace {

class WatchLoop {
public:
    WatchLoop(IdleSource& source, const WatchSettings& settings) : source_(source), settings_(settings) {}

    // What the source brought; false when it has gone.
    bool ReadSource() {
        changes_.clear();
        std::string why;
        const bool alive = source_.Read(changes_, why);
        for (const IdleChange change : changes_) {
            const bool idle = change == IdleChange::Idle;
            Verbose(idle ? "idle" : "active");
            Act(policy_.On(idle ? WatchEvent::Idle : WatchEvent::Active, WatchClock::now()));
        }
        if (!alive) Say("the idle source has gone: " + why);
        return alive;
    }

    void SaverEnded() {
        const int status = saver_.Reap();
        if (status < 0) return;
        const bool success = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        policy_.On(success ? WatchEvent::SaverEnded : WatchEvent::SaverFaulted, WatchClock::now());
        if (policy_.LastEndFailed())
            Say("the saver ended at once with " + DescribeEnd(status) + "; trying again in " +
                FormatDuration(policy_.BackOff()) + " at the soonest");
        else
            Verbose("the saver ended with " + DescribeEnd(status));
    }

    void Act(WatchAction action) {
        if (action != WatchAction::StartSaver) return;
        std::string error;
        if (!saver_.Start(settings_.saverCommand, error)) {
            policy_.On(WatchEvent::SaverFailed, WatchClock::now());
            Say(error + "; trying again in " + FormatDuration(policy_.BackOff()) + " at the soonest");
            return;
        }
        policy_.On(WatchEvent::SaverStarted, WatchClock::now());
        Verbose("started the saver (pid " + std::to_string(saver_.Pid()) + ")");
    }

    void TimerDue() {
        const auto wake = policy_.WakeAt();
        if (wake && WatchClock::now() >= *wake) Act(policy_.On(WatchEvent::Timer, WatchClock::now()));
    }

    // Milliseconds until the policy's next wake-up, -1 for none.
    int Timeout() const {
        const auto wake = policy_.WakeAt();
        if (!wake) return -1;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(*wake - WatchClock::now());
        return static_cast<int>(std::max<long long>(0, left.count()));
    }

    int SaverFd() const { return saver_.Fd(); }

    void StopSaver() {
        if (!saver_.Running()) return;
        Verbose("ending the saver (pid " + std::to_string(saver_.Pid()) + ")");
        saver_.Stop();
    }

private:
    void Verbose(const std::string& text) const {
        if (settings_.verbose) Say(text);
    }

    IdleSource& source_;
    const WatchSettings& settings_;
    WatchPolicy policy_;
    SaverProcess saver_;
    std::vector<IdleChange> changes_;
};

} // namespace

void Say(const std::string& text) { std::fprintf(stderr, "linesaver-idle: %s\n", text.c_str()); }

int Watch(IdleSource& source, const WatchSettings& settings, CloseSignals& signals) {
    // Unwatched, SIGTERM would end the watcher and leave its saver running.
    if (!signals.Start([] {})) {
        Say("cannot watch for SIGTERM, SIGINT and SIGHUP");
        return 1;
    }
    WatchLoop loop(source, settings);
    // What the source knew when it opened (the session may be idle already).
    if (!loop.ReadSource()) return 1;
    for (;;) {
        source.Flush();
        pollfd fds[3] = {{source.Fd(), POLLIN, 0}, {signals.NoticeFd(), POLLIN, 0}, {loop.SaverFd(), POLLIN, 0}};
        const int ready = ::poll(fds, 3, loop.Timeout());
        if (ready < 0) {
            if (errno == EINTR) continue;
            Say("cannot wait for events");
            loop.StopSaver();
            return 1;
        }
        if (fds[1].revents != 0) {
            loop.StopSaver();
            return 0;
        }
        // A saver that has just ended may have ended because the desktop
        // went away: the source says so before the saver's end is judged.
        if ((fds[0].revents != 0 || fds[2].revents != 0) && !loop.ReadSource()) {
            loop.StopSaver();
            return 1;
        }
        if (fds[2].revents != 0) loop.SaverEnded();
        loop.TimerDue();
    }
}

} // namespace linesaver::idle
