#include "platform/idle/watcher.h"

#include "platform/idle/duration.h"
#include "platform/idle/hold_record.h"
#include "platform/idle/saver_process.h"
#include "platform/idle/watch_policy.h"
#include "platform/posix/close_signals.h"
#include "platform/posix/poll_wait.h"

#include <cerrno>
#include <cstdio>
#include <poll.h>
#include <sys/wait.h>

namespace linesaver::idle {
namespace {

// How long a hold source's end waits for the idle source to say that it
// has ended too.
constexpr std::chrono::milliseconds kSameEndWait{200};

// The poll set: the close signals, the saver, the idle source, then one
// entry a hold source.
constexpr std::size_t kSignals = 0, kSaver = 1, kIdle = 2, kHolds = 3;

class WatchLoop {
public:
    WatchLoop(IdleSource& source, std::vector<std::unique_ptr<HoldSource>> holds, const WatchSettings& settings)
        : source_(source), holds_(std::move(holds)), settings_(settings), record_(holds_.size()),
          fds_(kHolds + holds_.size()) {
        view_.idleSource = source_.Describe();
        view_.holds = &record_;
    }

    // What the source brought; false when it has gone.
    bool ReadSource() {
        changes_.clear();
        std::string why;
        const bool alive = source_.Read(changes_, why);
        for (const IdleChange change : changes_) {
            const bool idle = change == IdleChange::Idle;
            Verbose(idle ? "idle" : "active");
            if (idle)
                view_.idleSince = std::chrono::system_clock::now() - settings_.idleAfter;
            else
                view_.idleSince.reset();
            Act(policy_.On(idle ? WatchEvent::Idle : WatchEvent::Active, WatchClock::now()));
        }
        if (!alive) Say("the idle source has gone: " + why);
        return alive;
    }

    // What a hold source brought; one that has gone is dropped with all it
    // held. False when the idle source has gone with it (a hold source on
    // the same X server or bus): then the idle source's line alone says so.
    // The idle source's own connection may hear of the end a moment later.
    bool ReadHold(std::size_t index) {
        HoldSource* hold = holds_[index].get();
        report_ = record_.Reports()[index];
        std::string why;
        if (!hold->Read(report_, why)) {
            WaitReadable(source_.Fd(), kSameEndWait);
            if (!ReadSource()) return false;
            Say("no longer following " + hold->Describe() + ": " + why);
            report_ = {};
            holds_[index].reset();
        }
        lines_.clear();
        events_.clear();
        record_.Update(index, report_, lines_, events_);
        for (const auto& line : lines_) Verbose(line);
        for (const WatchEvent event : events_) {
            // Reported activity starts the idle time anew, where the source
            // can.
            if (event == WatchEvent::Activity) source_.ResetIdle();
            Act(policy_.On(event, WatchClock::now()));
        }
        return true;
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
        if (action == WatchAction::StopSaver) StopSaver();
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

    // Sleeps until something is ready (or the policy's next wake-up) and
    // returns the poll set; nothing when the sleep failed.
    std::vector<pollfd>* Sleep(int signalFd) {
        view_.saverPid = saver_.Running() ? saver_.Pid() : -1;
        for (auto& hold : holds_)
            if (hold) hold->Seen(view_);
        source_.Flush();
        fds_[kSignals] = {signalFd, POLLIN, 0};
        fds_[kSaver] = {saver_.Fd(), POLLIN, 0};
        fds_[kIdle] = {source_.Fd(), POLLIN, 0};
        for (std::size_t i = 0; i < holds_.size(); ++i) {
            if (holds_[i]) holds_[i]->Flush();
            fds_[kHolds + i] = {holds_[i] ? holds_[i]->Fd() : -1, POLLIN, 0};
        }
        while (::poll(fds_.data(), fds_.size(), Timeout()) < 0)
            if (errno != EINTR) return nullptr;
        return &fds_;
    }

    std::size_t HoldCount() const { return holds_.size(); }

    void StopSaver() {
        if (!saver_.Running()) return;
        Verbose("ending the saver (pid " + std::to_string(saver_.Pid()) + ")");
        saver_.Stop();
    }

private:
    // Milliseconds until the policy's next wake-up, -1 for none.
    int Timeout() const {
        const auto wake = policy_.WakeAt();
        if (!wake) return -1;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(*wake - WatchClock::now());
        return static_cast<int>(std::max<long long>(0, left.count()));
    }

    void Verbose(const std::string& text) const {
        if (settings_.verbose) Say(text);
    }

    IdleSource& source_;
    std::vector<std::unique_ptr<HoldSource>> holds_;
    const WatchSettings& settings_;
    WatchPolicy policy_;
    SaverProcess saver_;
    HoldRecord record_;
    WatchView view_;
    std::vector<pollfd> fds_;
    // Kept between reads, so that a read makes no new lists.
    std::vector<IdleChange> changes_;
    HoldState report_;
    std::vector<std::string> lines_;
    std::vector<WatchEvent> events_;
};

} // namespace

void Say(const std::string& text) { std::fprintf(stderr, "linesaver-idle: %s\n", text.c_str()); }

int Watch(IdleSource& source, std::vector<std::unique_ptr<HoldSource>> holds, const WatchSettings& settings,
          CloseSignals& signals) {
    // Unwatched, SIGTERM would end the watcher and leave its saver running.
    if (!signals.Start([] {})) {
        Say("cannot watch for SIGTERM, SIGINT and SIGHUP");
        return 1;
    }
    WatchLoop loop(source, std::move(holds), settings);
    // What every source knew when it opened: the holds first, so that a
    // session idle already is not taken for free while held.
    for (std::size_t i = 0; i < loop.HoldCount(); ++i)
        if (!loop.ReadHold(i)) return 1;
    if (!loop.ReadSource()) return 1;
    for (;;) {
        const auto* fds = loop.Sleep(signals.NoticeFd());
        if (!fds) {
            Say("cannot wait for events");
            loop.StopSaver();
            return 1;
        }
        if ((*fds)[kSignals].revents != 0) {
            loop.StopSaver();
            return 0;
        }
        bool sourceGone = false;
        for (std::size_t i = 0; i < loop.HoldCount() && !sourceGone; ++i)
            sourceGone = (*fds)[kHolds + i].revents != 0 && !loop.ReadHold(i);
        // A saver that has just ended may have ended because the desktop
        // went away: the source says so before the saver's end is judged.
        if (sourceGone || (((*fds)[kIdle].revents != 0 || (*fds)[kSaver].revents != 0) && !loop.ReadSource())) {
            loop.StopSaver();
            return 1;
        }
        if ((*fds)[kSaver].revents != 0) loop.SaverEnded();
        loop.TimerDue();
    }
}

} // namespace linesaver::idle
