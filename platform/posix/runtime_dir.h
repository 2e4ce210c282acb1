// The saver's private runtime directory R: $XDG_RUNTIME_DIR/linesaver, or
// $HOME/.cache/linesaver when XDG_RUNTIME_DIR is unset. It holds the
// instance lock and the drive "c:\" (R/c).
#pragma once

#include <optional>
#include <string>

namespace linesaver {

// R, created with mode 0700 if missing. Returns nothing when it cannot be
// made, is not a directory of the user's own, is a symbolic link, or is
// open to group or others.
std::optional<std::string> RuntimeDir();

// A subfolder of R made the same way (for example "c" for the drive).
std::optional<std::string> RuntimeSubdir(const std::string& name);

} // namespace linesaver
