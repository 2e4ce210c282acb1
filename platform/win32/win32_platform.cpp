#include "platform/win32/win32_platform.h"

#include "platform/desktop.h"
#include "platform/raster/pixel_canvas.h"
#include "platform/win32/mci_player.h"
#include "platform/win32/win32_files.h"

#include <windows.h>
#include <mmsystem.h>
// windows.h names a function of its own OpenDesktop (OpenDesktopW).
#undef OpenDesktop

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>

namespace linesaver {
namespace {

TimerSchedule::TimePoint Now() { return TimerSchedule::Clock::now(); }

// How often a yield reads the thread's message queue: the yields of a tick
// come microseconds apart.
constexpr std::chrono::milliseconds kLookInterval{1};

int TimerIndex(TimerId timer) { return timer == TimerId::FrameTick ? 0 : 1; }

} // namespace

std::unique_ptr<Win32Platform> Win32Platform::Open(std::string& error) {
    std::unique_ptr<Win32Platform> platform(new Win32Platform());
    // A second copy ends at start-up: no window, the cursor untouched.
    if (platform->instance_.HeldElsewhere()) return platform;
    platform->window_ = Win32Window::Open(*platform, error);
    if (!platform->window_) return nullptr;
    // Without a private drive there is nowhere to put the music's copy:
    // the saver then runs silent.
    if (auto drive = PrivateDrive()) {
        platform->files_ = std::make_unique<Win32Files>(*drive);
        platform->player_ = std::make_unique<MciPlayer>(*drive);
    }
    return platform;
}

std::unique_ptr<Desktop> OpenDesktop(std::string& error) { return Win32Platform::Open(error); }

Win32Platform::Win32Platform() : programFolder_(ProgramFolderPath()) {}

Win32Platform::~Win32Platform() {
    if (fineTimer_) ::timeEndPeriod(1);
}

void Win32Platform::EndProcess(int status) {
    saver_ = nullptr; // nothing more is delivered
    if (window_) window_->Close();
    if (fineTimer_) ::timeEndPeriod(1);
    std::fflush(nullptr);
    std::_Exit(status);
}

std::uint64_t Win32Platform::ClockSeed() {
    const auto wall = std::chrono::system_clock::now().time_since_epoch().count();
    const auto mono = std::chrono::steady_clock::now().time_since_epoch().count();
    return static_cast<std::uint64_t>(wall) * 0x9E3779B97F4A7C15ULL ^ static_cast<std::uint64_t>(mono);
}

double Win32Platform::ScreenWidth() { return window_ ? window_->LogicalWidth() * kTwipsPerPixel : 0; }
double Win32Platform::ScreenHeight() { return window_ ? window_->LogicalHeight() * kTwipsPerPixel : 0; }

void Win32Platform::Clear() {
    if (window_) window_->Canvas().Clear();
}

void Win32Platform::Line(float x1, float y1, float x2, float y2, Colour c) {
    if (window_) window_->Canvas().Line(x1, y1, x2, y2, c);
}

void Win32Platform::Circle(float x, float y, float r, Colour c) {
    if (window_) window_->Canvas().Circle(x, y, r, c);
}

void Win32Platform::ShowCursor(bool show) {
    if (window_) window_->ShowCursor(show);
}

void Win32Platform::SetTimerInterval(TimerId timer, int milliseconds) {
    timers_.Set(TimerIndex(timer), milliseconds, Now());
}

void Win32Platform::Run(SaverEvents& saver) {
    saver_ = &saver;
    // The frame tick first comes after 10 ms; the music poll waits until
    // the saver sets it. Waits end on the millisecond while the saver runs.
    fineTimer_ = ::timeBeginPeriod(1) == TIMERR_NOERROR;
    timers_.Set(TimerIndex(TimerId::FrameTick), 10, Now());
    timers_.Set(TimerIndex(TimerId::MusicPoll), 0, Now());
    Deliver([&saver] { saver.Start(); });
    Loop();
}

template <class Handler>
void Win32Platform::Deliver(Handler handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        Fail(e.what());
    } catch (...) {
        Fail("unexpected error");
    }
}

void Win32Platform::Fail(const char* what) {
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

void Win32Platform::Loop() {
    // Only a second copy has no window, and it has ended in Start.
    if (!window_) End(0);
    window_->Show();
    for (;;) {
        YieldToEvents();
        // Only what changed since the last look goes to the screen.
        window_->Present();
        DWORD timeout = INFINITE;
        if (auto due = timers_.NextDue()) {
            const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*due - Now()).count();
            timeout = static_cast<DWORD>(std::max<decltype(wait)>(wait, 0));
        }
        ::MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        lastLook_ = {}; // something may have come: look now
    }
}

void Win32Platform::YieldToEvents() {
    if (!Live()) return;
    PumpMessages();
    RunDueTimers();
}

void Win32Platform::PumpMessages() {
    const auto now = Now();
    if (now - lastLook_ < kLookInterval) return;
    lastLook_ = now;
    MSG message;
    while (Live() && ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            Deliver([this] { saver_->CloseRequested(); });
            continue;
        }
        ::DispatchMessageW(&message);
    }
}

void Win32Platform::RunDueTimers() {
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

// Called from the window procedure: every handler's error is caught in
// Deliver, so nothing crosses it.
void Win32Platform::PointerMoved(double x, double y) {
    if (Live()) Deliver([this, x, y] { saver_->MouseMoved(x, y); });
}
void Win32Platform::ButtonPressed() {
    if (Live()) Deliver([this] { saver_->Clicked(); });
}
void Win32Platform::KeyPressed() {
    if (Live()) Deliver([this] { saver_->KeyPressed(); });
}
void Win32Platform::CloseRequested() {
    if (Live()) Deliver([this] { saver_->CloseRequested(); });
}

std::string Win32Platform::FirstFileName(const std::string& pattern) {
    return files_ ? files_->FirstFileName(pattern) : std::string();
}
std::string Win32Platform::NextFileName() { return files_ ? files_->NextFileName() : std::string(); }
bool Win32Platform::RemoveFile(const std::string& path) { return files_ && files_->RemoveFile(path); }

bool Win32Platform::CopyFileTo(const std::string& from, const std::string& to) {
    return files_ && files_->CopyFileTo(from, to);
}

long Win32Platform::SendPlayerCommand(const std::string& command, char* reply, int replyLength) {
    if (player_) return player_->Send(command, reply, replyLength);
    if (reply && replyLength > 0) reply[0] = '\0';
    return 1;
}

} // namespace linesaver
