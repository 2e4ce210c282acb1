// The desktop of this build: Win32 on Windows; on Linux the one the session
// has, Wayland or X11 (platform/wayland picks), so that one saver serves
// both. A program links the one OpenDesktop of its build.
#pragma once

#include "platform/platform.h"

#include <memory>
#include <string>

namespace linesaver {

// The desktop, or nothing when there is no display to show the saver on;
// error then says why. When another copy of the saver runs it opens no
// window: AnotherInstanceRunning() is true and the saver ends at start-up.
std::unique_ptr<Desktop> OpenDesktop(std::string& error);

} // namespace linesaver
