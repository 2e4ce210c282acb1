// The music as heard, through FluidSynth and SDL's disk audio driver: dense
// and loud General MIDI files come out loud but never reach -1 dBFS, and a
// quiet passage after a loud one comes out as loud as on its own. (Which
// files the player opens, FluidSynth loading every one it does:
// midi_file_check_test.cpp and the player's fuzz corpus, whose tracks hold
// system exclusive, tempo and time-signature events and tracks without
// their end.)
#include "platform/fluidsynth/mci_player.h"
#include "platform/fluidsynth/midi_synth.h"
#include "platform/posix/dos_files.h"
#include "platform/sdl/sdl_audio.h"
#include "tests/support/temp_drive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

namespace linesaver::testing {
namespace {

namespace fs = std::filesystem;
using Tracks = std::vector<midi::Track>;

constexpr int kRate = 44100;
constexpr std::uint32_t kBeat = midi::kTicksPerQuarter;
constexpr int kDrums = 9;
constexpr int kVolume = 7, kExpression = 11, kReverb = 91, kChorus = 93, kAllSoundOff = 120;

// A track as it came out of the player, from its first sound on; none
// when "open" refused it.
std::optional<std::vector<float>> Play(const std::string& smf) {
    TempDrive drive;
    const fs::path raw = drive.root / "out.raw";
    ScopedEnv driver("SDL_AUDIODRIVER", "disk");
    ScopedEnv file("SDL_DISKAUDIOFILE", raw.string());
    ScopedEnv fast("SDL_DISKAUDIODELAY", "0"); // as fast as it renders
    Write(drive.Drive() / "test.mid", smf);
    DosFiles files(drive.Drive().string());
    {
        MciPlayer player(files, MakeSdlAudioOutput);
        std::array<char, 255> reply{};
        auto send = [&](const std::string& verb, const std::string& more = "") {
            return player.Send(verb + " c:\\test.mid" + more, reply.data(), 255);
        };
        if (send("open") != 0) return std::nullopt;
        send("play");
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (send("status", " mode") == 0 && std::string(reply.data()) != "stopped" &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_STREQ(reply.data(), "stopped");
        send("close");
    }
    const std::string bytes = Read(raw);
    std::vector<float> samples(bytes.size() / sizeof(float));
    std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(float));
    // The driver writes silence as fast as it can while the soundfont
    // loads, and after the track until it is closed: keep what is heard,
    // from the first sound down to -80 dBFS at the end.
    const auto first = std::find_if(samples.begin(), samples.end(), [](float x) { return x != 0; });
    const auto last = std::find_if(samples.rbegin(), samples.rend(), [](float x) { return std::fabs(x) > 1e-4f; });
    return std::vector<float>(first, std::max(first, last.base()));
}

double Dbfs(double level) { return 20 * std::log10(std::max(level, 1e-10)); }

// Peak and RMS of the samples from one time to another (seconds after the
// first sound), in dBFS.
struct Level {
    double peak;
    double rms;
};
Level Measure(const std::vector<float>& samples, double from = 0, double to = 1e9) {
    const auto first = std::min(samples.size(), static_cast<std::size_t>(from * kRate) * 2);
    const auto last = std::min(samples.size(), static_cast<std::size_t>(to * kRate) * 2);
    double peak = 0, sum = 0;
    for (auto i = first; i < last; ++i) {
        peak = std::max(peak, std::fabs(double{samples[i]}));
        sum += double{samples[i]} * samples[i];
    }
    return {Dbfs(peak), Dbfs(std::sqrt(sum / std::max<std::size_t>(last - first, 1)))};
}

// Loud General MIDI programs: brass, distortion guitar, strings, saw lead, organ.
constexpr int kLoudPrograms[] = {61, 30, 48, 81, 19, 56, 29, 62};

// Every channel at full volume and expression playing four-note chords, the
// drums on channel 10, one track a channel after a tempo track: beats beats
// at 120 bpm unless the tempo track says otherwise, every sound cut a beat
// later (so the player need not wait for the long tails to die away).
Tracks Band(int beats, int velocity) {
    Tracks tracks(17);
    tracks[0].Tempo(0, 120);
    tracks[0].Meter(0, 4, 4);
    for (int channel = 0; channel < 16; ++channel) {
        midi::Track& t = tracks[channel + 1];
        t.Program(0, channel, channel == kDrums ? 0 : kLoudPrograms[channel % 8]);
        t.Control(0, channel, kVolume, 127);
        t.Control(0, channel, kExpression, 127);
        const int root = 36 + 12 * (channel % 4) + channel / 4;
        for (std::uint32_t beat = 0; beat < static_cast<std::uint32_t>(beats); ++beat)
            for (int key :
                 channel == kDrums ? std::array{36, 38, 42, 49} : std::array{root, root + 4, root + 7, root + 12})
                t.Note(beat * kBeat, channel, key, velocity, kBeat);
        t.Control((beats + 1) * kBeat, channel, kAllSoundOff, 0);
    }
    return tracks;
}

// A soft piano note at beat `at`, alone on channel 0 after a band's last
// sounds have been cut, with reverb and chorus off, so that nothing of
// what came before lingers.
void QuietNote(Tracks& tracks, std::uint32_t at) {
    for (int channel = 0; channel < 16; ++channel) {
        tracks[0].Control(0, channel, kReverb, 0);
        tracks[0].Control(0, channel, kChorus, 0);
    }
    tracks[0].Program(at * kBeat, 0, 0);
    tracks[0].Control(at * kBeat, 0, kVolume, 100);
    tracks[0].Note(at * kBeat, 0, 72, 50, 2 * kBeat);
}

std::string Smf(const Tracks& tracks, const midi::Layout& layout = {}) {
    const midi::Bytes bytes = midi::File(tracks, layout);
    return {bytes.begin(), bytes.end()};
}

class MusicLoudness : public ::testing::Test {
protected:
    void SetUp() override {
        if (::access(kDefaultSoundfont, R_OK) != 0) GTEST_SKIP() << "no soundfont at " << kDefaultSoundfont;
    }
};

// Every file plays loud and never over -1 dBFS.
TEST_F(MusicLoudness, LoudFilesPlayLoudUnderMinus1Dbfs) {
    Tracks faster = Band(4, 120);
    for (std::uint32_t beat = 1; beat < 4; ++beat) faster[0].Tempo(beat * kBeat, 120 + 40 * beat);
    Tracks drums(2);
    drums[0].Tempo(0, 160);
    for (std::uint32_t beat = 0; beat < 8; ++beat)
        for (int key = 35; key <= 57; key += 2) drums[1].Note(beat * kBeat / 2, kDrums, key, 127, kBeat / 2);
    const struct {
        const char* what;
        std::string smf;
    } cases[] = {
        {"16 channels, chords at velocity 127", Smf(Band(4, 127))},
        {"the same in format 0 with running status", Smf(Band(4, 127), {.format = 0, .runningStatus = true})},
        {"tempo rising every beat", Smf(faster)},
        {"twelve drums at once at velocity 127", Smf(drums)},
    };
    for (const auto& c : cases) {
        const auto samples = Play(c.smf);
        ASSERT_TRUE(samples) << c.what << ": not opened";
        const Level level = Measure(*samples);
        EXPECT_LT(level.peak, -1) << c.what;
        EXPECT_GT(level.rms, -30) << c.what << ": not silent";
        EXPECT_GT(level.peak, -6) << c.what << ": loud files still come out loud";
    }
}

TEST_F(MusicLoudness, AQuietPassageAfterALoudOneIsNotLeftQuieter) {
    Tracks loudFirst = Band(3, 127);
    Tracks quietOnly = Band(3, 1); // the same file with the loud notes all but gone
    QuietNote(loudFirst, 6);       // 1.5 s of rest after the loud passage
    QuietNote(quietOnly, 6);
    const auto after = Play(Smf(loudFirst));
    const auto alone = Play(Smf(quietOnly));
    ASSERT_TRUE(after && alone);
    const Level loud = Measure(*after, 0, 1.5);
    const Level quietAfter = Measure(*after, 3, 4);
    const Level quietAlone = Measure(*alone, 3, 4);
    EXPECT_GT(loud.peak, -1.5) << "the loud passage reaches the ceiling";
    EXPECT_GT(quietAlone.rms, -50) << "the quiet note sounds";
    EXPECT_NEAR(quietAfter.rms, quietAlone.rms, 0.1);
    EXPECT_NEAR(quietAfter.peak, quietAlone.peak, 0.1);
}

} // namespace
} // namespace linesaver::testing
