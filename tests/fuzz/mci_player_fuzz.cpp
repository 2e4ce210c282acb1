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
// synth of the target's own, which parses and starts it at once.
#include "platform/dos_files.h"
#include "platform/mci_player.h"
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
#include <vector>

namespace linesaver::fuzz {
namespace {

constexpr const char* kCopy = "c:\\test.mid";
constexpr std::string_view kModes[] = {"not ready", "playing", "stopped"};
constexpr std::size_t kBufferSize = 272; // the longest reply length, and a guard

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::vector<std::string> Words(const std::string& command) {
    std::istringstream in(command);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

char Canary(std::size_t i) { return static_cast<char>('a' + i % 26); }

// FluidSynth with no soundfont and no audio: parses a track and plays its
// first events in the caller's thread.
class SilentSynth {
public:
    SilentSynth() {
        fluid_settings_setstr(settings_, "player.timing-source", "sample");
        fluid_settings_setint(settings_, "synth.lock-memory", 0);
        synth_ = new_fluid_synth(settings_);
        Check(synth_ != nullptr, "no synth for parsing tracks");
    }
    ~SilentSynth() {
        delete_fluid_synth(synth_);
        delete_fluid_settings(settings_);
    }
    SilentSynth(const SilentSynth&) = delete;
    SilentSynth& operator=(const SilentSynth&) = delete;

    void Play(const std::string& smf) {
        fluid_player_t* player = new_fluid_player(synth_);
        Check(player != nullptr, "no player for parsing tracks");
        if (fluid_player_add_mem(player, smf.data(), smf.size()) == FLUID_OK && fluid_player_play(player) == FLUID_OK) {
            // The first block parses the file, the second plays its first events.
            std::array<float, 2 * 64> out{};
            for (int block = 0; block < 2; ++block)
                fluid_synth_write_float(synth_, 64, out.data(), 0, 2, out.data(), 1, 2);
        }
        fluid_player_stop(player);
        delete_fluid_player(player);
        fluid_synth_system_reset(synth_);
    }

private:
    fluid_settings_t* settings_ = new_fluid_settings();
    fluid_synth_t* synth_ = nullptr;
};

// A private drive and the one player, ready before the first input.
struct Rig {
    Rig() : root(MakeRoot()), files((root / "c").string()), player(files) {
        std::filesystem::create_directories(root / "c");
        WarmUp();
    }
    ~Rig() {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }

    static std::filesystem::path MakeRoot() {
        ::setenv("SDL_AUDIODRIVER", "dummy", 1); // never a real sound card
        for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level) fluid_set_log_function(level, nullptr, nullptr);
        char tmpl[] = "/tmp/linesaver-fuzz-XXXXXX";
        Check(::mkdtemp(tmpl) != nullptr, "no temporary folder");
        return tmpl;
    }

    // Waits until the soundfont has loaded (or failed to), so every input
    // meets the player in the same state.
    void WarmUp() {
        WriteCopy(std::string("MThd\0\0\0\6\0\0\0\1\0\x60MTrk\0\0\0\4\0\xff\x2f\0", 26));
        std::array<char, 255> reply{};
        std::string mode = "unavailable";
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (std::chrono::steady_clock::now() < deadline) {
            if (player.Send(std::string("open ") + kCopy, reply.data(), 255) != 0) break; // no synth at all
            player.Send(std::string("status ") + kCopy + " mode", reply.data(), 255);
            mode = reply.data();
            player.Send(std::string("close ") + kCopy, reply.data(), 255);
            if (mode != "not ready") break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        const bool ready = mode == "stopped"; // loaded, with no track playing
        std::fprintf(stderr, "the player's synth: %s\n",
                     ready ? "ready" : "unavailable, no track reaches FluidSynth's player");
    }

    void WriteCopy(const std::string& content) {
        std::ofstream(root / "c" / "test.mid", std::ios::binary | std::ios::trunc) << content;
    }
    void RemoveCopy() {
        std::error_code ignored;
        std::filesystem::remove(root / "c" / "test.mid", ignored);
    }

    std::filesystem::path root;
    DosFiles files;
    MciPlayer player;
    SilentSynth silent;
};

// What the target knows of the player: the device it opened, if any.
struct Model {
    bool open = false;
    std::string device;
};

void SendOne(Rig& rig, Model& model, const std::string& command, int length, bool noBuffer,
             const std::optional<std::string>& file) {
    std::array<char, kBufferSize> buffer;
    for (std::size_t i = 0; i < buffer.size(); ++i) buffer[i] = Canary(i);
    const long code = rig.player.Send(command, noBuffer ? nullptr : buffer.data(), length);

    // The reply: zero-terminated within the length, nothing written after
    // the zero or past the length, and one of the player's modes.
    std::size_t untouchedFrom = 0;
    std::string_view text;
    if (!noBuffer && length > 0) {
        const auto end = std::find(buffer.begin(), buffer.begin() + length, '\0');
        Check(end != buffer.begin() + length, "a reply without its zero within the length");
        text = std::string_view(buffer.data(), static_cast<std::size_t>(end - buffer.begin()));
        untouchedFrom = text.size() + 1;
    }
    for (std::size_t i = untouchedFrom; i < buffer.size(); ++i)
        Check(buffer[i] == Canary(i), "the reply buffer changed after the reply or past its length");

    const std::vector<std::string> words = Words(command);
    const std::string verb = words.empty() ? "" : Lower(words[0]);
    if (!text.empty()) {
        Check(code == 0 && verb == "status", "a reply to anything but a successful status");
        const bool mode = std::any_of(std::begin(kModes), std::end(kModes), [&](std::string_view m) {
            return text == m.substr(0, static_cast<std::size_t>(length - 1));
        });
        Check(mode, "a status reply that is no mode");
    }
    if (code != 0) return;
    if (verb == "status" && !noBuffer && length > 1) Check(!text.empty(), "a successful status without a mode");

    if (verb == "open") {
        Check(!model.open, "a second device opened while one is open");
        Check(file && file->compare(0, 4, "MThd") == 0, "a file that is no MIDI file opened");
        model = {true, words.at(1)};
        rig.silent.Play(*file);
        return;
    }
    const bool known = verb == "play" || verb == "status" || verb == "stop" || verb == "close";
    Check(known, "an unknown command succeeded");
    Check(model.open && words.size() >= 2 && Lower(words[1]) == Lower(model.device),
          "a command succeeded on a device that is not open");
    if (verb == "close") model = {};
}

} // namespace
} // namespace linesaver::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace linesaver::fuzz;
    static Rig rig;
    const std::string input(reinterpret_cast<const char*>(data), size);

    struct Command {
        std::string text;
        int length;
        bool noBuffer;
    };
    std::vector<Command> commands;
    std::optional<std::string> file;
    for (std::size_t pos = 0; pos < input.size();) {
        std::size_t end = input.find('\n', pos);
        if (end == std::string::npos) end = input.size();
        if (input[pos] == '=') {
            file = input.substr(pos + 1);
            break;
        }
        if (end > pos) {
            const unsigned char b = static_cast<unsigned char>(input[pos]);
            const int length = b == '.' || b == '!' ? 255 : b - '1';
            commands.push_back({input.substr(pos + 1, end - pos - 1), length, b == '!'});
        }
        pos = end + 1;
    }

    if (file) rig.WriteCopy(*file);
    else rig.RemoveCopy();
    Model model;
    for (const Command& c : commands) SendOne(rig, model, c.text, c.length, c.noBuffer, file);
    if (model.open) {
        std::array<char, 255> reply{};
        Check(rig.player.Send("close " + model.device, reply.data(), 255) == 0, "the open device does not close");
    }
    return 0;
}
