// The private runtime directory: made when missing, taken when it is the
// user's own and closed to others, refused (and left alone) otherwise.
#include "platform/runtime_dir.h"
#include "tests/unit/music_test_support.h"

#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace linesaver::testing {
namespace {

namespace fs = std::filesystem;

TEST(RuntimeDir, TakesOnlyAPrivateDirectory) {
    const struct {
        const char* what;
        std::function<void(const fs::path&)> make; // makes R (or not)
        bool taken;
    } cases[] = {
        {"missing", [](const fs::path&) {}, true},
        {"mode 0700", [](const fs::path& r) { fs::create_directory(r), ::chmod(r.c_str(), 0700); }, true},
        {"group may read", [](const fs::path& r) { fs::create_directory(r), ::chmod(r.c_str(), 0750); }, false},
        {"others may write", [](const fs::path& r) { fs::create_directory(r), ::chmod(r.c_str(), 0703); }, false},
        {"a link to a private one",
         [](const fs::path& r) {
             fs::create_directory(r.string() + "-real");
             ::chmod((r.string() + "-real").c_str(), 0700);
             fs::create_directory_symlink(r.string() + "-real", r);
         },
         false},
        {"a file", [](const fs::path& r) { TempDrive::Write(r, ""); }, false},
    };
    for (const auto& k : cases) {
        TempDrive base;
        const ScopedEnv xdg("XDG_RUNTIME_DIR", base.root.string());
        const fs::path r = base.root / "linesaver";
        k.make(r);
        const auto mode = [&] {
            struct stat st {};
            return ::lstat(r.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
        };
        const auto before = mode();
        const auto drive = RuntimeSubdir("c");
        EXPECT_EQ(drive.has_value(), k.taken) << k.what;
        if (k.taken) {
            EXPECT_EQ(*drive, (r / "c").string());
            EXPECT_EQ(mode(), 0700u) << k.what;
        } else {
            EXPECT_EQ(mode(), before) << k.what << ": left as it was";
            EXPECT_FALSE(fs::exists(r / "c")) << k.what;
        }
    }
}

} // namespace
} // namespace linesaver::testing
