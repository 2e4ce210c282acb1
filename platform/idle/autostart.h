// The XDG autostart entry that starts the watcher with the session:
// $XDG_CONFIG_HOME/autostart/linesaver-idle.desktop (~/.config when unset).
// GNOME, Plasma, MATE, Xfce, Cinnamon and LXQt read it at login.
#pragma once

#include <string>
#include <vector>

namespace linesaver::idle {

std::string AutostartPath();

// The entry's Exec value for a command line: each word quoted and escaped
// as desktop entries want it.
std::string DesktopExec(const std::vector<std::string>& command);

// Writes the entry running command (replacing an old one whole); false
// with error saying why.
bool WriteAutostart(const std::vector<std::string>& command, std::string& error);

enum class AutostartRemoval { Removed, NoneThere, Failed };

// Removes the entry; when that fails, error says why.
AutostartRemoval RemoveAutostart(std::string& error);

} // namespace linesaver::idle
