#include "platform/fluidsynth/mci_player.h"

#include "platform/fluidsynth/midi_file_check.h"
#include "platform/fluidsynth/midi_synth.h"
#include "platform/posix/dos_files.h"
#include "platform/posix/posix_file.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>
#include <sstream>
#include <string_view>
#include <utility>
#include <vector>

namespace linesaver {
namespace {

// The player's error codes, numbered as the command-string interface
// numbers them.
enum MciError : long {
    KUnrecognizedCommand = 261,
    KHardware = 262,
    KInvalidDeviceName = 263,
    KDeviceOpen = 265,
    KFileNotFound = 275,
    KInvalidFile = 296,
};

bool SameText(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

std::vector<std::string> Words(const std::string& command) {
    std::istringstream in(command);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

struct Result {
    Result(long c = 0, std::string r = {}) : code(c), reply(std::move(r)) {}
    long code;
    std::string reply;
};

const char* ModeName(MidiSynth::Mode mode) {
    switch (mode) {
    case MidiSynth::Mode::Playing:
        return "playing";
    case MidiSynth::Mode::Stopped:
        return "stopped";
    case MidiSynth::Mode::NotReady:
        break;
    }
    return "not ready";
}

} // namespace

struct MciPlayer::Impl {
    Impl(const DosFiles& f, AudioOutputFactory open, const std::string& font)
        : files(f), openOutput(std::move(open)), soundfont(font.empty() ? kDefaultSoundfont : font) {}

    Result Open(const std::vector<std::string>& w);
    Result Play(const std::vector<std::string>& w);
    Result Status(const std::vector<std::string>& w);
    Result Stop(const std::vector<std::string>& w);
    Result Close(const std::vector<std::string>& w);
    // The command names the open device, with nothing more than extra.
    bool Names(const std::vector<std::string>& w, std::size_t extra = 0) const {
        return w.size() == 2 + extra && !device.empty() && SameText(w[1], device);
    }

    const DosFiles& files;
    const AudioOutputFactory openOutput;
    const std::string soundfont;
    std::optional<MidiSynth> synth; // made at the first open: no music, no synth
    std::string device;             // the open device's path; "" when none is open
    std::string track;              // its file, read at open
};

Result MciPlayer::Impl::Open(const std::vector<std::string>& w) {
    if (w.size() != 2) return {KUnrecognizedCommand};
    if (!device.empty()) return {KDeviceOpen};
    // The device file lies on the private drive: a link there is not read.
    UniqueFd fd = OpenRegularForReading(files.ToLocal(w[1]), false);
    if (!fd) return {KFileNotFound};
    auto content = ReadAll(fd.get(), kLargestCopy); // the drive copies no more
    // A file that would stop as soon as it is played is refused here, as
    // the system's sequencer refuses it, so the poll never sees it stop.
    if (!content || !IsPlayableMidiFile(*content)) return {KInvalidFile};
    if (!synth) synth.emplace(openOutput ? openOutput() : nullptr, soundfont);
    if (synth->Failed()) return {KHardware};
    device = w[1];
    track = std::move(*content);
    return {};
}

Result MciPlayer::Impl::Play(const std::vector<std::string>& w) {
    if (!Names(w)) return {KInvalidDeviceName};
    synth->Play(track);
    return {};
}

Result MciPlayer::Impl::Status(const std::vector<std::string>& w) {
    if (!Names(w, 1) || !SameText(w[2], "mode")) return {KInvalidDeviceName};
    return {0, ModeName(synth->TrackMode())};
}

Result MciPlayer::Impl::Stop(const std::vector<std::string>& w) {
    if (!Names(w)) return {KInvalidDeviceName};
    synth->Stop();
    return {};
}

Result MciPlayer::Impl::Close(const std::vector<std::string>& w) {
    if (!Names(w)) return {KInvalidDeviceName};
    synth->Stop();
    device.clear();
    track.clear();
    return {};
}

MciPlayer::MciPlayer(const DosFiles& files, AudioOutputFactory openOutput, const std::string& soundfont)
    : impl_(std::make_unique<Impl>(files, std::move(openOutput), soundfont)) {}
MciPlayer::~MciPlayer() = default;

long MciPlayer::Send(const std::string& command, char* reply, int replyLength) {
    using Handler = Result (Impl::*)(const std::vector<std::string>&);
    static constexpr std::pair<std::string_view, Handler> kCommands[] = {
        {"open", &Impl::Open}, {"play", &Impl::Play},   {"status", &Impl::Status},
        {"stop", &Impl::Stop}, {"close", &Impl::Close},
    };
    const std::vector<std::string> words = Words(command);
    Result result{KUnrecognizedCommand};
    for (const auto& [verb, handler] : kCommands)
        if (!words.empty() && SameText(words[0], verb)) result = (impl_.get()->*handler)(words);
    if (reply && replyLength > 0) {
        const std::size_t n = std::min(result.reply.size(), static_cast<std::size_t>(replyLength - 1));
        std::memcpy(reply, result.reply.data(), n);
        reply[n] = '\0';
    }
    return result.code;
}

} // namespace linesaver
