// How the saver's DOS-style paths become real ones on Windows.
//
// The saver's "c:\" is not the system drive's root, which an ordinary user
// may not write and every user would share, but a private folder of the
// user's own. The program folder reaches the saver in the extended form
// "\\?\C:\..." (or "\\?\UNC\server\share\..."), so a real path can never
// be mistaken for one on the saver's drive, whatever drive it lies on.
#pragma once

#include <string>
#include <string_view>

namespace linesaver {

inline constexpr std::string_view kExtendedPrefix = "\\\\?\\";

// The extended form of an absolute Windows path ("C:\a" -> "\\?\C:\a",
// "\\server\share" -> "\\?\UNC\server\share"); one already extended is
// kept. Forward slashes become backslashes, as the extended form takes
// names literally.
std::string ExtendedPath(std::string path);

// The real path of a path the saver wrote: an extended path is itself;
// "c:\rest" is driveC + "\rest" (nothing that climbs out of driveC with
// ".."); anything else (another drive, a relative path) is unknown: "".
std::string RealPath(std::string_view saverPath, std::string_view driveC);

} // namespace linesaver
