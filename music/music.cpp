#include "music/music.h"

#include <string_view>

namespace linesaver {
namespace {

// The temporary copy every command names.
constexpr const char* kTempCopy = "c:\\test.mid";

// Case-sensitive: SONG.MID is listed and counted, never played.
bool Acceptable(std::string_view name) {
    return (name.size() >= 3 && name.substr(name.size() - 3) == "mid") ||
           (name.size() >= 4 && name.substr(name.size() - 4) == "midi");
}

void Send(SaverState& s, const std::string& command, std::array<char, kReplyLength>& reply) {
    s.platform->SendPlayerCommand(command, reply.data(), kReplyLength); // the code is not looked at
}

// Stop and close the player.
void CloseTrack(SaverState& s) {
    Send(s, std::string("stop ") + kTempCopy, s.reply);
    Send(s, std::string("close ") + kTempCopy, s.secondReply);
}

// Delete the temporary copy if a lookup finds it. False when it is there
// and cannot be deleted.
bool DeleteCopy(SaverState& s) {
    if (s.platform->FirstFileName(kTempCopy) != "test.mid") return true;
    return s.platform->RemoveFile(kTempCopy);
}

} // namespace

void StartRandomTrack(SaverState& s) {
    Platform& platform = *s.platform;
    const std::string folder = platform.ProgramFolder();
    const std::string pattern = folder + "\\music\\*.mid";

    int count = 0;
    for (std::string name = platform.FirstFileName(pattern); !name.empty(); ++count) name = platform.NextFileName();

    const int chosen = static_cast<int>(s.Rnd() * count + 1);

    // The first acceptable name at or after position chosen.
    int counter = 0;
    std::string name = platform.FirstFileName(pattern);
    while (!name.empty()) {
        ++counter;
        if (counter >= chosen && Acceptable(name)) break;
        name = platform.NextFileName();
    }

    s.trackPath = folder + "\\music\\" + name;
    s.copyPath = kTempCopy;
    // No track, or no copy of it: the animation runs on without music.
    if (!DeleteCopy(s) || name.empty()) return;
    if (!platform.CopyFileTo(s.trackPath, s.copyPath)) return;
    Send(s, "open " + s.copyPath, s.reply);
    Send(s, "play " + s.copyPath, s.secondReply);
}

void PollMusic(SaverState& s) {
    s.platform->SetTimerInterval(TimerId::MusicPoll, 1000);
    Send(s, std::string("status ") + kTempCopy + " mode", s.reply);
    if (std::string_view(s.reply.data(), 7) != "stopped") return;
    CloseTrack(s);
    StartRandomTrack(s);
}

void StopMusic(SaverState& s) {
    CloseTrack(s);
    DeleteCopy(s);
}

} // namespace linesaver
