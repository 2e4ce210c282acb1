#include "platform/web/web_platform.h"

#include <emscripten.h>
#include <emscripten/eventloop.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>

namespace linesaver {
namespace {

TimerSchedule::TimePoint Now() { return TimerSchedule::Clock::now(); }

int TimerIndex(TimerId timer) { return timer == TimerId::FrameTick ? 0 : 1; }

// The page shows or hides the pointer over the canvas `view`.
// clang-format off
EM_JS(void, ShowPointer, (int view, bool show), {
    if (Module.linesaverShowPointer) Module.linesaverShowPointer(view, show);
});
// clang-format on

constexpr std::size_t kLongestReason = 200;

} // namespace

std::optional<std::uint64_t> ParseSeed(const std::string& text) {
    if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const unsigned long long seed = std::strtoull(text.c_str(), &end, 10);
    if (*end != '\0' || errno != 0) return std::nullopt;
    return seed;
}

WebPlatform::WebPlatform(const WebScreen& screen, std::optional<std::uint64_t> fixedSeed, const std::string& tracks)
    : screen_(screen), fixedSeed_(fixedSeed),
      canvas_(screen.view, screen.widthPx, screen.heightPx,
              screen.screenWidth > 0 ? screen.widthPx / screen.screenWidth : 1 / kTwipsPerPixel, screen.penPx),
      drive_(tracks) {}

std::uint64_t WebPlatform::ClockSeed() {
    if (fixedSeed_) return *fixedSeed_;
    const auto wall = std::chrono::system_clock::now().time_since_epoch().count();
    const auto mono = std::chrono::steady_clock::now().time_since_epoch().count();
    return static_cast<std::uint64_t>(wall) * 0x9E3779B97F4A7C15ULL ^ static_cast<std::uint64_t>(mono);
}

template <class Handler>
void WebPlatform::Deliver(Handler handler) {
    if (!saver_) return;
    // Fail unwinds this frame without destructors: the reason is kept in
    // a plain array, and the saver leaves outside the catch.
    char reason[kLongestReason] = "";
    try {
        handler();
        return;
    } catch (const std::exception& e) {
        std::snprintf(reason, sizeof reason, "%s", e.what());
    } catch (...) {
        std::snprintf(reason, sizeof reason, "unexpected error");
    }
    Fail(reason);
}

void WebPlatform::Fail(const char* what) {
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

void WebPlatform::Begin(SaverEvents& saver) {
    saver_ = &saver;
    timers_.Set(TimerIndex(TimerId::FrameTick), 10, Now());
    timers_.Set(TimerIndex(TimerId::MusicPoll), 0, Now());
    Deliver([&saver] { saver.Start(); });
}

void WebPlatform::PointerMoved(double xCss, double yCss) {
    Deliver([&] { saver_->MouseMoved(xCss * kTwipsPerPixel, yCss * kTwipsPerPixel); });
}

void WebPlatform::Clicked() {
    Deliver([this] { saver_->Clicked(); });
}

void WebPlatform::KeyPressed() {
    Deliver([this] { saver_->KeyPressed(); });
}

void WebPlatform::CloseRequested() {
    Deliver([this] { saver_->CloseRequested(); });
}

int WebPlatform::RunDueTimers() {
    const auto now = Now();
    for (int timer; saver_ && (timer = timers_.Start(now)) >= 0;) {
        // The handler cannot run again before this returns, so the timer
        // is idle again as soon as its handler is done.
        if (timer == 0)
            Deliver([this] { saver_->FrameTick(); });
        else
            Deliver([this] { saver_->MusicPoll(); });
        timers_.Finish(timer);
    }
    canvas_.Present();
    const auto due = timers_.NextDue();
    if (!saver_ || !due) return -1;
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*due - Now()).count();
    return static_cast<int>(std::max<decltype(wait)>(wait, 0));
}

void WebPlatform::RunTicks(long ticks) {
    // Each tick shown as the clock's ticks are, so that what goes wrong
    // only over many presentations shows here too.
    for (long n = 0; n < ticks && saver_; ++n) {
        Deliver([this] { saver_->FrameTick(); });
        canvas_.Present();
    }
}

void WebPlatform::SetTimerInterval(TimerId timer, int milliseconds) {
    timers_.Set(TimerIndex(timer), milliseconds, Now());
}

void WebPlatform::ShowCursor(bool show) {
    cursorLevel_ += show ? 1 : -1;
    ShowPointer(screen_.view, cursorLevel_ >= 0);
}

void WebPlatform::EndProcess(int status) {
    saver_ = nullptr; // nothing more is delivered
    status_ = status;
    drive_.Close();
    timers_.Set(TimerIndex(TimerId::FrameTick), 0, Now());
    timers_.Set(TimerIndex(TimerId::MusicPoll), 0, Now());
    if (cursorLevel_ < 0) {
        cursorLevel_ = 0;
        ShowPointer(screen_.view, true);
    }
    std::fflush(nullptr);
    emscripten_unwind_to_js_event_loop();
}

} // namespace linesaver
