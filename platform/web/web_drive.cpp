#include "platform/web/web_drive.h"

#include <emscripten.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string_view>

namespace linesaver {
namespace {

// The one name on the drive, and where the music folder's names start.
constexpr std::string_view kDrive = "c:\\";
constexpr std::string_view kCopyName = "test.mid";
constexpr std::string_view kMusicFolder = "\\music\\";

// The player's answers, as the desktop's player gives them.
constexpr long kUnrecognizedCommand = 261;
constexpr long kInvalidDeviceName = 263;
constexpr long kFileNotFound = 275;
constexpr long kDeviceOpen = 294;

// The page's synthesizer. Open takes the track by its name in the music
// folder and says whether the page has it; the mode is 1 while the track
// plays (or waits for the synthesizer), 2 once it has stopped.
// clang-format off
EM_JS(bool, PageMusicOpen, (const char* track), {
    return !!(Module.linesaverMusic && Module.linesaverMusic.open(UTF8ToString(track)));
});
EM_JS(void, PageMusicPlay, (), { if (Module.linesaverMusic) Module.linesaverMusic.play(); });
EM_JS(void, PageMusicStop, (), { if (Module.linesaverMusic) Module.linesaverMusic.stop(); });
EM_JS(int, PageMusicMode, (), { return Module.linesaverMusic ? Module.linesaverMusic.mode() : 0; });
// clang-format on

bool SameText(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && SameText(text.substr(text.size() - end.size()), end);
}

// The name after the music folder in a path, "" when the path is elsewhere.
std::string_view MusicName(std::string_view path) {
    const auto at = path.find(kMusicFolder);
    if (at == std::string_view::npos) return {};
    const auto name = path.substr(at + kMusicFolder.size());
    return name.find('\\') == std::string_view::npos ? name : std::string_view();
}

// The parts of text between separators, empty ones left out.
std::vector<std::string> Split(std::string_view text, std::string_view separators) {
    std::vector<std::string> parts;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find_first_of(separators, at), text.size());
        if (end > at) parts.emplace_back(text.substr(at, end - at));
        at = end + 1;
    }
    return parts;
}

bool IsCopy(std::string_view path) {
    return path.size() == kDrive.size() + kCopyName.size() && SameText(path.substr(0, kDrive.size()), kDrive) &&
           SameText(path.substr(kDrive.size()), kCopyName);
}

} // namespace

WebFiles::WebFiles(const std::string& tracks) {
    for (auto& name : Split(tracks, "\n"))
        if (name.find('\\') == std::string::npos) tracks_.push_back(std::move(name));
}

std::string WebFiles::FirstFileName(const std::string& pattern) {
    listing_.clear();
    listed_ = 0;
    if (IsCopy(pattern)) {
        if (!copy_.empty()) listing_.emplace_back(kCopyName);
    } else if (MusicName(pattern) == "*.mid") {
        // As a DOS listing: *.mid takes .midi too.
        for (const auto& name : tracks_)
            if (EndsWith(name, ".mid") || EndsWith(name, ".midi")) listing_.push_back(name);
    }
    return NextFileName();
}

std::string WebFiles::NextFileName() { return listed_ < listing_.size() ? listing_[listed_++] : std::string(); }

bool WebFiles::RemoveFile(const std::string& path) {
    if (!IsCopy(path) || copy_.empty()) return false;
    copy_.clear();
    return true;
}

bool WebFiles::CopyFileTo(const std::string& from, const std::string& to) {
    const std::string name(MusicName(from));
    if (!IsCopy(to) || std::find(tracks_.begin(), tracks_.end(), name) == tracks_.end()) return false;
    copy_ = name;
    return true;
}

long WebPlayer::Send(const std::string& command, char* reply, int replyLength) {
    const std::vector<std::string> words = Split(command, " \t\r\n");
    const auto verb = [&](std::string_view name, std::size_t count) {
        return words.size() == count && SameText(words[0], name);
    };
    const bool named = words.size() >= 2 && !device_.empty() && SameText(words[1], device_);
    std::string_view answer;
    long code = 0;
    if (verb("open", 2)) {
        if (!device_.empty())
            code = kDeviceOpen;
        else if (!IsCopy(words[1]) || files_.Copy().empty() || !PageMusicOpen(files_.Copy().c_str()))
            code = kFileNotFound;
        else
            device_ = words[1];
    } else if (verb("play", 2) && named) {
        PageMusicPlay();
    } else if (verb("status", 3) && named && SameText(words[2], "mode")) {
        const int mode = PageMusicMode();
        answer = mode == 1 ? "playing" : mode == 2 ? "stopped" : "not ready";
    } else if ((verb("stop", 2) || verb("close", 2)) && named) {
        PageMusicStop();
        if (SameText(words[0], "close")) device_.clear();
    } else {
        code = named ? kUnrecognizedCommand : kInvalidDeviceName;
    }
    if (reply && replyLength > 0) {
        const std::size_t n = std::min(answer.size(), static_cast<std::size_t>(replyLength - 1));
        std::memcpy(reply, answer.data(), n);
        reply[n] = '\0';
    }
    return code;
}

WebPlayer::~WebPlayer() {
    if (!device_.empty()) PageMusicStop();
}

} // namespace linesaver
