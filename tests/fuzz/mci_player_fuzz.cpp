// The player's command strings: arbitrary commands and reply lengths, and a
// track file of arbitrary bytes at c:\test.mid.
//
// The input is lines. A line that begins with '=' ends the commands: the
// rest of the input after the '=' is the file (without such a line there is
// no file). Every other line is one command: its first byte sets the reply
// length ('.' the saver's 255, '!' no buffer at all, any other byte b gives
// b - '1', so '0' is -1, '1' is 0, '2' is 1 ...), the rest is the command.
//
// One player serves every input, with the system's soundfont loaded once,
// so open, play, status, stop and close all reach FluidSynth's player; each
// input leaves the player closed. FluidSynth parses a track only in the
// audio callback, once per 46 ms block of SDL's dummy driver, too late for
// one input; so every track the player accepts is also handed to a silent
// synth of the target's own, which parses and starts it at once: a track
// that opens must load there too, or it would stop as soon as it played.
#include "platform/fluidsynth/mci_player.h"
#include "platform/posix/dos_files.h"
#include "platform/sdl/sdl_audio.h"
#include "tests/fuzz/fuzz_check.h"

#include <fluidsynth.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>

namespace linesaver::fuzz {
namespace {

namespace fs = std::filesystem;
const std::string kCopy = "c:\\test.mid";
constexpr std::string_view kModes[] = {"not ready", "playing", "stopped"};

char Canary(std::size_t i) { return static_cast<char>('a' + i % 26); }

// A private drive, the one player, and FluidSynth with no soundfont and no
// audio, which parses a track and plays its first events in the caller's
// thread; ready before the first input.
struct Rig {
    Rig() : root(MakeRoot()), files((root / "c").string()), player(files, MakeSdlAudioOutput) {
        fluid_settings_setstr(settings, "player.timing-source", "sample");
        fluid_settings_setint(settings, "synth.lock-memory", 0);
        Check(synth != nullptr, "no synth for parsing tracks");
        // Waits until the soundfont has loaded (or failed to), so every
        // input meets the player in the same state.
        WriteCopy(std::string("MThd\0\0\0\6\0\0\0\1\0\x60MTrk\0\0\0\4\0\xff\x2f\0", 26));
        std::array<char, 255> reply{};
        std::string mode = "unavailable";
        for (auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
             std::chrono::steady_clock::now() < deadline && player.Send("open " + kCopy, reply.data(), 255) == 0;
             std::this_thread::sleep_for(std::chrono::milliseconds(10))) {
            player.Send("status " + kCopy + " mode", reply.data(), 255);
            mode = reply.data();
            player.Send("close " + kCopy, reply.data(), 255);
            if (mode != "not ready") break;
        }
        std::fprintf(stderr, "the player's synth: %s\n",
                     mode == "stopped" ? "ready" : "unavailable, no track reaches FluidSynth's player");
    }
    ~Rig() {
        delete_fluid_synth(synth);
        delete_fluid_settings(settings);
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    static fs::path MakeRoot() {
        ::setenv("SDL_AUDIODRIVER", "dummy", 1); // never a real sound card
        for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level) fluid_set_log_function(level, nullptr, nullptr);
        char tmpl[] = "/tmp/linesaver-fuzz-XXXXXX";
        Check(::mkdtemp(tmpl) != nullptr, "no temporary folder");
        fs::create_directories(fs::path(tmpl) / "c");
        return tmpl;
    }
    void WriteCopy(const std::optional<std::string>& content) {
        std::error_code ignored;
        fs::remove(root / "c" / "test.mid", ignored);
        if (content) std::ofstream(root / "c" / "test.mid", std::ios::binary) << *content;
    }
    // The first block parses the file, the second plays its first events.
    // Whether the file loaded: the player reports its first tick only then.
    bool PlaySilently(const std::string& smf) {
        fluid_player_t* p = new_fluid_player(synth);
        Check(p != nullptr, "no player for parsing tracks");
        bool loaded = false;
        const auto onTick = [](void* flag, int) {
            *static_cast<bool*>(flag) = true;
            return FLUID_OK;
        };
        fluid_player_set_tick_callback(p, onTick, &loaded);
        std::array<float, 2 * 64> out{};
        if (fluid_player_add_mem(p, smf.data(), smf.size()) == FLUID_OK && fluid_player_play(p) == FLUID_OK)
            for (int block = 0; block < 2; ++block)
                fluid_synth_write_float(synth, 64, out.data(), 0, 2, out.data(), 1, 2);
        fluid_player_stop(p);
        delete_fluid_player(p);
        fluid_synth_system_reset(synth);
        return loaded;
    }

    fs::path root;
    DosFiles files;
    MciPlayer player;
    fluid_settings_t* settings = new_fluid_settings();
    fluid_synth_t* synth = new_fluid_synth(settings);
};

// Sends one command; open is the device the target knows open ("" none).
void SendOne(Rig& rig, std::string& open, std::string command, int length, bool noBuffer,
             const std::optional<std::string>& file) {
    std::array<char, 272> buffer; // the longest reply length, and a guard
    for (std::size_t i = 0; i < buffer.size(); ++i) buffer[i] = Canary(i);
    const long code = rig.player.Send(command, noBuffer ? nullptr : buffer.data(), length);

    // The reply: zero-terminated within the length, nothing written after
    // the zero or past the length.
    const std::size_t within = noBuffer ? 0 : static_cast<std::size_t>(std::max(length, 0));
    const std::size_t zero = std::string_view(buffer.data(), within).find('\0');
    Check(within == 0 || zero != std::string_view::npos, "a reply without its zero within the length");
    const std::string_view text(buffer.data(), within == 0 ? 0 : zero);
    for (std::size_t i = within == 0 ? 0 : zero + 1; i < buffer.size(); ++i)
        Check(buffer[i] == Canary(i), "the reply buffer changed after the reply or past its length");

    // A successful status, and nothing else, replies with a mode (cut to the length).
    std::string verb, device; // its first two words, in lower case
    for (char& c : command) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::istringstream(command) >> verb >> device;
    const bool mode = std::any_of(std::begin(kModes), std::end(kModes),
                                  [&](std::string_view m) { return text == m.substr(0, within - 1); });
    Check(code == 0 && verb == "status" && within > 1 ? mode : text.empty(),
          "a reply that is not the mode of a status");
    if (code != 0) return;
    if (verb == "open") {
        Check(open.empty() && !device.empty(), "a second device opened while one is open, or none named");
        Check(file && file->starts_with("MThd"), "a file that is no MIDI file opened");
        open = device;
        Check(rig.PlaySilently(*file), "a file that opened does not load in FluidSynth's player");
        return;
    }
    Check((verb == "play" || verb == "status" || verb == "stop" || verb == "close") && !open.empty() && device == open,
          "a command succeeded that is not one of the five on the open device");
    if (verb == "close") open.clear();
}

} // namespace
} // namespace linesaver::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace linesaver::fuzz;
    static Rig rig;
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t end = input.starts_with('=') ? 0 : input.find("\n=");
    std::optional<std::string> file;
    if (end != std::string::npos) file = input.substr(end + (end == 0 ? 1 : 2));
    rig.WriteCopy(file);

    std::istringstream lines(input.substr(0, end));
    std::string open;
    for (std::string line; std::getline(lines, line);) {
        if (line.empty()) continue;
        const unsigned char b = static_cast<unsigned char>(line[0]);
        SendOne(rig, open, line.substr(1), b == '.' || b == '!' ? 255 : b - '1', b == '!', file);
    }
    std::array<char, 255> reply{};
    Check(open.empty() || rig.player.Send("close " + open, reply.data(), 255) == 0, "the open device does not close");
    return 0;
}
