#include "platform/win32/dos_paths.h"

#include <algorithm>

namespace linesaver {

std::string ExtendedPath(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    if (path.starts_with(kExtendedPrefix)) return path;
    if (path.starts_with("\\\\")) return std::string(kExtendedPrefix) + "UNC\\" + path.substr(2);
    return std::string(kExtendedPrefix) + path;
}

std::string RealPath(std::string_view saverPath, std::string_view driveC) {
    if (saverPath.starts_with(kExtendedPrefix)) return std::string(saverPath);
    const bool onDriveC = saverPath.size() >= 3 && (saverPath[0] == 'c' || saverPath[0] == 'C') &&
                          saverPath[1] == ':' && saverPath[2] == '\\';
    if (!onDriveC || driveC.empty()) return {};
    const std::string_view rest = saverPath.substr(3);
    // Nothing on the drive lies above its folder; "/" is a separator too.
    std::string parts = "\\" + std::string(rest) + "\\";
    std::replace(parts.begin(), parts.end(), '/', '\\');
    if (parts.find("\\..\\") != std::string::npos) return {};
    std::string real(driveC);
    if (!real.ends_with('\\')) real += '\\';
    return real + std::string(rest);
}

} // namespace linesaver
