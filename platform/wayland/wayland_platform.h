// The Linux desktop on a Wayland compositor, spoken to directly: the
// saver's windows (wayland_screens.h), input from every seat, the two
// timers, the event loop over the compositor's socket and the close
// signals, the single-instance lock, and the files and music player of the
// private drive, whose sound goes through SDL's audio alone.
#pragma once

#include "platform/sdl/linux_desktop.h"
#include "platform/wayland/wayland_display.h"
#include "platform/wayland/wayland_screens.h"

#include <atomic>
#include <memory>
#include <string>

namespace linesaver {

class WaylandPlatform final : public LinuxDesktop, private InputSink {
public:
    // The platform, or nothing when there is no compositor to show it on;
    // error then says why. When another copy runs it opens no window at
    // all: AnotherInstanceRunning() is true and the saver ends at start-up.
    static std::unique_ptr<WaylandPlatform> Open(std::string& error);
    // Stops the music, then lets the windows and the connection go.
    ~WaylandPlatform() override;

    // Start-up, then the event loop, until a handler ends the program.
    [[noreturn]] void Run(SaverEvents& saver) override;

    // The cursor is hidden over the saver's windows while the level is
    // below zero; shown again, it is the compositor's once they go, which
    // they do at once.
    void ShowCursor(bool show) override;

protected:
    // The windows taken off the screen at once, then the process ends; the
    // compositor lets go of all else the saver had.
    void EndProcess(int status) override;
    WindowSurface Surface() override;
    // What the compositor and the signals have sent, delivered; the socket
    // read only when something came or a look is due.
    void ReadEvents() override;

private:
    WaylandPlatform() = default;
    // Within a bounded time: a compositor that takes the connection and
    // never answers cannot hold the saver.
    bool OpenWindows(std::string& error) override;
    void CloseAsked() override { closeSignalled_ = true; }

    [[noreturn]] void Loop();
    // Sleeps until the compositor has sent something, a close signal has
    // come or the next timer is due.
    void WaitForEvents();
    // What the windows' state asks of the saver: to close, or to leave
    // because the output it animates has gone.
    void FollowWindows();
    // Makes sure the canvas can be drawn on before a frame tick runs.
    void KeepDrawable();
    // The connection has failed: the leaving sequence runs without it,
    // then the process ends with status 1.
    [[noreturn]] void DisplayLost();

    void PointerMoved(wl_surface* surface, double x, double y) override;
    void Clicked() override;
    void KeyPressed() override;
    bool CursorHidden() const override { return cursorLevel_ < 0; }

    // Declared in the order they are made; the destructor takes the music
    // and the signal watcher down first, the windows and the connection
    // last.
    std::atomic<bool> closeSignalled_{false};
    std::unique_ptr<WaylandDisplay> display_;
    std::unique_ptr<WaylandScreens> screens_;

    bool displayReady_ = false; // the last wait read something
    bool displayLost_ = false;
    int cursorLevel_ = 0;
};

} // namespace linesaver
