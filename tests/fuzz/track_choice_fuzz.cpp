// The track choice, the poll and leaving, over a pretend music folder, drive
// and player whose names, failures and replies come from the input, with
// the generator seeded from it.
//
// The input: 8 bytes of seed, the program folder, what fails, the first
// listing, then operations until the input ends (a poll with the player's
// reply, a new listing, a listing that changes between the two walks of
// the next start, other failures); then the saver leaves. The calls of
// every operation are checked as it returns.
#include "music/music.h"
#include "platform/recording_platform.h"
#include "tests/fuzz/fuzz_check.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace linesaver::fuzz {
namespace {

const std::string kCopy = "c:\\test.mid";
const std::string kOpen = "open " + kCopy, kPlay = "play " + kCopy, kStatus = "status " + kCopy + " mode",
                  kStop = "stop " + kCopy, kClose = "close " + kCopy;

bool Acceptable(std::string_view name) {
    return name.ends_with("mid") || name.ends_with("midi");
}

// The input, read front to back; zeros once it is used up.
class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool empty() const { return pos_ >= size_; }
    std::uint8_t Next() { return empty() ? 0 : data_[pos_++]; }
    std::string Text(std::size_t n) {
        std::string s;
        while (n-- > 0 && !empty()) s += static_cast<char>(Next());
        return s;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// Up to 16 names: a stem of raw bytes and an ending, in any case.
std::vector<std::string> Names(Bytes& in) {
    static constexpr std::string_view kEndings[] = {"",   ".mid",  ".MID", ".midi",    ".MIDI",    ".Mid", "mid",
                                                    "midi", ".mi", "d",    ".txt.mid", ".mid.txt", "MID",  ".miDi"};
    std::vector<std::string> names;
    for (int n = in.Next() % 17; n > 0; --n) {
        std::string name = in.Text(in.Next() % 5);
        name += kEndings[in.Next() % std::size(kEndings)];
        if (!name.empty()) names.push_back(name); // a listing never yields ""
    }
    return names;
}

std::string Reply(Bytes& in) {
    static constexpr const char* kReplies[] = {"stopped", "playing", "not ready", "stoppedX", "stopped, and more",
                                               "Stopped", "stoppe",  "",          "stop"};
    const std::uint8_t b = in.Next();
    if (b < std::size(kReplies)) return kReplies[b];
    return in.Text(b % 12); // raw bytes; a zero among them ends the reply
}

// The drive, the music folder and the player as the target pretends them,
// and what the saver did to them during one operation.
struct World {
    std::string folder;
    std::vector<std::string> music;
    std::optional<std::vector<std::string>> musicLater; // replaces music once the next listing has begun
    bool copyThere = false;
    bool killFails = false, copyFails = false, openFails = false;
    std::string statusReply = "playing";
    bool open = false;

    std::vector<std::vector<std::string>> listings; // every listing of the music folder
    std::vector<std::string> copies;                // the sources of every copy tried
    bool copied = false;                            // the last one succeeded
    std::vector<std::string> commands;
    std::string statusSeen; // the first 7 characters after the last status

    void NewOperation() {
        listings.clear();
        copies.clear();
        copied = false;
        commands.clear();
        statusSeen.clear();
    }
};

void WriteReply(char* reply, int length, const std::string& text) {
    const std::size_t n = std::min(text.size(), static_cast<std::size_t>(length - 1));
    std::memcpy(reply, text.data(), n);
    reply[n] = '\0';
}

void Wire(RecordingPlatform& pf, World& w, Form1& f) {
    auto listed = std::make_shared<std::pair<std::vector<std::string>, std::size_t>>();
    pf.appPath = w.folder;
    pf.dir = [&w, listed](const std::string& pattern) {
        auto& [names, next] = *listed;
        names.clear();
        next = 0;
        if (pattern == w.folder + "\\music\\*.mid") {
            names = w.music;
            w.listings.push_back(names);
            if (w.musicLater) w.music = *std::exchange(w.musicLater, std::nullopt);
        } else {
            Check(pattern == kCopy, "a listing of something but the music and the copy");
            if (w.copyThere) names = {"test.mid"};
        }
        return next < names.size() ? names[next++] : std::string();
    };
    pf.dirNext = [listed] {
        auto& [names, next] = *listed;
        return next < names.size() ? names[next++] : std::string();
    };
    pf.kill = [&w](const std::string& path) {
        Check(path == kCopy, "a delete of something but the copy");
        Check(!w.open, "the copy deleted while the player has it open");
        if (w.killFails || !w.copyThere) return false;
        w.copyThere = false;
        return true;
    };
    pf.fileCopy = [&w](const std::string& from, const std::string& to) {
        Check(to == kCopy, "a copy to somewhere but the copy");
        Check(!w.open, "the copy replaced while the player has it open");
        Check(!w.copyThere, "a copy over a stale copy that was not deleted");
        w.copies.push_back(from);
        w.copied = !w.copyFails;
        w.copyThere = w.copyThere || w.copied;
        return w.copied;
    };
    pf.mci = [&w, &f](const std::string& command, char* reply, int length) -> long {
        Check(length == kReplyLength, "a reply buffer of other than 255 characters");
        const bool a = reply == f.mciReturnA.data(), b = reply == f.mciReturnB.data();
        w.commands.push_back(command);
        long code = w.open ? 0 : 263;
        std::string text;
        if (command == kOpen) {
            Check(a, "open without the first reply buffer");
            Check(!w.open, "a second track opened while one is open");
            w.open = w.copyThere && !w.openFails;
            code = w.open ? 0 : 275;
        } else if (command == kPlay || command == kClose) {
            Check(b, "play or close without the second reply buffer");
            if (command == kClose) w.open = false;
        } else if (command == kStatus || command == kStop) {
            Check(a, "status or stop without the first reply buffer");
            if (command == kStatus && w.open) text = w.statusReply;
        } else {
            Check(false, "a command that is none of the five");
        }
        WriteReply(reply, length, text);
        if (command == kStatus) w.statusSeen.assign(f.mciReturnA.data(), 7);
        return code;
    };
}

// One start, whose commands begin at commands[from]; before is the
// generator as it was, staleBefore whether the copy was there.
void CheckStart(const World& w, const Form1& f, Generator before, bool staleBefore, std::size_t from) {
    Check(w.listings.size() == 2, "a start lists the music other than twice");
    const int count = static_cast<int>(w.listings[0].size());
    const int chosen = static_cast<int>(before.Rnd() * count + 1);
    // Both are now one draw on from where the start began.
    Generator after = f.rng;
    Check(after.Rnd() == before.Rnd(), "a start draws other than one number");

    const std::vector<std::string>& walk = w.listings[1];
    std::string expected;
    for (std::size_t i = static_cast<std::size_t>(chosen - 1); i < walk.size() && expected.empty(); ++i)
        if (Acceptable(walk[i])) expected = walk[i];
    Check(f.strFileFrom == w.folder + "\\music\\" + expected, "not the first acceptable name from the position");
    Check(f.strFileTo == kCopy, "the copy's path changed");

    Check(w.copies.size() <= 1, "more than one copy in a start");
    if (expected.empty()) Check(w.copies.empty(), "a copy though no name is acceptable");
    else if (w.copies.empty()) Check(staleBefore && w.killFails, "an acceptable track left uncopied");
    else Check(w.copies[0] == f.strFileFrom, "a copy of another file than the one chosen");

    const std::vector<std::string> rest(w.commands.begin() + static_cast<std::ptrdiff_t>(from), w.commands.end());
    Check(rest == (w.copied ? std::vector<std::string>{kOpen, kPlay} : std::vector<std::string>{}),
          "a start's commands are not open and play of a copied track");
}

void Poll(RecordingPlatform& pf, World& w, Form1& f) {
    const Generator before = f.rng;
    const bool stale = w.copyThere;
    const std::size_t callsBefore = pf.calls.size();
    Timer2_Timer(f);
    const Call& first = pf.calls.at(callsBefore);
    Check(first.kind == Call::Kind::Timer && first.v[0] == 1 && first.v[1] == 1000,
          "a poll that does not first set its timer to a second");
    Check(!w.commands.empty() && w.commands[0] == kStatus, "a poll that does not ask for the mode");
    if (w.statusSeen != "stopped") {
        Generator now = f.rng, then = before;
        Check(w.commands.size() == 1 && w.listings.empty() && w.copies.empty() && now.Rnd() == then.Rnd(),
              "a poll that acts on a track not stopped");
        return;
    }
    Check(w.commands.size() >= 3 && w.commands[1] == kStop && w.commands[2] == kClose,
          "a stopped track not stopped and closed");
    CheckStart(w, f, before, stale, 3);
}

} // namespace
} // namespace linesaver::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace linesaver;
    using namespace linesaver::fuzz;
    Bytes in(data, size);
    std::uint64_t seed = 0;
    for (int i = 0; i < 8; ++i) seed = seed << 8 | in.Next();

    static constexpr const char* kFolders[] = {"/opt/linesaver", "", "c:\\saver"};
    World w;
    w.folder = kFolders[in.Next() % std::size(kFolders)];
    const std::uint8_t setup = in.Next();
    w.copyThere = setup & 1; // a copy left over from an earlier run
    w.killFails = setup & 2;
    w.copyFails = setup & 4;
    w.openFails = setup & 8;
    w.music = Names(in);
    w.statusReply = Reply(in);

    RecordingPlatform pf;
    Form1 f(pf);
    f.rng.Seed(seed);
    Wire(pf, w, f);

    // Start-up's last step.
    const Generator before = f.rng;
    const bool staleAtStart = w.copyThere;
    StartRandomTrack(f);
    CheckStart(w, f, before, staleAtStart, 0);

    while (!in.empty()) {
        w.NewOperation();
        switch (in.Next() % 5) {
        case 0: w.statusReply = Reply(in); [[fallthrough]];
        case 1: Poll(pf, w, f); break;
        case 2: w.music = Names(in); break;
        case 3: w.musicLater = Names(in); break;
        case 4: {
            const std::uint8_t flags = in.Next();
            w.killFails = flags & 1;
            w.copyFails = flags & 2;
            w.openFails = flags & 4;
            if (flags & 8) w.copyThere = !w.copyThere; // someone else made or removed the file
            break;
        }
        }
    }

    w.NewOperation();
    const bool stale = w.copyThere;
    StopMusic(f);
    Check(w.commands == std::vector<std::string>{kStop, kClose}, "leaving does not stop and close");
    Check(!w.open, "the player still open after leaving");
    Check(!w.copyThere || (stale && w.killFails), "the copy left behind though it could be deleted");
    Check(w.listings.empty() && w.copies.empty(), "leaving looks for or copies music");
    return 0;
}
