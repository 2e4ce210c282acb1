#include "platform/posix/program_folder.h"

#include <filesystem>
#include <system_error>

namespace linesaver {

std::string ExecutableFolder(const std::string& exe) {
    std::error_code ec;
    const std::filesystem::path real = std::filesystem::canonical(exe, ec);
    if (ec || !real.has_parent_path()) return ".";
    return real.parent_path().string();
}

} // namespace linesaver
