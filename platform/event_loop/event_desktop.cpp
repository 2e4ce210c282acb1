#include "platform/event_loop/event_desktop.h"

#include "platform/raster/pixel_canvas.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace linesaver {
namespace {

TimerSchedule::TimePoint Now() { return TimerSchedule::Clock::now(); }

int TimerIndex(TimerId timer) { return timer == TimerId::FrameTick ? 0 : 1; }

constexpr std::chrono::milliseconds kLookInterval{1};

} // namespace

EventDesktop::EventDesktop(std::string programFolder) : programFolder_(std::move(programFolder)) {}

EventDesktop::~EventDesktop() { CloseDrive(); }

void EventDesktop::OpenDrive(std::unique_ptr<DriveFiles> files, std::unique_ptr<DrivePlayer> player) {
    files_ = std::move(files);
    player_ = std::move(player);
}

void EventDesktop::CloseDrive() { player_.reset(); }

std::optional<std::uint64_t> ParseSeed(const std::string& text) {
    if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const unsigned long long seed = std::strtoull(text.c_str(), &end, 10);
    if (*end != '\0' || errno != 0) return std::nullopt;
    return seed;
}

std::uint64_t EventDesktop::ClockSeed() {
    // The same animation every time, for measurements: LINESAVER_SEED, a
    // whole number.
    if (const char* fixed = std::getenv("LINESAVER_SEED"))
        if (const auto seed = ParseSeed(fixed)) return *seed;
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
    Deliver([&saver] { saver.Start(); });
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

void EventDesktop::YieldToEvents() {
    if (!Live()) return;
    ReadEvents();
    RunDueTimers();
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

std::optional<std::chrono::nanoseconds> EventDesktop::TimeToNextTimer() const {
    const auto due = timers_.NextDue();
    if (!due) return std::nullopt;
    return std::max<std::chrono::nanoseconds>(*due - Now(), std::chrono::nanoseconds::zero());
}

int EventDesktop::MillisecondsToWait() const {
    const auto wait = TimeToNextTimer();
    return wait ? static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(*wait).count()) : -1;
}

bool EventDesktop::LookDue() {
    const auto now = Now();
    if (now - lastLook_ < kLookInterval) return false;
    lastLook_ = now;
    return true;
}

void EventDesktop::Looked() { lastLook_ = Now(); }

double EventDesktop::ScreenWidth() { return Surface().logicalWidth * kTwipsPerPixel; }
double EventDesktop::ScreenHeight() { return Surface().logicalHeight * kTwipsPerPixel; }

void EventDesktop::Clear() {
    if (auto* canvas = Surface().canvas) canvas->Clear();
}

void EventDesktop::Line(float x1, float y1, float x2, float y2, Colour c) {
    if (auto* canvas = Surface().canvas) canvas->Line(x1, y1, x2, y2, c);
}

void EventDesktop::Circle(float x, float y, float r, Colour c) {
    if (auto* canvas = Surface().canvas) canvas->Circle(x, y, r, c);
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
