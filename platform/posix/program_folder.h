// The program's folder: the directory of the real executable, with every
// symbolic link resolved, so a link to the program placed elsewhere still
// finds the files that lie beside the real binary.
#pragma once

#include <string>

namespace linesaver {

// exe is the path of the executable; the default is the running one.
// Returns "." when the path cannot be resolved.
std::string ExecutableFolder(const std::string& exe = "/proc/self/exe");

} // namespace linesaver
