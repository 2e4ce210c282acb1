// What the desktops share below their windows: the two timers and the
// handlers they run, the one way an error escaping a handler ends the
// program, the clock's seed, and the files and MIDI player of a private
// drive. Each desktop adds its window and its wait for events.
#pragma once

#include "platform/audio_output.h"
#include "platform/platform.h"
#include "platform/timing/timer_schedule.h"

#include <cstdint>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>

struct pollfd;

namespace linesaver {

class DosFiles;
class MciPlayer;

class EventDesktop : public Desktop {
public:
    ~EventDesktop() override;

    std::uint64_t ClockSeed() override;
    void SetTimerInterval(TimerId timer, int milliseconds) override;

    // The drive's files and player; without a drive no file is found and
    // every command fails.
    std::string FirstFileName(const std::string& pattern) override;
    std::string NextFileName() override;
    bool RemoveFile(const std::string& path) override;
    bool CopyFileTo(const std::string& from, const std::string& to) override;
    long SendPlayerCommand(const std::string& command, char* reply, int replyLength) override;

protected:
    EventDesktop();

    // The drive at driveFolder ("c:\") and a player on the audio output.
    void OpenDrive(const std::string& driveFolder, AudioOutputFactory openOutput);
    // The music stops (while the audio output is still there).
    void CloseDrive();

    // The saver from now on: the frame tick comes first after 10 ms, the
    // music poll waits until the saver sets it.
    void Begin(SaverEvents& saver);
    // Runs a handler; an error escaping it is reported in one line and the
    // saver leaves with status 1.
    template <class Handler>
    void Deliver(Handler handler) {
        try {
            handler();
        } catch (const std::exception& e) {
            Fail(e.what());
        } catch (...) {
            Fail("unexpected error");
        }
    }
    [[noreturn]] void Fail(const char* what);
    // Runs the handlers of the timers that are due.
    void RunDueTimers();
    // How long the event loop may wait for events: until the next timer
    // is due, -1 when none may fire.
    int MillisecondsToWait() const;
    // Sleeps until one of the count files has something to read or the
    // next timer is due, to the microsecond.
    void SleepOn(pollfd* files, int count) const;
    bool Live() const { return saver_ != nullptr; }

    SaverEvents* saver_ = nullptr; // null once the program is ending

private:
    TimerSchedule timers_;
    std::unique_ptr<DosFiles> files_;
    std::unique_ptr<MciPlayer> player_;
};

} // namespace linesaver
