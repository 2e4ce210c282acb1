#include "platform/event_loop/event_desktop.h"

#include "platform/fluidsynth/mci_player.h"
#include "platform/posix/dos_files.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <poll.h>

namespace linesaver {
namespace {

TimerSchedule::TimePoint Now() { return TimerSchedule::Clock::now(); }

int TimerIndex(TimerId timer) { return timer == TimerId::FrameTick ? 0 : 1; }

} // namespace

EventDesktop::EventDesktop() = default;

EventDesktop::~EventDesktop() { CloseDrive(); }

void EventDesktop::OpenDrive(const std::string& driveFolder, AudioOutputFactory openOutput) {
    files_ = std::make_unique<DosFiles>(driveFolder);
    player_ = std::make_unique<MciPlayer>(*files_, std::move(openOutput));
}

void EventDesktop::CloseDrive() { player_.reset(); }

std::uint64_t EventDesktop::ClockSeed() {
    // The same animation every time, for measurements: LINESAVER_SEED, a
    // whole number.
    if (const char* fixed = std::getenv("LINESAVER_SEED")) {
        char* end = nullptr;
        errno = 0;
        const unsigned long long seed = std::strtoull(fixed, &end, 10);
        if (*fixed != '\0' && *end == '\0' && errno == 0) return seed;
    }
    const auto wall = std::chrono::system_clock::now().time_since_epoch().count();
    const auto mono = std::chrono::steady_clock::now().time_since_epoch().count();
    return static_cast<std::uint64_t>(wall) * 0x9E3779B97F4A7C15ULL ^ static_cast<std::uint64_t>(mono);
}

void EventDesktop::SetTimerInterval(TimerId timer, int milliseconds) {
    timers_.Set(TimerIndex(timer), milliseconds, Now());
}

void EventDesktop::Begin(SaverEvents& saver) {
    saver_ = &saver;
    timers_.Set(TimerIndex(TimerId::FrameTick), 10, Now());
    timers_.Set(TimerIndex(TimerId::MusicPoll), 0, Now());
}

void EventDesktop::Fail(const char* what) {
    std::fprintf(stderr, "linesaver: %s\n", what);
    if (saver_) {
        try {
            saver_->Leave(1);
        } catch (...) {
            // The leaving sequence itself failed: end without it.
        }
    }
    End(1);
}

void EventDesktop::RunDueTimers() {
    const auto now = Now();
    for (int timer; Live() && (timer = timers_.Start(now)) >= 0;) {
        // Marks the timer idle again however its handler leaves.
        struct Finish {
            TimerSchedule& timers;
            int timer;
            ~Finish() { timers.Finish(timer); }
        } finish{timers_, timer};
        if (timer == 0)
            Deliver([this] { saver_->FrameTick(); });
        else
            Deliver([this] { saver_->MusicPoll(); });
    }
}

int EventDesktop::MillisecondsToWait() const {
    const auto due = timers_.NextDue();
    if (!due) return -1;
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*due - Now()).count();
    return static_cast<int>(std::max<decltype(wait)>(wait, 0));
}

void EventDesktop::SleepOn(pollfd* files, int count) const {
    timespec limit{};
    const timespec* timeout = nullptr;
    if (const auto due = timers_.NextDue()) {
        const auto left = std::max<std::chrono::nanoseconds>(*due - Now(), std::chrono::nanoseconds::zero());
        limit.tv_sec = static_cast<time_t>(left.count() / 1'000'000'000);
        limit.tv_nsec = static_cast<long>(left.count() % 1'000'000'000);
        timeout = &limit;
    }
    while (::ppoll(files, static_cast<nfds_t>(count), timeout, nullptr) < 0 && errno == EINTR) {
    }
}

std::string EventDesktop::FirstFileName(const std::string& pattern) {
    return files_ ? files_->FirstFileName(pattern) : std::string();
}

std::string EventDesktop::NextFileName() { return files_ ? files_->NextFileName() : std::string(); }

bool EventDesktop::RemoveFile(const std::string& path) { return files_ && files_->RemoveFile(path); }

bool EventDesktop::CopyFileTo(const std::string& from, const std::string& to) {
    return files_ && files_->CopyFileTo(from, to);
}

long EventDesktop::SendPlayerCommand(const std::string& command, char* reply, int replyLength) {
    if (player_) return player_->Send(command, reply, replyLength);
    if (reply && replyLength > 0) reply[0] = '\0';
    return 1;
}

} // namespace linesaver
