// The DOS-style file operations over a real folder.
#include "platform/posix/dos_files.h"
#include "tests/support/drive_files_cases.h"
#include "tests/support/temp_drive.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace linesaver::testing {
namespace {

namespace fs = std::filesystem;

class DosFilesTest : public ::testing::Test {
protected:
    DosFilesTest() : files_(drive_.Drive().string()) {}
    // Names in the drive folder, temporary ones included.
    std::vector<std::string> DriveNames() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(drive_.Drive())) names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string Music(const std::string& name) const { return drive_.App().string() + "\\music\\" + name; }
    std::string Copy() const { return (drive_.Drive() / "test.mid").string(); }

    TempDrive drive_;
    DosFiles files_;
};

TEST_F(DosFilesTest, MapsDosPathsToLocalOnes) {
    const std::string c = drive_.Drive().string();
    const struct {
        const char* dos;
        std::string local;
    } cases[] = {
        {"c:\\test.mid", c + "/test.mid"},
        {"C:\\a\\b.mid", c + "/a/b.mid"},
        {"/opt/linesaver\\music\\*.mid", "/opt/linesaver/music/*.mid"},
        {"d:\\test.mid", ""},
        {"c:test.mid", ""},
        {"c:\\..\\x.mid", ""},
        {"c:\\a\\..\\..\\x.mid", ""},
        {"c:\\a..\\..b\\x.mid", c + "/a../..b/x.mid"},
    };
    for (const auto& k : cases) EXPECT_EQ(files_.ToLocal(k.dos), k.local) << k.dos;
    EXPECT_EQ(DosFiles("").ToLocal("c:\\test.mid"), "") << "no drive folder, no drive";
}

TEST_F(DosFilesTest, DoWhatEveryDrivesFilesDo) {
    ExpectDriveFiles({drive_.Music(), drive_.Drive(), drive_.App().string() + "\\music",
                      [this] { return std::make_unique<DosFiles>(drive_.Drive().string()); }});
}

// Beyond that: the longer ending, links to tracks, and no other kinds of
// file, nor hidden ones, nor names that hold the separator.
TEST_F(DosFilesTest, ListsLinksAndLongEndingsOnly) {
    const fs::path m = drive_.Music();
    for (const char* name : {"b.mid", "d.midi", "E.MiDi", "f.mid.txt", "gmid", ".hidden.mid", "back\\slash.mid"})
        Write(m / name, "x");
    fs::create_symlink(m / "b.mid", m / "link.mid");
    fs::create_symlink(m / "missing", m / "dangling.mid");
    ASSERT_EQ(::mkfifo((m / "fifo.mid").c_str(), 0600), 0);
    EXPECT_EQ(Listing(files_, Music("*.mid")), (std::vector<std::string>{"E.MiDi", "b.mid", "d.midi", "link.mid"}));
}

// A lookup finds only a regular file itself; a delete removes a file or a
// link, never the link's target.
TEST_F(DosFilesTest, LooksUpOnlyARegularFileItselfAndDeletesNoTarget) {
    const fs::path target = drive_.root / "elsewhere.mid";
    Write(target, "x");
    const struct {
        const char* what;
        void (*make)(const fs::path& copy, const fs::path& target);
        std::string found;
        bool deleted;
    } cases[] = {
        {"file", [](const fs::path& p, const fs::path&) { Write(p, "x"); }, "test.mid", true},
        {"link", [](const fs::path& p, const fs::path& t) { fs::create_symlink(t, p); }, "", true},
        {"folder", [](const fs::path& p, const fs::path&) { fs::create_directory(p); }, "", false},
        {"nothing", [](const fs::path&, const fs::path&) {}, "", false},
    };
    for (const auto& k : cases) {
        fs::remove_all(Copy());
        k.make(Copy(), target);
        EXPECT_EQ(files_.FirstFileName("c:\\test.mid"), k.found) << k.what;
        EXPECT_EQ(files_.NextFileName(), "") << k.what;
        EXPECT_EQ(files_.RemoveFile("c:\\test.mid"), k.deleted) << k.what;
        EXPECT_EQ(fs::exists(fs::symlink_status(Copy())), k.what == std::string("folder")) << k.what;
    }
    EXPECT_EQ(Read(target), "x");
}

TEST_F(DosFilesTest, CopyReplacesTheDestinationWhole) {
    Write(drive_.Music() / "a.mid", "new content");
    Write(Copy(), "old");
    // A reader of the old copy keeps reading the old file: the new one is
    // renamed into place, not written over it.
    const int old = ::open(Copy().c_str(), O_RDONLY);
    ASSERT_GE(old, 0);
    EXPECT_TRUE(files_.CopyFileTo(Music("a.mid"), "c:\\test.mid"));
    EXPECT_EQ(Read(Copy()), "new content");
    char buffer[8] = {};
    EXPECT_EQ(::read(old, buffer, sizeof buffer), 3);
    EXPECT_STREQ(buffer, "old");
    ::close(old);
    EXPECT_EQ(DriveNames(), std::vector<std::string>{"test.mid"}) << "no temporary file is left";
}

// Nor from a FIFO, which nobody writes to, nor from a device.
TEST_F(DosFilesTest, CopiesOnlyRegularFiles) {
    ASSERT_EQ(::mkfifo((drive_.Music() / "fifo.mid").c_str(), 0600), 0); // a read would wait forever
    for (const std::string& from : {Music("fifo.mid"), std::string("/dev/zero")}) {
        EXPECT_FALSE(files_.CopyFileTo(from, "c:\\test.mid")) << from;
        EXPECT_TRUE(DriveNames().empty()) << from << ": nothing is left behind";
    }
}

} // namespace
} // namespace linesaver::testing
