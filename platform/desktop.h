// The desktop of this build: each desktop backend (SDL on Linux, Win32 on
// Windows) defines OpenDesktop, and a program links exactly one of them.
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
