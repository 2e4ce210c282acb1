// The one interface between the saver and the machine it runs on.
//
// The saver's core talks to the window, the timers, the event loop, the
// cursor, the files and the MIDI player only through Platform, and the
// machine calls the saver back only through SaverEvents. Each backend
// implements Platform: the desktops (SDL on Linux, Win32 on Windows, the
// XScreenSaver hack, the web page) on their shared event handling
// (platform/event_loop), a headless one for the render tool, a recording
// one for the tests.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>

namespace linesaver {

// A colour as the window takes it: red + 256 * green + 65536 * blue.
using Colour = std::int32_t;

enum class TimerId { FrameTick, MusicPoll };

// Twips, the unit of the screen and the pointer, to one logical pixel.
inline constexpr double kTwipsPerPixel = 15;

// Length of the music player's reply buffers.
inline constexpr int kReplyLength = 255;

// What the platform calls, on its one thread: from its event loop and from
// YieldToEvents.
class SaverEvents {
public:
    virtual ~SaverEvents() = default;
    // Once, before anything else: the saver sets itself up.
    virtual void Start() = 0;
    // The pointer is at (x, y) twips in the window.
    virtual void MouseMoved(double x, double y) = 0;
    virtual void Clicked() = 0;
    virtual void KeyPressed() = 0;
    // The window, the session or a signal asks the program to close.
    virtual void CloseRequested() = 0;
    virtual void FrameTick() = 0;
    virtual void MusicPoll() = 0;
    // The window now has another size (ScreenWidth and ScreenHeight say
    // which). Only a window someone else owns is ever resized; the saver's
    // own covers the display and keeps its size.
    virtual void WindowResized() {}
    // Leave with this exit status: the cursor shown, the music stopped and
    // its copy deleted, then Platform::End. Does not return.
    virtual void Leave(int status) = 0;
};

class Platform {
public:
    virtual ~Platform() = default;

    // The program.
    virtual bool AnotherInstanceRunning() = 0;
    virtual std::string ProgramFolder() = 0;
    virtual std::uint64_t ClockSeed() = 0; // a seed for the one generator
    // Close the window and end the process at once with this status. No
    // handler, tick or drawing runs after it.
    [[noreturn]] void End(int status) {
        EndProcess(status);
        std::abort(); // not reached: EndProcess does not return
    }

    // The screen and the window's drawing, in twips. What is drawn stays
    // until the next Clear, which blackens the window.
    virtual double ScreenWidth() = 0;
    virtual double ScreenHeight() = 0;
    virtual void Clear() = 0;
    virtual void Line(float x1, float y1, float x2, float y2, Colour c) = 0;
    virtual void Circle(float x, float y, float r, Colour c) = 0;

    // Timers: setting an interval restarts its count; 0 stops the timer.
    virtual void SetTimerInterval(TimerId timer, int milliseconds) = 0;

    // Handle every pending event and due timer, then return (unless a
    // handler ends the program).
    virtual void YieldToEvents() = 0;

    // The cursor: false hides it one level, true shows it one level.
    virtual void ShowCursor(bool show) = 0;

    // Files, with DOS-style paths as the saver writes them.
    // FirstFileName(pattern) starts a listing and returns its first name
    // ("" when none); NextFileName() returns the next name of the same
    // listing.
    virtual std::string FirstFileName(const std::string& pattern) = 0;
    virtual std::string NextFileName() = 0;
    virtual bool RemoveFile(const std::string& path) = 0;
    virtual bool CopyFileTo(const std::string& from, const std::string& to) = 0;

    // The MIDI player's command strings. The reply buffer holds
    // kReplyLength characters; the player writes a zero-terminated reply
    // into it and leaves the rest as it was. Returns 0 on success.
    virtual long SendPlayerCommand(const std::string& command, char* reply, int replyLength) = 0;

protected:
    // End's work: close the window and end the process. Must not return.
    virtual void EndProcess(int status) = 0;
};

} // namespace linesaver
