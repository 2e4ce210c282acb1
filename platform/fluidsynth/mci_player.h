// The command-string MIDI player: "open <path>", "play <path>",
// "status <path> mode", "stop <path>", "close <path>", played with
// FluidSynth and heard through SDL's audio output.
#pragma once

#include <memory>
#include <string>

namespace linesaver {

class DosFiles;

class MciPlayer {
public:
    // files maps the device's DOS path to the local file. The soundfont
    // (the system's General MIDI one unless told) starts loading in the
    // background at the first open, so the first frame never waits for it
    // and a saver without music never loads it.
    explicit MciPlayer(const DosFiles& files, const std::string& soundfont = "");
    ~MciPlayer();
    MciPlayer(const MciPlayer&) = delete;
    MciPlayer& operator=(const MciPlayer&) = delete;

    // Returns 0 on success; the zero-terminated reply goes into reply.
    long Send(const std::string& command, char* reply, int replyLength);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace linesaver
