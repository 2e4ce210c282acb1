// The saver's paths and player commands as the Windows backend reads them.
#include "platform/win32/dos_paths.h"
#include "platform/win32/mci_player.h"

#include <gtest/gtest.h>

#include <string>

namespace linesaver {
namespace {

const std::string kDrive = "C:\\Users\\J\xC3\xBCrgen \xC3\x96l\xC3\x9F\\AppData\\Local\\linesaver\\c";

TEST(ExtendedPath, TakesEveryFormToTheExtendedOne) {
    const struct {
        const char* path;
        const char* extended;
    } cases[] = {
        {"C:\\Program Files\\linesaver", "\\\\?\\C:\\Program Files\\linesaver"},
        {"Z:/work/build/bin", "\\\\?\\Z:\\work\\build\\bin"},
        {"\\\\server\\share\\saver", "\\\\?\\UNC\\server\\share\\saver"},
        {"\\\\?\\D:\\already", "\\\\?\\D:\\already"},
    };
    for (const auto& c : cases) EXPECT_EQ(ExtendedPath(c.path), c.extended) << c.path;
}

TEST(RealPath, PutsTheSaversDriveInItsPrivateFolderAndRefusesTheRest) {
    const struct {
        const char* saverPath;
        std::string real;
    } cases[] = {
        {"c:\\test.mid", kDrive + "\\test.mid"},
        {"C:\\test.mid", kDrive + "\\test.mid"},
        {"c:\\", kDrive + "\\"},
        {"\\\\?\\C:\\Program Files\\linesaver\\music\\*.mid", "\\\\?\\C:\\Program Files\\linesaver\\music\\*.mid"},
        // Nothing climbs out of the drive, nor reaches another one.
        {"c:\\..\\other.mid", ""},
        {"c:\\music\\..\\..\\x", ""},
        {"c:\\a/../../x", ""},
        {"d:\\test.mid", ""},
        {"c:test.mid", ""},
        {"music\\a.mid", ""},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(RealPath(c.saverPath, kDrive), c.real) << c.saverPath;
    EXPECT_EQ(RealPath("c:\\test.mid", ""), "") << "no drive, no path on it";
    EXPECT_EQ(RealPath("c:\\test.mid", "C:\\drive\\"), "C:\\drive\\test.mid") << "one separator";
}

TEST(MciCommand, NamesTheCopyByItsQuotedRealPath) {
    const std::string copy = "\"" + kDrive + "\\test.mid\"";
    const struct {
        const char* command;
        std::string sent;
    } cases[] = {
        {"open c:\\test.mid", "open " + copy},
        {"play c:\\test.mid", "play " + copy},
        {"status c:\\test.mid mode", "status " + copy + " mode"},
        {"stop c:\\test.mid", "stop " + copy},
        {"close c:\\test.mid", "close " + copy},
        // Commands that name no device on the drive are not sent.
        {"close all", ""},
        {"open d:\\test.mid", ""},
        {"open \\\\?\\C:\\Windows\\media\\town.mid", ""},
        {"open c:\\..\\secret.mid", ""},
        {"play", ""},
        {" c:\\test.mid", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(MciCommand(c.command, kDrive), c.sent) << c.command;
}

} // namespace
} // namespace linesaver
