// The desktop of this build: a platform that owns the process's window and
// runs its event loop. OpenDesktop is Win32's on Windows; on Linux it picks
// the one the session has, Wayland or X11 (platform/wayland), so that one
// saver serves both. A program links the one OpenDesktop of its build.
#pragma once

#include "platform/event_loop/event_desktop.h"

#include <memory>
#include <string>

namespace linesaver {

class Desktop : public EventDesktop {
public:
    // Starts the saver and hands it every event until it ends the
    // program. An error escaping a handler is reported in one line on
    // stderr and the saver leaves with status 1.
    [[noreturn]] virtual void Run(SaverEvents& saver) = 0;

protected:
    using EventDesktop::EventDesktop;
};

// The desktop, or nothing when there is no display to show the saver on;
// error then says why. When another copy of the saver runs it opens no
// window: AnotherInstanceRunning() is true and the saver ends at start-up.
std::unique_ptr<Desktop> OpenDesktop(std::string& error);

} // namespace linesaver
