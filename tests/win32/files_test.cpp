// The saver's files on Windows, on real folders under a temporary folder
// whose name holds a space and non-ASCII letters, as a user's may.
#include "platform/win32/dos_paths.h"
#include "platform/win32/win32_files.h"
#include "tests/support/drive_files_cases.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

namespace linesaver::testing {
namespace {

namespace fs = std::filesystem;

std::string Utf8(const fs::path& p) {
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

TEST(Win32Files, DoWhatEveryDrivesFilesDo) {
    const fs::path root = fs::temp_directory_path() / Utf8Path("linesaver Jürgen files");
    fs::remove_all(root);
    fs::create_directories(root / "music");
    fs::create_directories(root / "c");
    ExpectDriveFiles({root / "music", root / "c", ExtendedPath(Utf8(root / "music")),
                      [&] { return std::make_unique<Win32Files>(Utf8(root / "c")); }});
    fs::remove_all(root);
}

} // namespace
} // namespace linesaver::testing
