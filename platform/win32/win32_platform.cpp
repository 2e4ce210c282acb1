#include "platform/win32/win32_platform.h"

#include "platform/event_loop/desktop.h"
#include "platform/raster/pixel_canvas.h"
#include "platform/win32/mci_player.h"
#include "platform/win32/win32_files.h"

#include <windows.h>
#include <mmsystem.h>
// windows.h names a function of its own OpenDesktop (OpenDesktopW).
#undef OpenDesktop

#include <cstdio>
#include <cstdlib>

namespace linesaver {

std::unique_ptr<Win32Platform> Win32Platform::Open(std::string& error) {
    std::unique_ptr<Win32Platform> platform(new Win32Platform());
    // A second copy ends at start-up: no window, the cursor untouched.
    if (platform->instance_.HeldElsewhere()) return platform;
    platform->window_ = Win32Window::Open(*platform, error);
    if (!platform->window_) return nullptr;
    // Without a private drive there is nowhere to put the music's copy:
    // the saver then runs silent.
    if (auto drive = PrivateDrive())
        platform->OpenDrive(std::make_unique<Win32Files>(*drive), std::make_unique<MciPlayer>(*drive));
    return platform;
}

std::unique_ptr<Desktop> OpenDesktop(std::string& error) { return Win32Platform::Open(error); }

Win32Platform::Win32Platform() : Desktop(ProgramFolderPath()) {}

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

EventDesktop::WindowSurface Win32Platform::Surface() {
    if (!window_) return {};
    return {&window_->Canvas(), window_->LogicalWidth(), window_->LogicalHeight()};
}

void Win32Platform::ShowCursor(bool show) {
    if (window_) window_->ShowCursor(show);
}

void Win32Platform::Run(SaverEvents& saver) {
    // Waits end on the millisecond while the saver runs.
    fineTimer_ = ::timeBeginPeriod(1) == TIMERR_NOERROR;
    Begin(saver);
    Loop();
}

void Win32Platform::Loop() {
    // Only a second copy has no window, and it has ended in Start.
    if (!window_) End(0);
    window_->Show();
    for (;;) {
        YieldToEvents();
        // Only what changed since the last look goes to the screen.
        window_->Present();
        const int wait = MillisecondsToWait();
        ::MsgWaitForMultipleObjectsEx(0, nullptr, wait < 0 ? INFINITE : static_cast<DWORD>(wait), QS_ALLINPUT,
                                      MWMO_INPUTAVAILABLE);
        LookNext(); // something may have come
    }
}

void Win32Platform::ReadEvents() {
    if (!LookDue()) return;
    MSG message;
    while (Live() && ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            Deliver([this] { saver_->CloseRequested(); });
            continue;
        }
        ::DispatchMessageW(&message);
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

} // namespace linesaver
