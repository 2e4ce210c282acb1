// The player's command strings, first with no sound behind them (a soundfont
// that does not exist and SDL's silent audio driver), then for real: a
// one-second track through FluidSynth and SDL's disk audio driver, polled
// the way the saver polls it.
#include "music/music.h"
#include "platform/fluidsynth/mci_player.h"
#include "platform/fluidsynth/midi_synth.h"
#include "platform/posix/dos_files.h"
#include "platform/sdl/sdl_audio.h"
#include "tests/recording_platform.h"
#include "tests/support/temp_drive.h"

#include <chrono>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

namespace linesaver::testing {
namespace {

namespace fs = std::filesystem;

class MciPlayerTest : public ::testing::Test {
protected:
    MciPlayerTest() : files_(drive_.Drive().string()), player_(files_, MakeSdlAudioOutput, "/nonexistent/none.sf2") {}

    long Send(const std::string& command) { return player_.Send(command, reply_.data(), 255); }
    std::string Reply() const { return reply_.data(); }
    fs::path Copy() const { return drive_.Drive() / "test.mid"; }

    ScopedEnv audio_{"SDL_AUDIODRIVER", "dummy"};
    TempDrive drive_;
    DosFiles files_;
    MciPlayer player_;
    std::array<char, 255> reply_{};
};

TEST_F(MciPlayerTest, OpensOnlyARegularMidiFileOnTheDrive) {
    const fs::path elsewhere = drive_.root / "real.mid";
    Write(elsewhere, OneSecondMidi());
    const struct {
        const char* what;
        void (*make)(const fs::path& copy, const fs::path& midi);
    } cases[] = {
        {"missing", [](const fs::path&, const fs::path&) {}},
        {"not MIDI", [](const fs::path& p, const fs::path&) { Write(p, "RIFF....WAVE"); }},
        {"empty", [](const fs::path& p, const fs::path&) { Write(p, ""); }},
        {"link", [](const fs::path& p, const fs::path& m) { fs::create_symlink(m, p); }},
        {"folder", [](const fs::path& p, const fs::path&) { fs::create_directory(p); }},
        {"FIFO", [](const fs::path& p, const fs::path&) { ::mkfifo(p.c_str(), 0600); }},
    };
    for (const auto& k : cases) {
        fs::remove_all(Copy());
        k.make(Copy(), elsewhere);
        EXPECT_NE(Send("open c:\\test.mid"), 0) << k.what;
        EXPECT_NE(Send("status c:\\test.mid mode"), 0) << k.what << ": nothing was opened";
    }
}

// Without a soundfont nothing ever plays: "open" fails once that is known,
// and until then the track is never reported "stopped", so the poll does
// not go round starting tracks. (What the player refuses, and its replies'
// bounds, are the fuzz target's invariants, replayed over its corpus.)
TEST_F(MciPlayerTest, WithoutASoundfontNothingEverStops) {
    Write(Copy(), OneSecondMidi());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    long code = 0;
    while ((code = Send("open c:\\test.mid")) == 0 && std::chrono::steady_clock::now() < deadline) {
        EXPECT_EQ(Send("play c:\\test.mid"), 0);
        EXPECT_EQ(Send("status c:\\test.mid mode"), 0);
        EXPECT_EQ(Reply(), "not ready");
        EXPECT_EQ(Send("close c:\\test.mid"), 0);
        EXPECT_NE(Send("close c:\\test.mid"), 0) << "closed already";
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_NE(code, 0);
    EXPECT_EQ(Reply(), "");
}

// The saver's platform with the real drive and player behind it.
struct RealMusic {
    RealMusic(TempDrive& d) : files(d.Drive().string()), player(files, MakeSdlAudioOutput) {
        pf.programFolder = d.App().string();
        pf.firstFileName = [this](const std::string& p) { return files.FirstFileName(p); };
        pf.nextFileName = [this] { return files.NextFileName(); };
        pf.removeFile = [this](const std::string& p) { return files.RemoveFile(p); };
        pf.copyFile = [this](const std::string& a, const std::string& b) { return files.CopyFileTo(a, b); };
        pf.player = [this](const std::string& c, char* r, int n) {
            const long code = player.Send(c, r, n);
            if (c.rfind("status", 0) == 0 && (modes.empty() || modes.back() != r)) modes.push_back(r);
            opens += c.rfind("open", 0) == 0;
            return code;
        };
    }
    DosFiles files;
    MciPlayer player;
    RecordingPlatform pf;
    std::vector<std::string> modes; // the replies to "status", each change once
    int opens = 0;
};

TEST(MciPlayback, ATrackPlaysStopsAndTheNextOneFollows) {
    if (::access(kDefaultSoundfont, R_OK) != 0) GTEST_SKIP() << "no soundfont at " << kDefaultSoundfont;
    TempDrive drive;
    const fs::path raw = drive.root / "out.raw";
    ScopedEnv driver("SDL_AUDIODRIVER", "disk");
    ScopedEnv file("SDL_DISKAUDIOFILE", raw.string());
    Write(drive.Music() / "chord.mid", OneSecondMidi());

    std::vector<std::string> modes;
    {
        RealMusic music(drive);
        SaverState f(music.pf);
        StartRandomTrack(f); // at once: the soundfont is still loading
        EXPECT_TRUE(fs::exists(drive.Drive() / "test.mid"));
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (music.opens < 2 && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            PollMusic(f);
        }
        EXPECT_EQ(music.opens, 2) << "the poll starts the next track";
        StopMusic(f);
        EXPECT_FALSE(fs::exists(drive.Drive() / "test.mid"));
        modes = music.modes;
    }
    // "not ready" may come first, while the soundfont loads.
    if (!modes.empty() && modes.front() == "not ready") modes.erase(modes.begin());
    ASSERT_GE(modes.size(), 2u);
    EXPECT_EQ(modes[0], "playing");
    EXPECT_EQ(modes[1], "stopped");
    EXPECT_GT(fs::file_size(raw), 44100u * 8) << "a second of sound went out (its level: saver_x11.sh)";
}

} // namespace
} // namespace linesaver::testing
