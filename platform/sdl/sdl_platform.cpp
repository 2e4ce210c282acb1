#include "platform/sdl/sdl_platform.h"

#include "platform/raster/cairo_canvas.h"
#include "platform/posix/dos_files.h"
#include "platform/fluidsynth/mci_player.h"
#include "platform/sdl/sdl_audio.h"
#include "platform/posix/program_folder.h"
#include "platform/posix/runtime_dir.h"
#include "platform/sdl/sdl_window.h"

#include <SDL.h>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace linesaver {
namespace {

// The reason a close request gives: the user closed the window, or the
// session (a signal) asked the program to end.
constexpr int kUnloadFromWindow = 0;
constexpr int kUnloadFromSession = 2;

std::string LockPath() {
    auto dir = RuntimeDir();
    return dir ? *dir + "/instance.lock" : std::string();
}

TimerSchedule::TimePoint Now() { return TimerSchedule::Clock::now(); }

// How often a yield reads the display's events.
constexpr std::chrono::milliseconds kLookInterval{1};

int TimerIndex(TimerId timer) { return timer == TimerId::Timer1 ? 0 : 1; }

// Modifier state as the handlers take it: 1 shift, 2 control, 4 alt.
int ShiftState(Uint16 mod) {
    return ((mod & KMOD_SHIFT) ? 1 : 0) | ((mod & KMOD_CTRL) ? 2 : 0) | ((mod & KMOD_ALT) ? 4 : 0);
}

// Button state as the handlers take it: 1 left, 2 right, 4 middle.
int ButtonState(Uint32 state) {
    return ((state & SDL_BUTTON_LMASK) ? 1 : 0) | ((state & SDL_BUTTON_RMASK) ? 2 : 0) |
           ((state & SDL_BUTTON_MMASK) ? 4 : 0);
}

// A key code in the style of the handlers: letters as capitals, other
// printable keys as their character, the rest 0.
int KeyCode(SDL_Keycode key) {
    if (key >= 'a' && key <= 'z') return static_cast<int>(key - 'a' + 'A');
    return key > 0 && key < 128 ? static_cast<int>(key) : 0;
}

// When the pointer leaves a window, SDL reports one more move there, with
// the position pulled in to the window's edge, just before the leave. That
// edge is not where the pointer went (the next window's move says where),
// and taking it would split a step from one display to the next in two.
bool EdgeBeforeLeave(const SDL_MouseMotionEvent& motion) {
    SDL_Event next;
    if (SDL_PeepEvents(&next, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) != 1 || next.type != SDL_WINDOWEVENT ||
        next.window.event != SDL_WINDOWEVENT_LEAVE || next.window.windowID != motion.windowID)
        return false;
    int w = 0;
    int h = 0;
    SDL_GetWindowSize(SDL_GetWindowFromID(motion.windowID), &w, &h);
    return motion.x <= 0 || motion.y <= 0 || motion.x >= w - 1 || motion.y >= h - 1;
}

} // namespace

std::unique_ptr<SdlPlatform> SdlPlatform::Open(std::string& error) {
    std::unique_ptr<SdlPlatform> platform(new SdlPlatform());
    // A second copy ends at start-up: no window, the cursor untouched.
    if (platform->lock_.HeldElsewhere()) return platform;
    if (!platform->OpenDisplay(error)) return nullptr;
    return platform;
}

SdlPlatform::SdlPlatform() : lock_(LockPath()), appPath_(ProgramFolder()) {}

bool SdlPlatform::OpenDisplay(std::string& error) {
    window_ = SdlWindow::Open(error);
    if (!window_) return false;
    displayWatch_ = std::make_unique<DisplayLossWatch>(window_->Handle(), &SdlPlatform::DisplayLost, this);
    // Without a private drive there is nowhere to put the music's copy:
    // the saver then runs silent.
    if (auto drive = RuntimeSubdir("c")) {
        files_ = std::make_unique<DosFiles>(*drive);
        player_ = std::make_unique<MciPlayer>(*files_, MakeSdlAudioOutput);
    }
    signals_.Start([] {
        SDL_Event quit{};
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
    });
    return true;
}

SdlPlatform::~SdlPlatform() {
    player_.reset(); // the music stops while SDL's audio is still there
    signals_.Stop(); // no event is pushed once SDL starts to go
    window_.reset();
}

void SdlPlatform::CloseWindow() {
    signals_.Stop();
    if (window_) window_->Close();
}

std::uint64_t SdlPlatform::ClockSeed() {
    const auto wall = std::chrono::system_clock::now().time_since_epoch().count();
    const auto mono = std::chrono::steady_clock::now().time_since_epoch().count();
    return static_cast<std::uint64_t>(wall) * 0x9E3779B97F4A7C15ULL ^ static_cast<std::uint64_t>(mono);
}

double SdlPlatform::ScreenWidth() { return window_ ? window_->DisplayWidth() * kTwipsPerPixel : 0; }
double SdlPlatform::ScreenHeight() { return window_ ? window_->DisplayHeight() * kTwipsPerPixel : 0; }

void SdlPlatform::Cls() {
    if (window_ && !ended_) window_->Canvas().Clear();
}

void SdlPlatform::Line(float x1, float y1, float x2, float y2, Colour c) {
    if (window_ && !ended_) window_->Canvas().Line(x1, y1, x2, y2, c);
}

void SdlPlatform::Circle(float x, float y, float r, Colour c) {
    if (window_ && !ended_) window_->Canvas().Circle(x, y, r, c);
}

void SdlPlatform::ShowCursor(bool show) {
    if (window_ && !displayLost_) window_->ShowCursor(show);
}

void SdlPlatform::SetTimerInterval(TimerId timer, int milliseconds) {
    timers_.Set(TimerIndex(timer), milliseconds, Now());
}

void SdlPlatform::Start(FormHandlers& form) {
    form_ = &form;
    // The timers as the window is designed: Timer1 at 10 ms, Timer2 off.
    timers_.Set(TimerIndex(TimerId::Timer1), 10, Now());
    timers_.Set(TimerIndex(TimerId::Timer2), 0, Now());
}

void SdlPlatform::Loop() {
    // Only a second copy has no window, and it has ended in Form_Load.
    if (!window_) End();
    window_->Show();
    for (;;) {
        DoEvents();
        // Only what changed since the last look goes to the screen.
        window_->Present();
        if (presented_) presented_();
        int timeout = -1;
        if (auto due = timers_.NextDue()) {
            const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*due - Now()).count();
            timeout = static_cast<int>(std::max<decltype(wait)>(wait, 0));
        }
        SDL_Event event;
        const bool got = SDL_WaitEventTimeout(&event, timeout) == 1;
        lastLook_ = Now(); // SDL has just read the display's events
        if (got) Dispatch(event);
    }
}

void SdlPlatform::DoEvents() {
    if (!Live()) return;
    PumpEvents();
    RunDueTimers();
}

void SdlPlatform::PumpEvents() {
    // The yields of a tick come microseconds apart: the display is read at
    // most once a millisecond, and SDL's queue is emptied without reading
    // the display again for every event, as SDL_PollEvent would.
    if (const auto now = Now(); now - lastLook_ >= kLookInterval) {
        SDL_PumpEvents();
        lastLook_ = now;
    }
    SDL_Event event;
    while (Live() && SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1) Dispatch(event);
}

void SdlPlatform::RunDueTimers() {
    const auto now = Now();
    for (int timer; Live() && (timer = timers_.Start(now)) >= 0;) {
        // Marks the timer idle again however its handler leaves.
        struct Finish {
            TimerSchedule& timers;
            int timer;
            ~Finish() { timers.Finish(timer); }
        } finish{timers_, timer};
        if (timer == 0)
            form_->Timer1_Timer();
        else
            form_->Timer2_Timer();
    }
}

void SdlPlatform::DisplayLost(void* self) {
    auto& pf = *static_cast<SdlPlatform*>(self);
    pf.displayLost_ = true;
    if (pf.Live()) {
        try {
            pf.QueryUnload(kUnloadFromSession);
        } catch (const EndProgram&) {
            // The saver has left; the exception must not cross Xlib.
        }
    }
    std::fprintf(stderr, "linesaver: the display has gone\n");
    std::_Exit(1);
}

void SdlPlatform::QueryUnload(int unloadMode) {
    int cancel = 0;
    form_->Form_QueryUnload(cancel, unloadMode);
}

void SdlPlatform::Dispatch(const SDL_Event& event) {
    if (!Live()) return;
    switch (event.type) {
    case SDL_QUIT:
        QueryUnload(kUnloadFromSession);
        break;
    case SDL_WINDOWEVENT:
        switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
            QueryUnload(kUnloadFromWindow);
            break;
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_FOCUS_GAINED:
        case SDL_WINDOWEVENT_FOCUS_LOST:
            if (window_) window_->Repaint(event.window.windowID);
            break;
        default:
            break;
        }
        break;
    case SDL_MOUSEMOTION: {
        if (EdgeBeforeLeave(event.motion)) break;
        // Positions on the other displays' windows as the animated window
        // sees them, so that a step from one display to the next is its
        // true length.
        const WindowOffset at = window_ ? window_->OffsetOf(event.motion.windowID) : WindowOffset{};
        form_->Form_MouseMove(ButtonState(event.motion.state), ShiftState(SDL_GetModState()),
                              (event.motion.x + at.x) * kTwipsPerPixel, (event.motion.y + at.y) * kTwipsPerPixel);
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
        form_->Form_Click();
        break;
    case SDL_KEYDOWN:
        form_->Form_KeyDown(KeyCode(event.key.keysym.sym), ShiftState(event.key.keysym.mod));
        break;
    default:
        break;
    }
}

std::string SdlPlatform::Dir(const std::string& pattern) { return files_ ? files_->Dir(pattern) : std::string(); }
std::string SdlPlatform::DirNext() { return files_ ? files_->DirNext() : std::string(); }
bool SdlPlatform::Kill(const std::string& path) { return files_ && files_->Kill(path); }

bool SdlPlatform::FileCopy(const std::string& from, const std::string& to) {
    return files_ && files_->FileCopy(from, to);
}

long SdlPlatform::MciSendString(const std::string& command, char* reply, int replyLength) {
    if (player_) return player_->Send(command, reply, replyLength);
    if (reply && replyLength > 0) reply[0] = '\0';
    return 1;
}

} // namespace linesaver
