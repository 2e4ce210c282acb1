// The saver's files on Windows, on real folders: listings, the copy to the
// private drive and what it refuses, and the clean-up of interrupted copies.
#include "platform/win32/dos_paths.h"
#include "platform/win32/win32_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace linesaver {
namespace {

namespace fs = std::filesystem;

std::string Utf8(const fs::path& p) {
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

fs::path FromUtf8(const std::string& s) { return fs::path(std::u8string(s.begin(), s.end())); }

void Write(const fs::path& file, const std::string& content) {
    std::ofstream(file, std::ios::binary) << content;
}

std::string Read(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A program folder with a music folder, and a drive, under a fresh
// temporary folder whose name holds a space and non-ASCII letters.
class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        root_ = fs::temp_directory_path() / FromUtf8("linesaver Jürgen " + test);
        fs::remove_all(root_);
        fs::create_directories(root_ / "music");
        fs::create_directories(root_ / "c");
    }
    void TearDown() override { fs::remove_all(root_); }

    std::string Music() const { return ExtendedPath(Utf8(root_ / "music")); }
    std::string Drive() const { return Utf8(root_ / "c"); }

    std::vector<std::string> List(Win32Files& files, const std::string& pattern) {
        std::vector<std::string> names;
        for (std::string name = files.FirstFileName(pattern); !name.empty(); name = files.NextFileName())
            names.push_back(name);
        return names;
    }

    fs::path root_;
};

TEST_F(FilesTest, ListsTheMatchingFilesInOrderWithoutFolders) {
    for (const char* name : {"b.mid", "a.mid", "C.MID", "notes.txt", "Grüße aus Köln.mid"})
        Write(root_ / "music" / FromUtf8(name), "x");
    fs::create_directory(root_ / "music" / "folder.mid");
    Win32Files files(Drive());
    const std::vector<std::string> expected = {"C.MID", "Grüße aus Köln.mid", "a.mid", "b.mid"};
    EXPECT_EQ(List(files, Music() + "\\*.mid"), expected);
    EXPECT_EQ(List(files, Music() + "\\*.mid"), expected) << "a second listing gives the same order";
    EXPECT_EQ(List(files, Music() + "\\missing\\*.mid"), std::vector<std::string>{});
    EXPECT_EQ(List(files, "d:\\music\\*.mid"), std::vector<std::string>{}) << "no other drive";
}

TEST_F(FilesTest, CopiesToTheDriveWholeOrNotAtAll) {
    const std::string song(100000, 'm');
    Write(root_ / "music" / FromUtf8("Für Elise.mid"), song);
    Write(root_ / "music" / "huge.mid", "");
    fs::resize_file(root_ / "music" / "huge.mid", kLargestCopy + 1);
    Write(root_ / "music" / "limit.mid", "");
    fs::resize_file(root_ / "music" / "limit.mid", kLargestCopy);
    fs::create_directory(root_ / "music" / "folder.mid");
    Win32Files files(Drive());
    const fs::path copy = root_ / "c" / "test.mid";

    const struct {
        const char* from;
        const char* to;
        bool copied;
    } cases[] = {
        {"Für Elise.mid", "c:\\test.mid", true},
        {"limit.mid", "c:\\test.mid", true},
        {"huge.mid", "c:\\test.mid", false},
        {"folder.mid", "c:\\test.mid", false},
        {"missing.mid", "c:\\test.mid", false},
        {"Für Elise.mid", "d:\\test.mid", false},
        {"Für Elise.mid", "c:\\..\\test.mid", false},
    };
    for (const auto& c : cases) {
        Write(copy, "old");
        const bool copied = files.CopyFileTo(Music() + "\\" + c.from, c.to);
        EXPECT_EQ(copied, c.copied) << c.from << " -> " << c.to;
        const fs::path source = root_ / "music" / FromUtf8(c.from);
        if (c.copied)
            EXPECT_EQ(fs::file_size(copy), fs::file_size(source)) << c.from;
        else
            EXPECT_EQ(Read(copy), "old") << c.from << ": the old copy stays as it was";
        EXPECT_EQ(std::distance(fs::directory_iterator(root_ / "c"), {}), 1) << c.from << ": nothing left beside it";
    }
    ASSERT_TRUE(files.CopyFileTo(Music() + "\\Für Elise.mid", "c:\\test.mid"));
    EXPECT_EQ(Read(copy), song);
}

TEST_F(FilesTest, RemovesTheCopyOnceAndWhatAnInterruptedCopyLeft) {
    Write(root_ / "c" / ".test.mid.partial.4711", "half");
    Write(root_ / "c" / "test.mid", "stale");
    Win32Files files(Drive());
    EXPECT_FALSE(fs::exists(root_ / "c" / ".test.mid.partial.4711"));
    EXPECT_EQ(files.FirstFileName("c:\\test.mid"), "test.mid");
    EXPECT_TRUE(files.RemoveFile("c:\\test.mid"));
    EXPECT_FALSE(files.RemoveFile("c:\\test.mid"));
    EXPECT_EQ(files.FirstFileName("c:\\test.mid"), "");
}

} // namespace
} // namespace linesaver
