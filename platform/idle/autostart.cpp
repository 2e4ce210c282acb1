#include "platform/idle/autostart.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace linesaver::idle {
namespace {

// Characters that make a word need quotes in Exec.
constexpr const char* kReserved = " \t\n\"'\\><~|&;$*?#()`";

std::string QuotedWord(const std::string& word) {
    const bool quoted = word.empty() || word.find_first_of(kReserved) != std::string::npos;
    std::string text = quoted ? "\"" : "";
    for (const char c : word) {
        if (quoted && (c == '"' || c == '`' || c == '$' || c == '\\')) text += '\\';
        if (c == '%') text += '%'; // a field code otherwise
        text += c;
    }
    return quoted ? text + "\"" : text;
}

// The key file's own escapes, applied over the quoting.
std::string EscapedValue(const std::string& value) {
    std::string text;
    for (const char c : value) {
        if (c == '\\')
            text += "\\\\";
        else if (c == '\n')
            text += "\\n";
        else
            text += c;
    }
    return text;
}

} // namespace

std::string AutostartPath() {
    std::string config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/')
        config = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        config = std::string(home) + "/.config";
    else
        return {};
    return config + "/autostart/linesaver-idle.desktop";
}

std::string DesktopExec(const std::vector<std::string>& command) {
    std::string exec;
    for (const auto& word : command) exec += (exec.empty() ? "" : " ") + QuotedWord(word);
    return EscapedValue(exec);
}

bool WriteAutostart(const std::vector<std::string>& command, std::string& error) {
    const std::filesystem::path path = AutostartPath();
    if (path.empty()) {
        error = "neither XDG_CONFIG_HOME nor HOME is set";
        return false;
    }
    std::error_code failure;
    std::filesystem::create_directories(path.parent_path(), failure);
    if (failure) {
        error = "cannot make " + path.parent_path().string() + ": " + failure.message();
        return false;
    }
    const std::filesystem::path temporary = path.string() + ".new";
    {
        std::ofstream entry(temporary, std::ios::trunc);
        entry << "[Desktop Entry]\n"
                 "Type=Application\n"
                 "Name=linesaver idle watcher\n"
                 "Comment=Starts the linesaver screen saver when the session has been idle for a while\n"
              << "Exec=" << DesktopExec(command) << "\n"
              << "Terminal=false\n"
                 "NoDisplay=true\n"
                 "X-GNOME-Autostart-enabled=true\n";
        entry.close();
        if (!entry) {
            error = "cannot write " + temporary.string() + ": " + std::strerror(errno);
            std::filesystem::remove(temporary, failure);
            return false;
        }
    }
    std::filesystem::rename(temporary, path, failure);
    if (failure) {
        error = "cannot write " + path.string() + ": " + failure.message();
        return false;
    }
    return true;
}

AutostartRemoval RemoveAutostart(std::string& error) {
    const std::string path = AutostartPath();
    std::error_code failure;
    if (path.empty() || !std::filesystem::remove(path, failure)) {
        // A file where a folder of the path should be: no entry either.
        if (!failure || failure == std::errc::not_a_directory) return AutostartRemoval::NoneThere;
        error = "cannot remove " + path + ": " + failure.message();
        return AutostartRemoval::Failed;
    }
    return AutostartRemoval::Removed;
}

} // namespace linesaver::idle
