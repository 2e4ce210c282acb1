// The Windows desktop: the window "Form1" and its canvas, the thread's
// message loop around the shared event loop, the one-copy mutex, and the
// files and MCI music on the saver's private drive.
#pragma once

#include "platform/event_loop/desktop.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_window.h"

#include <memory>
#include <string>

namespace linesaver {

class Win32Platform final : public Desktop, private WindowInput {
public:
    // The platform, or nothing when the window cannot be made; error then
    // says why. When another copy runs it makes no window at all:
    // AnotherInstanceRunning() is true and the saver ends at start-up.
    static std::unique_ptr<Win32Platform> Open(std::string& error);
    ~Win32Platform() override;

    // Start-up, then the message loop, until a handler ends the program.
    [[noreturn]] void Run(SaverEvents& saver) override;

    bool AnotherInstanceRunning() override { return instance_.HeldElsewhere(); }
    void ShowCursor(bool show) override;

protected:
    // The windows hidden with the cursor shown, the timer resolution given
    // back, then the process ends; the rest goes with it.
    void EndProcess(int status) override;

    WindowSurface Surface() override;
    // The thread's message queue, read when due.
    void ReadEvents() override;

private:
    Win32Platform();

    // What the windows report, delivered to the saver.
    void PointerMoved(double x, double y) override;
    void ButtonPressed() override;
    void KeyPressed() override;
    void CloseRequested() override;

    [[noreturn]] void Loop();

    InstanceMutex instance_;
    std::unique_ptr<Win32Window> window_;
    bool fineTimer_ = false; // the system timer's resolution raised
};

} // namespace linesaver
