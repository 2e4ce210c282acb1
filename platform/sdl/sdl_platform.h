// The desktop platform: one SDL window covering the primary display and
// drawn on a pixel canvas, the two timers on a steady clock, the
// event loop, the single-instance lock, and the files and music player of
// the private drive.
#pragma once

#include "platform/posix/close_signals.h"
#include "platform/sdl/display_loss.h"
#include "platform/posix/instance_lock.h"
#include "platform/platform.h"
#include "platform/timing/timer_schedule.h"

#include <functional>
#include <memory>
#include <string>

union SDL_Event;

namespace linesaver {

class DosFiles;
class MciPlayer;
class SdlWindow;

class SdlPlatform final : public Platform {
public:
    // The platform, or nothing when there is no display to show it on;
    // error then says why. When another copy runs it opens no window at
    // all: PrevInstance() is true and the saver ends at start-up.
    static std::unique_ptr<SdlPlatform> Open(std::string& error);
    // Stops the music, then closes the window with the cursor shown.
    ~SdlPlatform() override;
    // After the saver has left: the cursor shown and the window gone at
    // once, while the audio device and SDL itself are left to the end of
    // the process (closing the device waits out its buffers).
    void CloseWindow();

    // Form_Load, then the event loop, until a handler ends the program
    // (EndProgram leaves this function).
    template <class Form>
    [[noreturn]] void Run(Form& form) {
        Start(form);
        form.Form_Load();
        Loop();
    }

    // For measurements only: called each time the loop has brought what
    // changed to the screen. The saver sets none.
    void SetPresentObserver(std::function<void()> observer) { presented_ = std::move(observer); }

    bool PrevInstance() override { return lock_.HeldElsewhere(); }
    std::string AppPath() override { return appPath_; }
    std::uint64_t ClockSeed() override;

    void SetBackColor(Colour) override {} // the canvas is black and clears to black
    void Maximize() override {}           // the window covers the display from the start
    double ScreenWidth() override;
    double ScreenHeight() override;
    void Cls() override;
    void SetForeColor(Colour c) override { fore_ = c; }
    Colour ForeColor() override { return fore_; }
    void Line(float x1, float y1, float x2, float y2, Colour c) override;
    void Circle(float x, float y, float r, Colour c) override;

    void SetTimerInterval(TimerId timer, int milliseconds) override;
    void DoEvents() override;
    void ShowCursor(bool show) override;

    std::string Dir(const std::string& pattern) override;
    std::string DirNext() override;
    bool Kill(const std::string& path) override;
    bool FileCopy(const std::string& from, const std::string& to) override;
    long MciSendString(const std::string& command, char* reply, int replyLength) override;

protected:
    void OnEnd() override { ended_ = true; }

private:
    SdlPlatform();
    bool OpenDisplay(std::string& error);

    void Start(FormHandlers& form);
    [[noreturn]] void Loop();
    void PumpEvents();
    void Dispatch(const SDL_Event& event);
    void QueryUnload(int unloadMode);
    // The X server has gone: the leaving sequence runs without the
    // display, then the process ends with status 1.
    [[noreturn]] static void DisplayLost(void* self);
    void RunDueTimers();
    bool Live() const { return form_ && !ended_; }

    // Declared in the order they are made; the destructor takes the music
    // and the signal watcher down first, the window and SDL last.
    CloseSignals signals_;
    InstanceLock lock_;
    std::string appPath_;
    std::unique_ptr<SdlWindow> window_;
    std::unique_ptr<DosFiles> files_;
    std::unique_ptr<MciPlayer> player_;
    std::unique_ptr<DisplayLossWatch> displayWatch_;

    TimerSchedule timers_;
    TimerSchedule::TimePoint lastLook_{}; // when the display's events were last read
    FormHandlers* form_ = nullptr;
    Colour fore_ = 0;
    bool ended_ = false;
    bool displayLost_ = false;
    std::function<void()> presented_;
};

} // namespace linesaver
