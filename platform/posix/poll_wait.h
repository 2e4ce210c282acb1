// Sleeping until one of some files has something to read, or a time has
// passed, to the nanosecond.
#pragma once

#include <chrono>
#include <optional>

struct pollfd;

namespace linesaver {

// Sleeps until one of the count files is ready or wait has passed (without
// a wait: until a file is ready). Signals do not cut the sleep short.
void PollFor(pollfd* files, int count, std::optional<std::chrono::nanoseconds> wait);

// Waits up to wait for fd to become readable (or to hang up); whether it
// did. Signals do not cut the wait short.
bool WaitReadable(int fd, std::chrono::milliseconds wait);

} // namespace linesaver
