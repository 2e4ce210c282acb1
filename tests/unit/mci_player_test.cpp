// The player's command strings, with no sound behind them: a soundfont that
// does not exist and SDL's silent audio driver.
#include "platform/dos_files.h"
#include "platform/mci_player.h"
#include "tests/unit/music_test_support.h"

#include <chrono>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

namespace linesaver::testing {
namespace {

namespace fs = std::filesystem;

class MciPlayerTest : public ::testing::Test {
protected:
    MciPlayerTest() : files(drive.drive().string()), player(files, "/nonexistent/none.sf2") {}

    // Sends command with a reply buffer full of 'x'.
    long Send(const std::string& command) {
        reply.fill('x');
        return player.Send(command, reply.data(), static_cast<int>(reply.size()));
    }
    std::string Reply() const { return reply.data(); }
    bool RestUntouched() const {
        const std::size_t end = std::strlen(reply.data());
        return std::all_of(reply.begin() + static_cast<std::ptrdiff_t>(end) + 1, reply.end(),
                           [](char c) { return c == 'x'; });
    }
    fs::path Copy() const { return drive.drive() / "test.mid"; }

    ScopedEnv audio{"SDL_AUDIODRIVER", "dummy"};
    TempDrive drive;
    DosFiles files;
    MciPlayer player;
    std::array<char, 255> reply{};
};

TEST_F(MciPlayerTest, RefusesCommandsWithoutAnOpenDevice) {
    for (const char* command : {"", "bogus c:\\test.mid", "play c:\\test.mid", "status c:\\test.mid mode",
                                "stop c:\\test.mid", "close c:\\test.mid", "open", "open a b"}) {
        EXPECT_NE(Send(command), 0) << command;
        EXPECT_EQ(Reply(), "") << command;
        EXPECT_TRUE(RestUntouched()) << command;
    }
}

TEST_F(MciPlayerTest, OpensOnlyARegularMidiFileOnTheDrive) {
    const fs::path elsewhere = drive.root / "real.mid";
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
// not go round starting tracks.
TEST_F(MciPlayerTest, WithoutASoundfontNothingEverStops) {
    Write(Copy(), OneSecondMidi());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    long code = 0;
    while ((code = Send("open c:\\test.mid")) == 0 && std::chrono::steady_clock::now() < deadline) {
        EXPECT_EQ(Send("play c:\\test.mid"), 0);
        EXPECT_EQ(Send("status c:\\test.mid mode"), 0);
        EXPECT_EQ(Reply(), "not ready");
        EXPECT_TRUE(RestUntouched());
        EXPECT_EQ(Send("close c:\\test.mid"), 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_NE(code, 0);
    EXPECT_EQ(Reply(), "");
}

TEST_F(MciPlayerTest, OneDeviceAtATime) {
    Write(Copy(), OneSecondMidi());
    // Opening may fail outright once the missing soundfont is known.
    if (Send("open c:\\test.mid") != 0) GTEST_SKIP() << "the load failed before the first open";
    EXPECT_NE(Send("open c:\\test.mid"), 0);
    EXPECT_NE(Send("status c:\\other.mid mode"), 0) << "a device is named by its path";
    EXPECT_NE(Send("status c:\\test.mid"), 0) << "status needs its item";
    EXPECT_EQ(Send("close c:\\test.mid"), 0);
    EXPECT_NE(Send("close c:\\test.mid"), 0) << "closed already";
}

} // namespace
} // namespace linesaver::testing
