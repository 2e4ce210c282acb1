// The background music over a pretend drive: which track is chosen, the
// copy and the player's commands, the poll, and leaving.
#include "music/music.h"
#include "shell/saver.h"
#include "tests/recording_platform.h"

#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <set>

namespace linesaver::testing {
namespace {

// A pretend music folder and drive "c:\" behind a RecordingPlatform, and a
// player that answers "status" and "open" as told.
struct FakeDrive {
    std::vector<std::string> music; // the music folder's names, in listing order
    std::set<std::string> files;    // other files that exist, by DOS path
    bool copyFails = false, removeFails = false;
    long statusCode = 0, openCode = 0;
    std::string statusReply = "playing";
    std::vector<std::string> log; // "remove <path>", "copy <from> <to>"
    std::vector<std::string> listing;
    std::size_t next = 0;

    explicit FakeDrive(RecordingPlatform& pf) {
        pf.firstFileName = [this, &pf](const std::string& pattern) {
            listing = pattern == pf.programFolder + "\\music\\*.mid" ? music : std::vector<std::string>{};
            if (files.count(pattern)) listing = {pattern.substr(pattern.rfind('\\') + 1)};
            next = 0;
            return Next();
        };
        pf.nextFileName = [this] { return Next(); };
        pf.removeFile = [this](const std::string& path) {
            log.push_back("remove " + path);
            return !removeFails && files.erase(path) == 1;
        };
        pf.copyFile = [this](const std::string& from, const std::string& to) {
            log.push_back("copy " + from + " " + to);
            return !copyFails && (files.insert(to), true);
        };
        pf.player = [this](const std::string& command, char* reply, int) {
            const bool status = command.rfind("status", 0) == 0;
            std::strcpy(reply, status ? statusReply.c_str() : "");
            return status ? statusCode : command.rfind("open", 0) == 0 ? openCode : 0L;
        };
    }
    std::string Next() { return next < listing.size() ? listing[next++] : ""; }
};

const std::string kSource = "/opt/linesaver\\music\\";
const std::string kCopy = "c:\\test.mid";

// A seed after which Int(Rnd * count + 1) is chosen.
std::uint64_t SeedFor(int chosen, int count) {
    for (std::uint64_t seed = 0;; ++seed) {
        Generator g;
        g.Seed(seed);
        if (static_cast<int>(g.Next() * count + 1) == chosen) return seed;
    }
}

struct MusicRig {
    MusicRig() : drive(pf), s(pf) {}
    // StartRandomTrack with the choice landing on position chosen.
    void Start(int chosen) {
        s.random.Seed(SeedFor(chosen, static_cast<int>(drive.music.size())));
        StartRandomTrack(s);
    }
    std::vector<std::string> Commands() const {
        std::vector<std::string> out;
        for (const Call& c : pf.Only(Call::Kind::Player)) out.push_back(c.text);
        return out;
    }
    RecordingPlatform pf;
    FakeDrive drive;
    SaverState s;
};

const std::vector<std::string> kOpenPlay = {"open " + kCopy, "play " + kCopy};

// The track chosen from each listing and position: the first acceptable
// name (ending in lower-case .mid or .midi) from there on, never wrapping
// round; a stale copy is deleted before the new one is made.
TEST(Music, PlaysTheFirstAcceptableNameFromTheChosenPosition) {
    const struct {
        std::vector<std::string> names;
        int chosen;
        std::string played; // "" when nothing is
        bool staleCopy = false;
    } cases[] = {
        {{"a.mid", "b.txt.mid", "C.MID"}, 1, "a.mid"},
        {{"a.mid", "b.txt.mid", "C.MID"}, 2, "b.txt.mid"},
        {{"a.mid", "b.txt.mid", "C.MID"}, 3, ""},
        {{"X.MID", "b.mid"}, 1, "b.mid"},
        {{"a.mid", "b.mid"}, 2, "b.mid", true},
        {{"a.mid", "B.MIDI", "c.midi"}, 2, "c.midi"},
        {{"song.Mid"}, 1, ""},
        {{}, 1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "position " << c.chosen << " of " << c.names.size());
        MusicRig rig;
        rig.drive.music = c.names;
        if (c.staleCopy) rig.drive.files = {kCopy};
        rig.Start(c.chosen);
        std::vector<std::string> log;
        if (c.staleCopy) log.push_back("remove " + kCopy);
        if (!c.played.empty()) log.push_back("copy " + kSource + c.played + " " + kCopy);
        EXPECT_EQ(rig.drive.log, log);
        EXPECT_EQ(rig.Commands(), c.played.empty() ? std::vector<std::string>{} : kOpenPlay);
    }
}

// Only the first seven characters of the player's mode count; the next
// track is started only on "stopped", the old copy deleted first.
TEST(Music, ThePollStartsTheNextTrackOnlyWhenStopped) {
    const struct {
        const char* before; // what the reply buffer held before the poll
        const char* reply;  // what the player writes into it
        bool nextTrack;
    } cases[] = {
        {"", "stopped", true}, {"", "stopped, and more", true}, {"", "stoppedX", true}, {"", "playing", false},
        {"", "Stopped", false}, {"", "stoppe", false}, {"", "not ready", false}, {"", "", false},
        // A shorter reply over an old "stopped" ends at its zero.
        {"stopped", "stop", false},
    };
    for (const auto& c : cases) {
        MusicRig rig;
        rig.drive.music = {"a.mid"};
        rig.drive.statusReply = c.reply;
        rig.drive.files = {kCopy};
        std::snprintf(rig.s.reply.data(), kReplyLength, "%s", c.before);
        PollMusic(rig.s);
        std::vector<std::string> want = {"status " + kCopy + " mode"}, log;
        if (c.nextTrack) want.insert(want.end(), {"stop " + kCopy, "close " + kCopy, "open " + kCopy, "play " + kCopy});
        if (c.nextTrack) log = {"remove " + kCopy, "copy " + kSource + "a.mid " + kCopy};
        EXPECT_EQ(rig.Commands(), want) << c.reply;
        EXPECT_EQ(rig.drive.log, log) << c.reply;
    }
}

// Whatever fails, no track starts, the poll (every second) starts none
// either, and the animation goes on drawing.
TEST(Music, AfterAFailureTheAnimationRunsOnSilently) {
    const struct {
        const char* name;
        bool music, staleStays, copyFails;
        long openCode;
    } cases[] = {
        {"no music", false, false, false, 0},
        {"the copy fails", true, false, true, 0},
        {"a stale copy stays", true, true, false, 0},
        {"open fails", true, false, false, 275},
    };
    for (const auto& c : cases) {
        RecordingPlatform pf;
        FakeDrive drive(pf);
        if (c.music) drive.music = {"a.mid"};
        if (c.staleStays) drive.files = {kCopy};
        drive.removeFails = c.staleStays;
        drive.copyFails = c.copyFails;
        drive.openCode = c.openCode;
        drive.statusCode = 263; // an unopened device: "status" fails with an empty reply
        drive.statusReply = "";
        Saver saver(pf);
        saver.Start();
        saver.MusicPoll();
        EXPECT_EQ(pf.timerInterval[1], 1000) << c.name;
        int played = 0;
        for (const Call& call : pf.Only(Call::Kind::Player)) played += call.text.rfind("play", 0) == 0;
        EXPECT_LE(played, c.openCode != 0 ? 1 : 0) << c.name;
        EXPECT_FALSE(pf.ended) << c.name;
        for (int tick = 0; tick < 5; ++tick) saver.FrameTick();
        EXPECT_FALSE(pf.Only(Call::Kind::Line).empty() && pf.Only(Call::Kind::Circle).empty()) << c.name;
    }
}

TEST(Music, StopStopsClosesAndDeletesTheCopy) {
    for (bool copyThere : {true, false}) {
        MusicRig rig;
        if (copyThere) rig.drive.files = {kCopy};
        StopMusic(rig.s);
        EXPECT_EQ(rig.Commands(), (std::vector<std::string>{"stop " + kCopy, "close " + kCopy}));
        EXPECT_EQ(rig.drive.log, copyThere ? std::vector<std::string>{"remove " + kCopy} : std::vector<std::string>{});
        EXPECT_TRUE(rig.drive.files.empty());
    }
}

} // namespace
} // namespace linesaver::testing
