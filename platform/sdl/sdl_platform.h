// The Linux desktop on an X server (XWayland included): one SDL window
// covering the primary display and drawn on a pixel canvas, the two timers
// on a steady clock, the event loop, the single-instance lock, and the
// files and music player of the private drive.
#pragma once

#include "platform/sdl/display_loss.h"
#include "platform/sdl/linux_desktop.h"

#include <memory>
#include <string>

union SDL_Event;

namespace linesaver {

class SdlWindow;
class X11Events;

class SdlPlatform final : public LinuxDesktop {
public:
    // The platform, or nothing when there is no display to show it on;
    // error then says why. When another copy runs it opens no window at
    // all: AnotherInstanceRunning() is true and the saver ends at start-up.
    static std::unique_ptr<SdlPlatform> Open(std::string& error);
    // Stops the music, then closes the window with the cursor shown.
    ~SdlPlatform() override;

    // Start-up, then the event loop, until a handler ends the program.
    [[noreturn]] void Run(SaverEvents& saver) override;

    void ShowCursor(bool show) override;

protected:
    // The window closed at once with the cursor shown; the audio device,
    // SDL and the lock go with the process, since closing the device would
    // keep the process alive while SDL waits out its buffers.
    void EndProcess(int status) override;

    WindowSurface Surface() override;
    // SDL's queue emptied and delivered; the display read only when due.
    void ReadEvents() override;

private:
    SdlPlatform() = default;
    bool OpenWindows(std::string& error) override;
    // The close signal's quit event in SDL's queue.
    void CloseAsked() override;

    [[noreturn]] void Loop();
    // Sleeps until the display has something to read, a close signal has
    // come or the next timer is due.
    void WaitForEvents();
    void Dispatch(const SDL_Event& event);
    // The display server has gone: the leaving sequence runs without the
    // display, then the process ends with status 1.
    [[noreturn]] static void DisplayLost(void* self);

    // Declared in the order they are made; the destructor takes the music
    // and the signal watcher down first, the window and SDL last.
    std::unique_ptr<SdlWindow> window_;
    std::unique_ptr<DisplayLossWatch> displayWatch_;
    std::unique_ptr<X11Events> x11Events_; // on X11: the display watched unread

    bool displayReady_ = false; // the last wait saw something to read
    bool displayLost_ = false;
    bool pointerMoved_ = false;    // a move of the pointer has come
    bool enteredXWayland_ = false; // the pointer's first entry, on XWayland
};

} // namespace linesaver
