// The track choice, the poll and leaving, over a pretend music folder, drive
// and player whose names, failures and replies come from the input, with
// the generator seeded from it.
//
// The input: 8 bytes of seed, the program folder, what fails, the first
// listing and the player's reply, then operations until the input ends (a
// poll with or without a new reply, a new listing, a listing that changes
// between the two walks of the next start, other failures); then the saver
// leaves. The calls of every operation are checked as it returns.
#include "music/music.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/recording_platform.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace linesaver::fuzz {
namespace {

using Names = std::vector<std::string>;
const std::string kCopy = "c:\\test.mid";
const std::string kOpen = "open " + kCopy, kPlay = "play " + kCopy, kStatus = "status " + kCopy + " mode",
                  kStop = "stop " + kCopy, kClose = "close " + kCopy;

// The input, front to back; zeros once it is used up.
struct Bytes {
    const std::uint8_t *at, *end;
    bool Empty() const { return at == end; }
    std::uint8_t Next() { return Empty() ? 0 : *at++; }
    std::string Text(std::size_t n) {
        std::string s;
        while (n-- > 0 && !Empty()) s += static_cast<char>(Next());
        return s;
    }
};

// Up to 16 names: a stem of raw bytes and an ending, in any case.
Names ReadNames(Bytes& in) {
    static constexpr std::string_view kEndings[] = {"",     ".mid", ".MID", ".midi",    ".MIDI",    ".Mid", "mid",
                                                    "midi", ".mi",  "d",    ".txt.mid", ".mid.txt", "MID",  ".miDi"};
    Names names;
    for (int n = in.Next() % 17; n > 0; --n) {
        std::string name = in.Text(in.Next() % 5);
        name += kEndings[in.Next() % std::size(kEndings)];
        if (!name.empty()) names.push_back(name); // a listing never yields ""
    }
    return names;
}

std::string ReadReply(Bytes& in) {
    static constexpr const char* kReplies[] = {"stopped", "playing", "not ready", "stoppedX", "stopped, and more",
                                               "Stopped", "stoppe",  "",          "stop"};
    const std::uint8_t b = in.Next();
    return b < std::size(kReplies) ? kReplies[b] : in.Text(b % 12); // a zero among raw bytes ends the reply
}

// The drive, the music folder and the player as the target pretends them,
// and what the saver did to them during one operation.
struct World {
    std::string folder, statusReply;
    Names music, listed;
    std::size_t next = 0;
    std::optional<Names> musicLater; // replaces music once the next listing has begun
    bool copyThere = false, killFails = false, copyFails = false, openFails = false, open = false;
    struct Seen {
        std::vector<Names> listings; // of the music folder
        Names copies, commands;      // the sources of the copies tried; the player's commands
        bool copied = false;         // the last copy succeeded
        std::string status;          // the first 7 characters after the last status
    } seen;

    std::string Next() { return next < listed.size() ? listed[next++] : ""; }
    void SetFailures(std::uint8_t flags) {
        copyThere ^= flags & 1; // left over from an earlier run, or made or removed by someone else
        killFails = flags & 2;
        copyFails = flags & 4;
        openFails = flags & 8;
    }
};

void Wire(RecordingPlatform& pf, World& w, SaverState& f) {
    pf.programFolder = w.folder;
    pf.firstFileName = [&w](const std::string& pattern) {
        w.next = 0;
        if (pattern == w.folder + "\\music\\*.mid") {
            w.seen.listings.push_back(w.listed = w.music);
            if (w.musicLater) w.music = *std::exchange(w.musicLater, std::nullopt);
        } else {
            Check(pattern == kCopy, "a listing of something but the music and the copy");
            w.listed = w.copyThere ? Names{"test.mid"} : Names{};
        }
        return w.Next();
    };
    pf.nextFileName = [&w] { return w.Next(); };
    pf.removeFile = [&w](const std::string& path) {
        Check(path == kCopy && !w.open, "a delete of something but the copy, or while the player has it open");
        const bool gone = w.copyThere && !w.killFails;
        w.copyThere = w.copyThere && !gone;
        return gone;
    };
    pf.copyFile = [&w](const std::string& from, const std::string& to) {
        Check(to == kCopy && !w.open, "a copy to somewhere but the copy, or while the player has it open");
        Check(!w.copyThere, "a copy over a stale copy that was not deleted");
        w.seen.copies.push_back(from);
        return w.copyThere = w.seen.copied = !w.copyFails;
    };
    pf.player = [&w, &f](const std::string& command, char* reply, int length) -> long {
        w.seen.commands.push_back(command);
        Check(command == kOpen || command == kPlay || command == kStatus || command == kStop || command == kClose,
              "a command that is none of the five");
        const bool first = command != kPlay && command != kClose;
        Check(reply == (first ? f.reply : f.secondReply).data() && length == kReplyLength,
              "a command without its reply buffer of 255 characters");
        long code = w.open ? 0 : 263;
        if (command == kOpen) {
            Check(!w.open, "a second track opened while one is open");
            w.open = w.copyThere && !w.openFails;
            code = w.open ? 0 : 275;
        }
        std::snprintf(reply, static_cast<std::size_t>(length), "%s",
                      command == kStatus && w.open ? w.statusReply.c_str() : "");
        if (command == kStatus) w.seen.status.assign(reply, 7);
        if (command == kClose) w.open = false;
        return code;
    };
}

// One start, whose commands begin at seen.commands[from]; before is the
// generator as it was, stale whether the copy was there.
void CheckStart(const World& w, const SaverState& f, Generator before, bool stale, std::size_t from) {
    const World::Seen& s = w.seen;
    Check(s.listings.size() == 2, "a start lists the music other than twice");
    const auto chosen = static_cast<std::size_t>(before.Next() * static_cast<int>(s.listings[0].size()) + 1) - 1;
    Generator after = f.random; // both now one draw on from where the start began
    Check(after.Next() == before.Next(), "a start draws other than one number");

    std::string expected;
    for (std::size_t i = chosen; i < s.listings[1].size() && expected.empty(); ++i)
        if (s.listings[1][i].ends_with("mid") || s.listings[1][i].ends_with("midi")) expected = s.listings[1][i];
    Check(f.trackPath == w.folder + "\\music\\" + expected, "not the first acceptable name from the position");
    const Names copy = expected.empty() ? Names{} : Names{f.trackPath};
    Check(s.copies == copy || (s.copies.empty() && stale && w.killFails),
          "not one copy of the chosen track, nor none for want of an acceptable name or of a delete");
    const Names rest(s.commands.begin() + static_cast<std::ptrdiff_t>(from), s.commands.end());
    Check(rest == (s.copied ? Names{kOpen, kPlay} : Names{}), "a start's commands are not open and play of a copy");
}

void Poll(RecordingPlatform& pf, World& w, SaverState& f) {
    const Generator before = f.random;
    const bool stale = w.copyThere;
    const std::size_t callsBefore = pf.calls.size();
    PollMusic(f);
    const Call& first = pf.calls.at(callsBefore);
    Check(first.kind == Call::Kind::Timer && first.v[0] == 1 && first.v[1] == 1000,
          "a poll that does not first set its timer to a second");
    const Names& c = w.seen.commands;
    if (w.seen.status != "stopped") {
        Generator now = f.random, then = before;
        Check(c == Names{kStatus} && w.seen.listings.empty() && w.seen.copies.empty() && now.Next() == then.Next(),
              "a poll that does other than ask for the mode of a track not stopped");
        return;
    }
    Check(c.size() >= 3 && c[0] == kStatus && c[1] == kStop && c[2] == kClose,
          "a stopped track not stopped and closed");
    CheckStart(w, f, before, stale, 3);
}

} // namespace
} // namespace linesaver::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace linesaver;
    using namespace linesaver::fuzz;
    Bytes in{data, data + size};
    std::uint64_t seed = 0;
    for (int i = 0; i < 8; ++i) seed = seed << 8 | in.Next();
    static constexpr const char* kFolders[] = {"/opt/linesaver", "", "c:\\saver"};
    World w;
    w.folder = kFolders[in.Next() % std::size(kFolders)];
    w.SetFailures(in.Next());
    w.music = ReadNames(in);
    w.statusReply = ReadReply(in);

    RecordingPlatform pf;
    SaverState f(pf);
    f.random.Seed(seed);
    Wire(pf, w, f);
    const Generator before = f.random;
    const bool staleAtStart = w.copyThere;
    StartRandomTrack(f); // start-up's last step
    CheckStart(w, f, before, staleAtStart, 0);

    while (!in.Empty()) {
        w.seen = {};
        switch (in.Next() % 5) {
        case 0:
            w.statusReply = ReadReply(in);
            [[fallthrough]];
        case 1:
            Poll(pf, w, f);
            break;
        case 2:
            w.music = ReadNames(in);
            break;
        case 3:
            w.musicLater = ReadNames(in);
            break;
        case 4:
            w.SetFailures(in.Next());
            break;
        }
    }

    w.seen = {};
    const bool stale = w.copyThere;
    StopMusic(f);
    Check(w.seen.commands == Names{kStop, kClose} && w.seen.listings.empty() && w.seen.copies.empty(),
          "leaving does other than stop and close");
    Check(!w.copyThere || (stale && w.killFails), "the copy left behind though it could be deleted");
    return 0;
}
