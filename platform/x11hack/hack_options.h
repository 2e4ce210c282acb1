// The hack's command line, as XScreenSaver and its settings dialog pass it:
// where to draw, whether to play music. Options take one or two dashes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace linesaver {

enum class HackTarget {
    OwnWindow,   // a window of its own, for trying it out (the default)
    Root,        // the root window
    GivenWindow, // a window someone else made: windowId
};

struct HackOptions {
    HackTarget target = HackTarget::OwnWindow;
    std::uint32_t windowId = 0;
    bool music = false;
};

inline constexpr const char* kHackUsage = "usage: linesaver [-root | -window | -window-id ID] [-music] [-fps]";

// The options of args (without the program's name). daemonWindow is
// $XSCREENSAVER_WINDOW (null when unset): when it is set the hack draws
// there, unless -window-id names a window. Nothing on an unknown option or
// an invalid window id; error then holds the one line to print.
std::optional<HackOptions> ParseHackOptions(const std::vector<std::string>& args, const char* daemonWindow,
                                            std::string& error);

// A window id in hex ("0x1a00003") or decimal; nothing unless it is one.
std::optional<std::uint32_t> ParseWindowId(const std::string& text);

// The folder whose "music" the hack plays: the saver's installed program
// folder beside the hack's (PREFIX/libexec/xscreensaver ->
// PREFIX/lib/linesaver) when there is one, else the folder above the hack's
// (a build's bin/xscreensaver -> bin).
std::string SaverFolderOf(const std::string& hackFolder);

} // namespace linesaver
