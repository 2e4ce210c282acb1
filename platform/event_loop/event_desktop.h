// What the desktops share below their windows: the two timers and the
// handlers they run, the one way an error escaping a handler ends the
// program, the clock's seed, the drawing on the window's canvas, and the
// files and MIDI player of a private drive. Each desktop adds its window,
// its drive, and its reading of and waiting for events; one that owns the
// process's event loop runs it as a Desktop (desktop.h).
#pragma once

#include "platform/drive.h"
#include "platform/platform.h"
#include "platform/timing/timer_schedule.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <string>

namespace linesaver {

class PixelCanvas;

// A seed as LINESAVER_SEED gives it: a whole decimal number, nothing else.
std::optional<std::uint64_t> ParseSeed(const std::string& text);

class EventDesktop : public Platform {
public:
    ~EventDesktop() override;

    std::string ProgramFolder() override { return programFolder_; }
    std::uint64_t ClockSeed() override;
    void SetTimerInterval(TimerId timer, int milliseconds) override;
    // The window's events, then the timers that are due.
    void YieldToEvents() override;

    // On the window's canvas; without a window nothing is drawn and the
    // screen has no size.
    double ScreenWidth() override;
    double ScreenHeight() override;
    void Clear() override;
    void Line(float x1, float y1, float x2, float y2, Colour c) override;
    void Circle(float x, float y, float r, Colour c) override;

    // The drive's files and player; without a drive no file is found and
    // every command fails.
    std::string FirstFileName(const std::string& pattern) override;
    std::string NextFileName() override;
    bool RemoveFile(const std::string& path) override;
    bool CopyFileTo(const std::string& from, const std::string& to) override;
    long SendPlayerCommand(const std::string& command, char* reply, int replyLength) override;

protected:
    explicit EventDesktop(std::string programFolder);

    // The window's canvas, null while there is none, and the window's size
    // in logical pixels.
    struct WindowSurface {
        PixelCanvas* canvas = nullptr;
        double logicalWidth = 0;
        double logicalHeight = 0;
    };
    virtual WindowSurface Surface() = 0;
    // Reads what the window and the system have sent and delivers it.
    virtual void ReadEvents() = 0;

    // The drive: player plays the files of files, and goes first.
    void OpenDrive(std::unique_ptr<DriveFiles> files, std::unique_ptr<DrivePlayer> player);
    // The music stops (while the audio output is still there).
    void CloseDrive();

    // The saver from now on: the frame tick comes first after 10 ms, the
    // music poll waits until the saver sets it; then the saver starts.
    void Begin(SaverEvents& saver);
    // Runs a handler while the saver lives; an error escaping it is
    // reported in one line and the saver leaves with status 1. The saver
    // leaves outside the catch, with the reason in a plain array: a
    // platform whose ending unwinds without destructors (a page's) leaves
    // nothing behind on the way.
    template <class Handler>
    void Deliver(Handler handler) {
        if (!Live()) return;
        char reason[200] = "";
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
    [[noreturn]] void Fail(const char* what);
    // How long the event loop may wait for events: until the next timer
    // is due, nothing when none may fire.
    std::optional<std::chrono::nanoseconds> TimeToNextTimer() const;
    // The same in whole milliseconds, rounded up; -1 when no timer may fire.
    int MillisecondsToWait() const;
    // The yields of a tick come microseconds apart: the events are read at
    // most once a millisecond. True when a look is due, which counts as
    // made; Looked says one has just been made, LookNext that the next
    // yield must look whenever the last one was.
    bool LookDue();
    void Looked();
    void LookNext() { lastLook_ = {}; }
    bool Live() const { return saver_ != nullptr; }
    // Runs the handlers of the timers that are due.
    void RunDueTimers();

    SaverEvents* saver_ = nullptr; // null once the program is ending

private:
    std::string programFolder_;
    TimerSchedule timers_;
    TimerSchedule::TimePoint lastLook_{}; // when the events were last read
    std::unique_ptr<DriveFiles> files_;
    std::unique_ptr<DrivePlayer> player_;
};

} // namespace linesaver
