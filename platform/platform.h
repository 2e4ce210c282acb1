// The one interface between the saver and the machine it runs on.
//
// Everything outside platform/ talks to the window, the timers, the event
// loop, the cursor, the files and the MIDI player only through this class.
// Three implementations exist: the real desktop one (SDL2, Cairo,
// FluidSynth), a headless one for the render tool, and a recording one for
// the tests.
#pragma once

#include <cstdint>
#include <string>

namespace linesaver {

// A colour as the window takes it: red + 256 * green + 65536 * blue.
using Colour = std::int32_t;

enum class TimerId { Timer1, Timer2 };

// The window's event handlers. The platform calls them on its one thread,
// from its event loop and from DoEvents.
class FormHandlers {
public:
    virtual ~FormHandlers() = default;
    virtual void Form_MouseMove(int button, int shift, double x, double y) = 0;
    virtual void Form_Click() = 0;
    virtual void Form_KeyDown(int keyCode, int shift) = 0;
    virtual void Form_QueryUnload(int& cancel, int unloadMode) = 0;
    virtual void Timer1_Timer() = 0;
    virtual void Timer2_Timer() = 0;
};

// Thrown by Platform::End to unwind out of whatever handler is running;
// the program's main catches it and lets every owner clean up.
struct EndProgram {
    int status = 0;
};

// Length of the music player's reply buffers.
inline constexpr int kReplyLength = 255;

class Platform {
public:
    virtual ~Platform() = default;

    // Application.
    virtual bool PrevInstance() = 0;       // another copy already runs
    virtual std::string AppPath() = 0;     // the program's folder
    // End the program at once: whatever handler is running unwinds to main.
    [[noreturn]] void End() {
        OnEnd();
        throw EndProgram{0};
    }
    virtual std::uint64_t ClockSeed() = 0; // a seed for the one generator

    // Window and screen; lengths in twips.
    virtual void SetBackColor(Colour c) = 0;
    virtual void Maximize() = 0;
    virtual double ScreenWidth() = 0;
    virtual double ScreenHeight() = 0;
    virtual void Cls() = 0;
    virtual void SetForeColor(Colour c) = 0;
    virtual Colour ForeColor() = 0;
    virtual void Line(float x1, float y1, float x2, float y2, Colour c) = 0;
    virtual void Circle(float x, float y, float r, Colour c) = 0;

    // Timers: setting an interval restarts its count; 0 stops the timer.
    virtual void SetTimerInterval(TimerId timer, int milliseconds) = 0;

    // Event loop: handle every pending event and due timer, then return.
    virtual void DoEvents() = 0;

    // Cursor: false hides it one level, true shows it one level.
    virtual void ShowCursor(bool show) = 0;

    // Files, with DOS-style paths as the saver writes them.
    // Dir(pattern) starts a listing and returns its first name ("" when
    // none); DirNext() returns the next name of the same listing.
    virtual std::string Dir(const std::string& pattern) = 0;
    virtual std::string DirNext() = 0;
    virtual bool Kill(const std::string& path) = 0;
    virtual bool FileCopy(const std::string& from, const std::string& to) = 0;

    // The MIDI player's command strings. The reply buffer holds
    // kReplyLength characters; the player writes a zero-terminated reply
    // into it and leaves the rest as it was. Returns 0 on success.
    virtual long MciSendString(const std::string& command, char* reply, int replyLength) = 0;

protected:
    // Called by End before it unwinds: no handler, tick or drawing may run
    // after this.
    virtual void OnEnd() = 0;
};

} // namespace linesaver
