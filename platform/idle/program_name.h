// How the watcher names the program behind an inhibition, from what the
// bus or the X server can tell of it: the process's own name and pid, and
// the name it gave itself, and how it keeps text from others printable on
// one line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace linesaver::idle {

// "mpv (pid 4242)"; "firefox (firefox-esr, pid 4242)" when the program
// gave a name of its own that differs from its process's; the given name
// alone when the process is unknown (pid 0 or less, or no process name).
std::string ProgramName(std::string_view given, std::string_view process, pid_t pid);

// The process's name as the kernel keeps it (/proc/PID/comm), "" when it
// has gone or cannot be read.
std::string ProcessName(pid_t pid);

// text with every control character made a space, cut to at most limit
// bytes at a character's boundary (with "..." after a cut).
std::string Printable(std::string_view text, std::size_t limit);

} // namespace linesaver::idle
