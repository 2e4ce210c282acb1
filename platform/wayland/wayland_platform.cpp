#include "platform/wayland/wayland_platform.h"

#include "platform/posix/poll_wait.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <poll.h>

namespace linesaver {
namespace {

// How long the compositor may take to answer at start-up and give the
// animated window its size: a saver nobody sees would run on, unstoppable
// by the input it cannot get.
constexpr std::chrono::seconds kAnswerLimit{5};
// How long the compositor may take to give the animated window its
// output's size once it shows.
constexpr std::chrono::milliseconds kSettleLimit{500};
// How long a frame tick waits for the compositor to let a buffer go before
// the picture takes a buffer more.
constexpr std::chrono::milliseconds kReleaseWait{15};

} // namespace

std::unique_ptr<WaylandPlatform> WaylandPlatform::Open(std::string& error) {
    std::unique_ptr<WaylandPlatform> platform(new WaylandPlatform());
    if (!platform->LinuxDesktop::Open(error)) return nullptr;
    return platform;
}

bool WaylandPlatform::OpenWindows(std::string& error) {
    const auto deadline = std::chrono::steady_clock::now() + kAnswerLimit;
    display_ = WaylandDisplay::Connect(deadline, *this, error);
    if (display_) screens_ = WaylandScreens::Open(*display_, deadline, error);
    return screens_ != nullptr;
}

WaylandPlatform::~WaylandPlatform() {
    StopMusicAndSignals(); // nothing is asked of the loop once the windows go
    screens_.reset();
    display_.reset();
}

void WaylandPlatform::EndProcess(int status) {
    saver_ = nullptr; // nothing more is delivered
    signals_.Stop();
    if (screens_ && !displayLost_) {
        screens_->Close();
        display_->Flush();
    }
    ExitProcess(status);
}

EventDesktop::WindowSurface WaylandPlatform::Surface() {
    if (!screens_) return {};
    // The saver's pixels are the output's device pixels.
    return {&screens_->Canvas(), double(screens_->Width()), double(screens_->Height())};
}

void WaylandPlatform::Run(SaverEvents& saver) {
    if (screens_) {
        // The windows show black before the saver starts, so that it starts
        // at the size they keep: a compositor may give the animated window
        // its output's size only once it shows.
        screens_->Show();
        std::string error;
        for (int look = 0; look < 2; ++look) {
            if (screens_->Present(error) == WaylandScreens::Outcome::Failed) Fail(error.c_str());
            if (look == 0)
                display_->DispatchUntil([this] { return screens_->Settled(); },
                                        std::chrono::steady_clock::now() + kSettleLimit, error);
            if (wl_display_get_error(display_->Handle()) != 0) DisplayLost();
        }
    }
    Begin(saver);
    Loop();
}

void WaylandPlatform::Loop() {
    // Only a second copy has no windows, and it has ended in Start.
    if (!screens_) End(0);
    for (;;) {
        YieldToEvents();
        std::string error;
        switch (screens_->Present(error)) {
        case WaylandScreens::Outcome::Failed:
            Fail(error.c_str());
        case WaylandScreens::Outcome::Resized:
            // A new run from the beginning at the new size.
            Deliver([this] { saver_->WindowResized(); });
            break;
        case WaylandScreens::Outcome::Presented:
            break;
        }
        Presented();
        WaitForEvents();
    }
}

void WaylandPlatform::WaitForEvents() {
    wl_display* display = display_->Handle();
    // What has been read already is handled before sleeping.
    if (wl_display_prepare_read(display) != 0) {
        displayReady_ = true;
        return;
    }
    const bool sent = display_->Flush();
    if (!sent && errno != EAGAIN) {
        wl_display_cancel_read(display);
        DisplayLost();
    }
    pollfd fds[2] = {{display_->Fd(), static_cast<short>(sent ? POLLIN : POLLIN | POLLOUT), 0},
                     {signals_.NoticeFd(), POLLIN, 0}};
    PollFor(fds, 2, TimeToNextTimer());
    Looked();
    if (fds[0].revents & (POLLIN | POLLERR | POLLHUP)) {
        if (wl_display_read_events(display) < 0) DisplayLost();
        displayReady_ = true;
    } else {
        wl_display_cancel_read(display);
    }
}

void WaylandPlatform::ReadEvents() {
    if (closeSignalled_.exchange(false)) {
        signals_.TakeNotice();
        Deliver([this] { saver_->CloseRequested(); });
    }
    if (!display_) return;
    if (LookDue() || displayReady_) {
        displayReady_ = false;
        if (!display_->ReadAndDispatch()) DisplayLost();
        FollowWindows();
    }
    KeepDrawable();
}

void WaylandPlatform::KeepDrawable() {
    if (!screens_ || screens_->Settle(false)) return;
    const auto wait = TimeToNextTimer();
    if (!wait || wait->count() > 0) return; // the release wakes the loop first
    // A tick is due while the buffer the canvas moves to next is still the
    // compositor's: the tick waits for its release, briefly.
    std::string unused;
    display_->DispatchUntil([this] { return screens_->Settle(false); }, std::chrono::steady_clock::now() + kReleaseWait,
                            unused);
    if (wl_display_get_error(display_->Handle()) != 0) DisplayLost();
    FollowWindows();
    screens_->Settle(true);
}

void WaylandPlatform::FollowWindows() {
    if (!screens_) return;
    if (screens_->CloseAsked()) Deliver([this] { saver_->CloseRequested(); });
    if (Live() && screens_->PrimaryGone()) {
        // Not an error: the screen it was shown on went away.
        std::fprintf(stderr, "linesaver: the output it showed on has gone\n");
        Deliver([this] { saver_->Leave(0); });
    }
}

void WaylandPlatform::DisplayLost() {
    displayLost_ = true;
    std::fprintf(stderr, "linesaver: %s\n", display_->Failure().c_str());
    if (Live()) {
        try {
            saver_->Leave(1);
        } catch (...) {
            // The process ends below all the same.
        }
    }
    End(1);
}

void WaylandPlatform::PointerMoved(wl_surface* surface, double x, double y) {
    // Positions on the other outputs' windows as the animated window sees
    // them, so that a step from one output to the next is its true length.
    // They are logical pixels, the unit a mouse moves the pointer in at
    // every scale: the step that ends the saver is the same hand movement
    // as on X11.
    const auto offset = screens_ ? screens_->OffsetOf(surface) : std::nullopt;
    if (!offset) return;
    const double twipsX = (x + offset->x) * kTwipsPerPixel;
    const double twipsY = (y + offset->y) * kTwipsPerPixel;
    Deliver([this, twipsX, twipsY] { saver_->MouseMoved(twipsX, twipsY); });
}

void WaylandPlatform::ShowCursor(bool show) {
    cursorLevel_ += show ? 1 : -1;
    if (display_ && CursorHidden()) display_->HideCursors();
}

void WaylandPlatform::Clicked() {
    Deliver([this] { saver_->Clicked(); });
}

void WaylandPlatform::KeyPressed() {
    Deliver([this] { saver_->KeyPressed(); });
}

} // namespace linesaver
