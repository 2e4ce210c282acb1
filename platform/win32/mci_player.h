// The music player: the saver's command strings go to the system's MCI
// (mciSendStringW of winmm), which plays MIDI files on the system's own
// synthesizer.
//
// The saver names its device by the copy's path on its drive
// ("play c:\test.mid"); the player hands MCI the real path, quoted so that
// spaces in it are no trouble ("play "C:\Users\Jürgen Ölß\...\test.mid"").
#pragma once

#include "platform/drive.h"

#include <string>
#include <string_view>

namespace linesaver {

// The command MCI is given for one the saver sent: the verb, the device
// as the quoted real path on driveC, and the rest as it was. "" for a
// command that names no device on the drive; such a command is not sent.
std::string MciCommand(std::string_view command, std::string_view driveC);

class MciPlayer final : public DrivePlayer {
public:
    explicit MciPlayer(std::string driveC) : driveC_(std::move(driveC)) {}

    // Sends command and writes MCI's reply, zero-terminated and cut to
    // fit, into reply; the rest of reply stays as it was. Returns MCI's
    // error code, 0 on success.
    long Send(const std::string& command, char* reply, int replyLength) override;

private:
    std::string driveC_;
};

} // namespace linesaver
