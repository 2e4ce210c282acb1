// Which monitor GNOME's mutter calls primary: its display configuration on
// the session bus (org.gnome.Mutter.DisplayConfig), asked once at start-up.
#pragma once

#include <chrono>
#include <string>

namespace linesaver {

// The primary monitor's connector ("Virtual-1", "eDP-1"), the name its
// Wayland output carries; "" when there is no session bus, mutter does not
// answer within limit, or it names none. A bus that is not there is not
// started for the question.
std::string MutterPrimaryConnector(std::chrono::milliseconds limit);

} // namespace linesaver
