// The background music over a pretend drive: which track is chosen, the
// copy and the player's commands, the poll, and leaving.
#include "music/music.h"
#include "shell/saver.h"
#include "tests/unit/music_fake_drive.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace linesaver::testing {
namespace {

const std::string kSource = "/opt/linesaver\\music\\";
const std::string kCopy = "c:\\test.mid";

// A seed after which Int(Rnd * count + 1) is chosen.
std::uint64_t SeedFor(int chosen, int count) {
    for (std::uint64_t seed = 0;; ++seed) {
        Generator g;
        g.Seed(seed);
        if (static_cast<int>(g.Rnd() * count + 1) == chosen) return seed;
    }
}

struct MusicRig {
    MusicRig() : drive(pf), f(pf) {}
    // StartRandomTrack with the choice landing on position chosen.
    void Start(int chosen) {
        f.rng.Seed(SeedFor(chosen, static_cast<int>(drive.music.size())));
        StartRandomTrack(f);
    }
    std::vector<std::string> Commands() const {
        std::vector<std::string> out;
        for (const Call& c : pf.Only(Call::Kind::Mci)) out.push_back(c.text);
        return out;
    }
    RecordingPlatform pf;
    FakeDrive drive;
    Form1 f;
};

const std::vector<std::string> kOpenPlay = {"open " + kCopy, "play " + kCopy};

struct ChoiceCase {
    std::vector<std::string> names;
    int chosen;
    std::string played; // "" when nothing is
};

class TrackChoice : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(TrackChoice, PlaysTheFirstAcceptableNameFromTheChosenPosition) {
    const ChoiceCase& c = GetParam();
    MusicRig rig;
    rig.drive.music = c.names;
    rig.Start(c.chosen);
    if (c.played.empty()) {
        EXPECT_TRUE(rig.Commands().empty());
        EXPECT_TRUE(rig.drive.log.empty());
    } else {
        EXPECT_EQ(rig.drive.log, std::vector<std::string>{"copy " + kSource + c.played + " " + kCopy});
        EXPECT_EQ(rig.Commands(), kOpenPlay);
        EXPECT_EQ(rig.f.strFileFrom, kSource + c.played);
    }
    EXPECT_EQ(rig.f.strFileTo, kCopy);
}

INSTANTIATE_TEST_SUITE_P(Music, TrackChoice,
                         ::testing::Values(ChoiceCase{{"a.mid", "b.txt.mid", "C.MID"}, 1, "a.mid"},
                                           ChoiceCase{{"a.mid", "b.txt.mid", "C.MID"}, 2, "b.txt.mid"},
                                           ChoiceCase{{"a.mid", "b.txt.mid", "C.MID"}, 3, ""},
                                           ChoiceCase{{"X.MID", "b.mid"}, 1, "b.mid"},
                                           ChoiceCase{{"a.mid", "b.mid"}, 2, "b.mid"},
                                           ChoiceCase{{"a.mid", "B.MIDI", "c.midi"}, 2, "c.midi"},
                                           ChoiceCase{{"song.Mid"}, 1, ""},
                                           ChoiceCase{{}, 1, ""}));

TEST(Music, OneAcceptableFilePlaysAgainAndAgain) {
    MusicRig rig;
    rig.drive.music = {"only.mid"};
    rig.drive.statusReply = "stopped";
    StartRandomTrack(rig.f);
    for (int poll = 0; poll < 3; ++poll) Timer2_Timer(rig.f);

    std::vector<std::string> want = kOpenPlay;
    for (int poll = 0; poll < 3; ++poll)
        want.insert(want.end(), {"status " + kCopy + " mode", "stop " + kCopy, "close " + kCopy, "open " + kCopy,
                                 "play " + kCopy});
    EXPECT_EQ(rig.Commands(), want);
    const std::string copy = "copy " + kSource + "only.mid " + kCopy;
    EXPECT_EQ(rig.drive.log,
              (std::vector<std::string>{copy, "kill " + kCopy, copy, "kill " + kCopy, copy, "kill " + kCopy, copy}));
}

TEST(Music, AStaleCopyIsDeletedBeforeTheCopy) {
    MusicRig rig;
    rig.drive.music = {"a.mid"};
    rig.drive.files = {kCopy};
    StartRandomTrack(rig.f);
    EXPECT_EQ(rig.drive.log, (std::vector<std::string>{"kill " + kCopy, "copy " + kSource + "a.mid " + kCopy}));
    EXPECT_EQ(rig.Commands(), kOpenPlay);
}

struct PollCase {
    const char* before; // what the reply buffer held before the poll
    const char* reply;  // what the player writes into it
    bool nextTrack;
};

class Poll : public ::testing::TestWithParam<PollCase> {};

TEST_P(Poll, OnlyTheFirstSevenCharactersOfTheModeCount) {
    const PollCase& c = GetParam();
    MusicRig rig;
    rig.drive.music = {"a.mid"};
    rig.drive.statusReply = c.reply;
    std::snprintf(rig.f.mciReturnA.data(), kReplyLength, "%s", c.before);
    Timer2_Timer(rig.f);
    const std::vector<std::string> commands = rig.Commands();
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands.front(), "status " + kCopy + " mode");
    if (c.nextTrack) {
        EXPECT_EQ(commands, (std::vector<std::string>{"status " + kCopy + " mode", "stop " + kCopy,
                                                      "close " + kCopy, "open " + kCopy, "play " + kCopy}));
    } else {
        EXPECT_EQ(commands.size(), 1u);
    }
}

INSTANTIATE_TEST_SUITE_P(Music, Poll,
                         ::testing::Values(PollCase{"", "stopped", true}, PollCase{"", "stopped, and more", true},
                                           PollCase{"", "stoppedX", true}, PollCase{"", "playing", false},
                                           PollCase{"", "Stopped", false}, PollCase{"", "stoppe", false},
                                           PollCase{"", "not ready", false}, PollCase{"", "", false},
                                           // A shorter reply over an old "stopped" ends at its zero.
                                           PollCase{"stopped", "stop", false}));

TEST(Music, ThePollComesAfter100MsThenEverySecond) {
    RecordingPlatform pf;
    FakeDrive drive(pf);
    Saver saver(pf);
    saver.Form_Load();
    EXPECT_EQ(pf.timerInterval[1], 100);
    for (int poll = 0; poll < 2; ++poll) {
        saver.Timer2_Timer();
        EXPECT_EQ(pf.timerInterval[1], 1000);
    }
}

struct FailureCase {
    const char* name;
    std::vector<std::string> music;
    bool staleCopy, killFails, copyFails;
    long openCode;
};

class Failure : public ::testing::TestWithParam<FailureCase> {};

// Whatever fails, no track starts, the poll starts none either, and the
// animation goes on drawing.
TEST_P(Failure, TheAnimationRunsOnSilently) {
    const FailureCase& c = GetParam();
    RecordingPlatform pf;
    FakeDrive drive(pf);
    drive.music = c.music;
    if (c.staleCopy) drive.files = {kCopy};
    drive.killFails = c.killFails;
    drive.copyFails = c.copyFails;
    drive.openCode = c.openCode;
    // An unopened device: "status" fails with an empty reply.
    drive.statusCode = 263;
    drive.statusReply = "";
    Saver saver(pf);
    saver.Form_Load();
    saver.Timer2_Timer();
    int played = 0;
    for (const Call& call : pf.Only(Call::Kind::Mci)) played += call.text.rfind("play", 0) == 0;
    EXPECT_LE(played, c.openCode != 0 ? 1 : 0);
    EXPECT_FALSE(pf.ended);
    for (int tick = 0; tick < 5; ++tick) saver.Timer1_Timer();
    EXPECT_FALSE(pf.Only(Call::Kind::Line).empty() && pf.Only(Call::Kind::Circle).empty());
}

INSTANTIATE_TEST_SUITE_P(Music, Failure,
                         ::testing::Values(FailureCase{"NoMusic", {}, false, false, false, 0},
                                           FailureCase{"OnlyUpperCase", {"C.MID"}, false, false, false, 0},
                                           FailureCase{"CopyFails", {"a.mid"}, false, false, true, 0},
                                           FailureCase{"StaleCopyStays", {"a.mid"}, true, true, false, 0},
                                           FailureCase{"OpenFails", {"a.mid"}, false, false, false, 275}),
                         [](const auto& p) { return std::string(p.param.name); });

struct StopCase {
    bool copyExists;
    std::vector<std::string> log;
};

class Stop : public ::testing::TestWithParam<StopCase> {};

TEST_P(Stop, StopsClosesAndDeletesTheCopy) {
    MusicRig rig;
    if (GetParam().copyExists) rig.drive.files = {kCopy};
    StopMusic(rig.f);
    EXPECT_EQ(rig.Commands(), (std::vector<std::string>{"stop " + kCopy, "close " + kCopy}));
    EXPECT_EQ(rig.drive.log, GetParam().log);
    EXPECT_TRUE(rig.drive.files.empty());
}

INSTANTIATE_TEST_SUITE_P(Music, Stop,
                         ::testing::Values(StopCase{true, {"kill " + kCopy}}, StopCase{false, {}}),
                         [](const auto& p) { return std::string(p.param.copyExists ? "CopyThere" : "NoCopy"); });

} // namespace
} // namespace linesaver::testing
