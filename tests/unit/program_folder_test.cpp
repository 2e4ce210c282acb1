// The program's folder, found through links.
#include "platform/program_folder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace linesaver {
namespace {

namespace fs = std::filesystem;

TEST(ProgramFolder, TheRealBinarysFolder) {
    char tmpl[] = "/tmp/linesaver-folder-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    const fs::path root = fs::canonical(tmpl);
    fs::create_directories(root / "real" / "bin");
    fs::create_directories(root / "links");
    std::ofstream(root / "real" / "bin" / "linesaver") << "";
    fs::create_symlink(root / "real" / "bin" / "linesaver", root / "links" / "saver");
    fs::create_symlink(root / "links" / "saver", root / "links" / "saver2");

    const struct {
        fs::path exe;
        std::string folder;
    } cases[] = {
        {root / "real" / "bin" / "linesaver", (root / "real" / "bin").string()},
        {root / "links" / "saver", (root / "real" / "bin").string()},
        {root / "links" / "saver2", (root / "real" / "bin").string()},
        {root / "links" / "missing", "."},
    };
    for (const auto& c : cases) EXPECT_EQ(ProgramFolder(c.exe.string()), c.folder) << c.exe;
    // The running program: the folder of this test binary.
    EXPECT_EQ(ProgramFolder(), fs::canonical("/proc/self/exe").parent_path().string());
    fs::remove_all(root);
}

} // namespace
} // namespace linesaver
