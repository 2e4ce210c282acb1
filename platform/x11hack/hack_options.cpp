#include "platform/x11hack/hack_options.h"

#include <cerrno>
#include <cstdlib>
#include <limits>
#include <sys/stat.h>

namespace linesaver {
namespace {

// "-root" and "--root" are the same option.
std::string OptionName(const std::string& arg) {
    if (arg.rfind("--", 0) == 0) return arg.substr(2);
    if (arg.rfind("-", 0) == 0) return arg.substr(1);
    return {};
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string Parent(const std::string& folder) {
    const auto slash = folder.find_last_of('/');
    if (slash == std::string::npos) return folder + "/..";
    return slash == 0 ? "/" : folder.substr(0, slash);
}

} // namespace

std::optional<std::uint32_t> ParseWindowId(const std::string& text) {
    if (text.empty() || text[0] == '-' || text[0] == '+' || text.find_first_of(" \t\n") != std::string::npos)
        return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || value == 0 || value > std::numeric_limits<std::uint32_t>::max())
        return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

std::optional<HackOptions> ParseHackOptions(const std::vector<std::string>& args, const char* daemonWindow,
                                            std::string& error) {
    HackOptions options;
    bool idGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string name = OptionName(args[i]);
        if (name == "root") {
            options.target = HackTarget::Root;
        } else if (name == "window") {
            options.target = HackTarget::OwnWindow;
        } else if (name == "window-id") {
            if (i + 1 == args.size()) {
                error = kHackUsage;
                return std::nullopt;
            }
            const auto id = ParseWindowId(args[++i]);
            if (!id) {
                error = "linesaver: invalid window id '" + args[i] + "'";
                return std::nullopt;
            }
            options.windowId = *id;
            idGiven = true;
        } else if (name == "music") {
            options.music = true;
        } else if (name == "fps") {
            // Accepted as every hack accepts it; the daemon shows no rate.
        } else {
            error = kHackUsage;
            return std::nullopt;
        }
    }
    if (!idGiven && daemonWindow && *daemonWindow) {
        const auto id = ParseWindowId(daemonWindow);
        if (!id) {
            error = std::string("linesaver: invalid window id '") + daemonWindow + "' in XSCREENSAVER_WINDOW";
            return std::nullopt;
        }
        options.windowId = *id;
        idGiven = true;
    }
    if (idGiven) options.target = HackTarget::GivenWindow;
    return options;
}

std::string SaverFolderOf(const std::string& hackFolder) {
    const std::string above = Parent(hackFolder);
    const std::string installed = Parent(above) + "/lib/linesaver";
    if (IsDirectory(installed)) return installed;
    return above;
}

} // namespace linesaver
