#include "platform/sdl/sdl_platform.h"

#include "platform/posix/poll_wait.h"
#include "platform/raster/pixel_canvas.h"
#include "platform/sdl/sdl_window.h"
#include "platform/sdl/x11_events.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <SDL.h>

namespace linesaver {
namespace {

std::chrono::steady_clock::time_point Now() { return std::chrono::steady_clock::now(); }

// How long the window may take to reach the screen: a saver nobody sees
// would run on unstoppable by the input it cannot get.
constexpr std::chrono::seconds kShowLimit{1};

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
    if (!platform->LinuxDesktop::Open(error)) return nullptr;
    return platform;
}

bool SdlPlatform::OpenWindows(std::string& error) {
    // SDL waits for the display server without a limit while it opens the
    // window.
    window_ = SdlWindow::Open(error);
    if (!window_) return false;
    displayWatch_ = std::make_unique<DisplayLossWatch>(window_->Handle(), &SdlPlatform::DisplayLost, this);
    x11Events_ = X11Events::Of(window_->Handle());
    return true;
}

void SdlPlatform::CloseAsked() {
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
}

SdlPlatform::~SdlPlatform() {
    StopMusicAndSignals(); // no event is pushed once SDL starts to go
    window_.reset();
}

void SdlPlatform::EndProcess(int status) {
    saver_ = nullptr; // nothing more is delivered
    signals_.Stop();
    if (window_ && !displayLost_) window_->Close();
    ExitProcess(status);
}

EventDesktop::WindowSurface SdlPlatform::Surface() {
    if (!window_) return {};
    return {&window_->Canvas(), double(window_->DisplayWidth()), double(window_->DisplayHeight())};
}

void SdlPlatform::ShowCursor(bool show) {
    if (window_ && !displayLost_) window_->ShowCursor(show);
}

void SdlPlatform::Run(SaverEvents& saver) {
    Begin(saver);
    Loop();
}

void SdlPlatform::Loop() {
    // Only a second copy has no window, and it has ended in Start.
    if (!window_) End(0);
    window_->Show();
    const auto showBy = Now() + kShowLimit;
    for (;;) {
        YieldToEvents();
        // Only what changed since the last look goes to the screen.
        window_->Present();
        Presented();
        if (!window_->Visible() && Now() >= showBy) {
            const std::string why = std::string("the window could not be shown: ") + SDL_GetError();
            Fail(why.c_str());
        }
        WaitForEvents();
    }
}

void SdlPlatform::WaitForEvents() {
    if (!x11Events_) {
        SDL_Event event;
        const bool got = SDL_WaitEventTimeout(&event, MillisecondsToWait()) == 1;
        Looked(); // SDL has just read the display's events
        if (got) Dispatch(event);
        return;
    }
    // What SDL has already taken in is handled before sleeping.
    if (SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0 || x11Events_->Queued()) {
        displayReady_ = true;
        return;
    }
    x11Events_->Flush();
    pollfd fds[2] = {{x11Events_->Socket(), POLLIN, 0}, {signals_.NoticeFd(), POLLIN, 0}};
    PollFor(fds, 2, TimeToNextTimer());
    Looked();
    displayReady_ = fds[0].revents != 0;
    // The signal's quit event waits in SDL's queue.
    if (fds[1].revents != 0) signals_.TakeNotice();
}

void SdlPlatform::ReadEvents() {
    // SDL's queue is emptied without reading the display again for every
    // event, as SDL_PollEvent would. On X11 the display is read only when
    // something has come.
    const bool due = LookDue();
    if (!x11Events_) {
        if (due) SDL_PumpEvents();
    } else if (displayReady_ || x11Events_->Queued() || (due && x11Events_->Pending())) {
        displayReady_ = false;
        SDL_PumpEvents();
    }
    SDL_Event event;
    while (Live() && SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1) Dispatch(event);
}

void SdlPlatform::DisplayLost(void* self) {
    auto& platform = *static_cast<SdlPlatform*>(self);
    platform.displayLost_ = true;
    std::fprintf(stderr, "linesaver: the display has gone\n");
    if (platform.Live()) {
        try {
            platform.saver_->Leave(1);
        } catch (...) {
            // Nothing may cross Xlib; the process ends below all the same.
        }
    }
    platform.End(1);
}

void SdlPlatform::Dispatch(const SDL_Event& event) {
    if (!Live()) return;
    switch (event.type) {
    case SDL_QUIT:
        Deliver([this] { saver_->CloseRequested(); });
        break;
    case SDL_WINDOWEVENT:
        switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
            Deliver([this] { saver_->CloseRequested(); });
            break;
        case SDL_WINDOWEVENT_ENTER:
            enteredXWayland_ = !pointerMoved_ && x11Events_ && x11Events_->OnXWayland();
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            if (window_) window_->ImageDropped(event.window.windowID);
            [[fallthrough]];
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_EXPOSED:
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
        // On XWayland the position that comes with the pointer's first entry
        // may be the server's guess, not where the pointer is: the first
        // position taken is that of the first move.
        if (!pointerMoved_ && enteredXWayland_) {
            enteredXWayland_ = false;
            break;
        }
        pointerMoved_ = true;
        // Positions on the other displays' windows as the animated window
        // sees them, so that a step from one display to the next is its
        // true length.
        const WindowOffset at = window_ ? window_->OffsetOf(event.motion.windowID) : WindowOffset{};
        const double x = (event.motion.x + at.x) * kTwipsPerPixel;
        const double y = (event.motion.y + at.y) * kTwipsPerPixel;
        Deliver([this, x, y] { saver_->MouseMoved(x, y); });
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
        Deliver([this] { saver_->Clicked(); });
        break;
    case SDL_KEYDOWN:
        Deliver([this] { saver_->KeyPressed(); });
        break;
    default:
        break;
    }
}

} // namespace linesaver
