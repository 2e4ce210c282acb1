// What a private drive's files do on every system, for the tests of each
// drive: listings of the music folder, copies to the drive whole or not at
// all, removal, and the clean-up of what an interrupted copy left.
#pragma once

#include "platform/drive.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace linesaver::testing {

// A path from a name in UTF-8, on every system.
inline std::filesystem::path Utf8Path(const std::string& name) { return std::u8string(name.begin(), name.end()); }

// Where the drive's folders lie, and how the saver names the music folder.
struct DriveLayout {
    std::filesystem::path musicFolder, driveFolder;
    std::string music; // the music folder as the saver names it
    std::function<std::unique_ptr<DriveFiles>()> open;
};

inline void WriteFile(const std::filesystem::path& file, const std::string& content) {
    std::ofstream(file, std::ios::binary) << content;
}

inline std::vector<std::string> Listing(DriveFiles& files, const std::string& pattern) {
    std::vector<std::string> names;
    for (std::string name = files.FirstFileName(pattern); !name.empty(); name = files.NextFileName())
        names.push_back(name);
    return names;
}

inline void ExpectDriveFiles(const DriveLayout& at) {
    namespace fs = std::filesystem;
    const fs::path copy = at.driveFolder / "test.mid";
    // What an interrupted copy left, and a stale copy, before the drive opens.
    WriteFile(at.driveFolder / ".test.mid.partial.4711", "half");
    WriteFile(copy, "stale");
    const auto files = at.open();
    EXPECT_FALSE(fs::exists(at.driveFolder / ".test.mid.partial.4711")) << "an interrupted copy's rest";
    EXPECT_EQ(files->FirstFileName("c:\\test.mid"), "test.mid");
    EXPECT_TRUE(files->RemoveFile("c:\\test.mid"));
    EXPECT_FALSE(files->RemoveFile("c:\\test.mid")) << "removed once";
    EXPECT_EQ(files->FirstFileName("c:\\test.mid"), "");

    // Listings: the tracks in bytewise order, any case, no folders.
    for (const char* name : {"b.mid", "a.MID", "C.mid", "notes.txt", "Grüße aus Köln.mid"})
        WriteFile(at.musicFolder / Utf8Path(name), "x");
    fs::create_directory(at.musicFolder / "folder.mid");
    const std::vector<std::string> tracks = {"C.mid", "Grüße aus Köln.mid", "a.MID", "b.mid"};
    EXPECT_EQ(Listing(*files, at.music + "\\*.mid"), tracks);
    EXPECT_EQ(Listing(*files, at.music + "\\*.mid"), tracks) << "a second listing repeats the first";
    EXPECT_EQ(files->NextFileName(), "") << "the end stays the end";
    EXPECT_EQ(Listing(*files, at.music + "\\missing\\*.mid"), std::vector<std::string>{});
    EXPECT_EQ(Listing(*files, "d:\\music\\*.mid"), std::vector<std::string>{}) << "no other drive";

    // Copies: whole, or the old copy stays as it was and nothing is left
    // beside it.
    const std::string song(100000, 'm');
    WriteFile(at.musicFolder / Utf8Path("Für Elise.mid"), song);
    WriteFile(at.musicFolder / "limit.mid", "");
    fs::resize_file(at.musicFolder / "limit.mid", kLargestCopy); // sparse where it can be
    WriteFile(at.musicFolder / "huge.mid", "");
    fs::resize_file(at.musicFolder / "huge.mid", kLargestCopy + 1);
    const struct {
        const char* from;
        const char* to;
        bool copied;
    } cases[] = {
        {"limit.mid", "c:\\test.mid", true},      {"huge.mid", "c:\\test.mid", false},
        {"folder.mid", "c:\\test.mid", false},    {"missing.mid", "c:\\test.mid", false},
        {"Für Elise.mid", "d:\\test.mid", false}, {"Für Elise.mid", "c:\\..\\test.mid", false},
        {"Für Elise.mid", "c:\\test.mid", true},
    };
    for (const auto& c : cases) {
        WriteFile(copy, "old");
        EXPECT_EQ(files->CopyFileTo(at.music + "\\" + c.from, c.to), c.copied) << c.from << " -> " << c.to;
        EXPECT_EQ(fs::file_size(copy), c.copied ? fs::file_size(at.musicFolder / Utf8Path(c.from)) : 3) << c.from;
        EXPECT_EQ(std::distance(fs::directory_iterator(at.driveFolder), {}), 1) << c.from << ": nothing beside it";
    }
    std::ifstream in(copy, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), song);
}

} // namespace linesaver::testing
