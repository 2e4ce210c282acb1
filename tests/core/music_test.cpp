// The music poll: which replies of the player start the next track. The
// track choice, the copy and leaving are checked against a model of them
// by the track choice fuzz target, whose corpus replays as a test.
#include "music/music.h"
#include "tests/recording_platform.h"

#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>

namespace linesaver::testing {
namespace {

const std::string kCopy = "c:\\test.mid";

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
        RecordingPlatform pf;
        std::vector<std::string> log;
        // The copy is there, and the music folder holds a.mid.
        pf.firstFileName = [](const std::string& pattern) { return pattern == kCopy ? "test.mid" : "a.mid"; };
        pf.removeFile = [&](const std::string& path) { return log.push_back("remove " + path), true; };
        pf.copyFile = [&](const std::string& from, const std::string& to) {
            return log.push_back("copy " + from + " " + to), true;
        };
        pf.player = [&](const std::string& command, char* reply, int) {
            std::strcpy(reply, command.rfind("status", 0) == 0 ? c.reply : "");
            return 0L;
        };
        SaverState s(pf);
        std::snprintf(s.reply.data(), kReplyLength, "%s", c.before);
        PollMusic(s);
        std::vector<std::string> want = {"status " + kCopy + " mode"}, wantLog;
        if (c.nextTrack) {
            want.insert(want.end(), {"stop " + kCopy, "close " + kCopy, "open " + kCopy, "play " + kCopy});
            wantLog = {"remove " + kCopy, "copy /opt/linesaver\\music\\a.mid " + kCopy};
        }
        std::vector<std::string> commands;
        for (const Call& call : pf.Only(Call::Kind::Player)) commands.push_back(call.text);
        EXPECT_EQ(commands, want) << c.reply;
        EXPECT_EQ(log, wantLog) << c.reply;
        EXPECT_EQ(pf.timerInterval[1], 1000) << "the poll comes every second";
    }
}

} // namespace
} // namespace linesaver::testing
