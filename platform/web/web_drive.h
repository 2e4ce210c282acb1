// The page's files and player as the saver's core asks for them: the music
// folder holds the tracks the page names (it has fetched them already),
// the drive "c:\" holds at most the one copy of a track, and the player's
// command strings go to the page's synthesizer.
#pragma once

#include "platform/drive.h"

#include <cstddef>
#include <string>
#include <vector>

namespace linesaver {

class WebFiles final : public DriveFiles {
public:
    // tracks: the music folder's file names, one a line.
    explicit WebFiles(const std::string& tracks);

    std::string FirstFileName(const std::string& pattern) override;
    std::string NextFileName() override;
    bool RemoveFile(const std::string& path) override;
    bool CopyFileTo(const std::string& from, const std::string& to) override;

    // The track the drive holds a copy of, "" when none.
    const std::string& Copy() const { return copy_; }

private:
    std::vector<std::string> tracks_;
    std::vector<std::string> listing_; // the names of the last listing
    std::size_t listed_ = 0;           // how many of them were handed out
    std::string copy_;
};

// "open c:\test.mid" (the copy on files' drive), "play ...", "status ...
// mode", "stop ...", "close ...". The music stops for good with the player.
class WebPlayer final : public DrivePlayer {
public:
    explicit WebPlayer(const WebFiles& files) : files_(files) {}
    ~WebPlayer() override;
    WebPlayer(const WebPlayer&) = delete;
    WebPlayer& operator=(const WebPlayer&) = delete;

    long Send(const std::string& command, char* reply, int replyLength) override;

private:
    const WebFiles& files_;
    std::string device_; // the open device's path, "" when none
};

} // namespace linesaver
