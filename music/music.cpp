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

void Send(Form1& f, const std::string& command, std::array<char, kReplyLength>& reply) {
    f.pf->MciSendString(command, reply.data(), kReplyLength); // the code is not looked at
}

// Stop and close the player.
void CloseTrack(Form1& f) {
    Send(f, std::string("stop ") + kTempCopy, f.mciReturnA);
    Send(f, std::string("close ") + kTempCopy, f.mciReturnB);
}

// Delete the temporary copy if a lookup finds it. False when it is there
// and cannot be deleted.
bool DeleteCopy(Form1& f) {
    if (f.pf->Dir(kTempCopy) != "test.mid") return true;
    return f.pf->Kill(kTempCopy);
}

} // namespace

void StartRandomTrack(Form1& f) {
    Platform& pf = *f.pf;
    const std::string folder = pf.AppPath();
    const std::string pattern = folder + "\\music\\*.mid";

    int count = 0;
    for (std::string name = pf.Dir(pattern); !name.empty(); ++count) name = pf.DirNext();

    const int chosen = static_cast<int>(f.Rnd() * count + 1);

    // The first acceptable name at or after position chosen.
    int counter = 0;
    std::string name = pf.Dir(pattern);
    while (!name.empty()) {
        ++counter;
        if (counter >= chosen && Acceptable(name)) break;
        name = pf.DirNext();
    }

    f.strFileFrom = folder + "\\music\\" + name;
    f.strFileTo = kTempCopy;
    // No track, or no copy of it: the animation runs on without music.
    if (!DeleteCopy(f) || name.empty()) return;
    if (!pf.FileCopy(f.strFileFrom, f.strFileTo)) return;
    Send(f, "open " + f.strFileTo, f.mciReturnA);
    Send(f, "play " + f.strFileTo, f.mciReturnB);
}

void Timer2_Timer(Form1& f) {
    f.pf->SetTimerInterval(TimerId::Timer2, 1000);
    Send(f, std::string("status ") + kTempCopy + " mode", f.mciReturnA);
    if (std::string_view(f.mciReturnA.data(), 7) != "stopped") return;
    CloseTrack(f);
    StartRandomTrack(f);
}

void StopMusic(Form1& f) {
    CloseTrack(f);
    DeleteCopy(f);
}

} // namespace linesaver
