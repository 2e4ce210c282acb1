// The command-string MIDI player: "open <path>", "play <path>",
// "status <path> mode", "stop <path>", "close <path>", played with
// FluidSynth on the machine's audio output.
#pragma once

#include "platform/audio_output.h"
#include "platform/drive.h"

#include <memory>
#include <string>

namespace linesaver {

class DosFiles;

class MciPlayer final : public DrivePlayer {
public:
    // files maps the device's DOS path to the local file. The audio output
    // (made by openOutput) and the soundfont (the system's General MIDI
    // one unless told) are taken at the first open, the soundfont loading
    // in the background, so the first frame never waits for it and a saver
    // without music never loads it.
    MciPlayer(const DosFiles& files, AudioOutputFactory openOutput, const std::string& soundfont = "");
    ~MciPlayer() override;
    MciPlayer(const MciPlayer&) = delete;
    MciPlayer& operator=(const MciPlayer&) = delete;

    // Returns 0 on success; the zero-terminated reply goes into reply.
    long Send(const std::string& command, char* reply, int replyLength) override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace linesaver
