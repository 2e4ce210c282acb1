// The hack's command line and where it looks for the music.
#include "platform/x11hack/hack_options.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace linesaver {
namespace {

// What a command line comes to, written as the test's one line: the
// target and id, "music" or "silent"; or the error line.
std::string Outcome(const std::vector<std::string>& args, const char* daemonWindow) {
    std::string error;
    const auto options = ParseHackOptions(args, daemonWindow, error);
    if (!options) return error;
    const char* target = options->target == HackTarget::Root          ? "root"
                         : options->target == HackTarget::GivenWindow ? "window"
                                                                      : "own";
    std::string out = target;
    if (options->target == HackTarget::GivenWindow) out += " " + std::to_string(options->windowId);
    return out + (options->music ? " music" : " silent");
}

TEST(HackOptions, CommandLines) {
    const std::string usage = kHackUsage;
    const struct {
        std::vector<std::string> args;
        const char* daemonWindow;
        std::string outcome;
    } cases[] = {
        {{}, nullptr, "own silent"},
        {{"-window"}, nullptr, "own silent"},
        {{"-root"}, nullptr, "root silent"},
        {{"--root", "--music"}, nullptr, "root music"},
        {{"-root", "-fps", "--fps"}, nullptr, "root silent"},
        {{"-window-id", "0x1a00003"}, nullptr, "window 27262979 silent"},
        {{"--window-id", "4242", "-music"}, nullptr, "window 4242 music"},
        {{"-window-id", "0XfF"}, nullptr, "window 255 silent"},
        // The daemon's window, with -root (as the daemon starts hacks) or without.
        {{"--root"}, "0x400007", "window 4194311 silent"},
        {{}, "123", "window 123 silent"},
        {{"-window"}, "123", "window 123 silent"},
        {{"-root"}, "", "root silent"},
        // An id on the command line wins over the daemon's.
        {{"-window-id", "77"}, "123", "window 77 silent"},
        // Refused: unknown options, a missing or invalid id.
        {{"-foo"}, nullptr, usage},
        {{"root"}, nullptr, usage},
        {{"---root"}, nullptr, usage},
        {{"-"}, nullptr, usage},
        {{"-root", "extra"}, nullptr, usage},
        {{"-window-id"}, nullptr, usage},
        {{"-window-id", "zz"}, nullptr, "linesaver: invalid window id 'zz'"},
        {{"-window-id", "0"}, nullptr, "linesaver: invalid window id '0'"},
        {{"-window-id", "-5"}, nullptr, "linesaver: invalid window id '-5'"},
        {{"-window-id", "12abc"}, nullptr, "linesaver: invalid window id '12abc'"},
        {{"-window-id", "0x100000000"}, nullptr, "linesaver: invalid window id '0x100000000'"},
        {{"-window-id", ""}, nullptr, "linesaver: invalid window id ''"},
        {{"-root"}, "nonsense", "linesaver: invalid window id 'nonsense' in XSCREENSAVER_WINDOW"},
    };
    for (const auto& c : cases) {
        std::string line;
        for (const auto& a : c.args) line += a + " ";
        EXPECT_EQ(Outcome(c.args, c.daemonWindow), c.outcome)
            << line << "with XSCREENSAVER_WINDOW=" << (c.daemonWindow ? c.daemonWindow : "(unset)");
    }
}

TEST(HackOptions, SaverFolderInstalledOrBuilt) {
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("linesaver-hack-folders-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "usr/libexec/xscreensaver");
    fs::create_directories(root / "usr/lib/linesaver/music");
    fs::create_directories(root / "build/bin/xscreensaver");
    EXPECT_EQ(SaverFolderOf((root / "usr/libexec/xscreensaver").string()), (root / "usr/lib/linesaver").string());
    EXPECT_EQ(SaverFolderOf((root / "build/bin/xscreensaver").string()), (root / "build/bin").string());
    fs::remove_all(root);
}

} // namespace
} // namespace linesaver
