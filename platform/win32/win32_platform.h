// The Windows desktop: the window "Form1" and its canvas, the two timers on
// a steady clock, the thread's message loop, the one-copy mutex, and the
// files and MCI music on the saver's private drive.
#pragma once

#include "platform/platform.h"
#include "platform/timing/timer_schedule.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_window.h"

#include <memory>
#include <string>

namespace linesaver {

class MciPlayer;
class Win32Files;

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
    std::string ProgramFolder() override { return programFolder_; }
    std::uint64_t ClockSeed() override;

    double ScreenWidth() override;
    double ScreenHeight() override;
    void Clear() override;
    void Line(float x1, float y1, float x2, float y2, Colour c) override;
    void Circle(float x, float y, float r, Colour c) override;

    void SetTimerInterval(TimerId timer, int milliseconds) override;
    void YieldToEvents() override;
    void ShowCursor(bool show) override;

    std::string FirstFileName(const std::string& pattern) override;
    std::string NextFileName() override;
    bool RemoveFile(const std::string& path) override;
    bool CopyFileTo(const std::string& from, const std::string& to) override;
    long SendPlayerCommand(const std::string& command, char* reply, int replyLength) override;

protected:
    // The windows hidden with the cursor shown, the timer resolution given
    // back, then the process ends; the rest goes with it.
    void EndProcess(int status) override;

private:
    Win32Platform();

    // What the windows report, delivered to the saver.
    void PointerMoved(double x, double y) override;
    void ButtonPressed() override;
    void KeyPressed() override;
    void CloseRequested() override;

    // Runs a handler; an error escaping it is reported and the saver
    // leaves with status 1.
    template <class Handler>
    void Deliver(Handler handler);
    [[noreturn]] void Fail(const char* what);
    [[noreturn]] void Loop();
    void PumpMessages();
    void RunDueTimers();
    bool Live() const { return saver_ != nullptr; }

    InstanceMutex instance_;
    std::string programFolder_;
    std::unique_ptr<Win32Window> window_;
    std::unique_ptr<Win32Files> files_;
    std::unique_ptr<MciPlayer> player_;

    TimerSchedule timers_;
    TimerSchedule::TimePoint lastLook_{}; // when the queue was last read
    SaverEvents* saver_ = nullptr;
    bool fineTimer_ = false; // the system timer's resolution raised
};

} // namespace linesaver
