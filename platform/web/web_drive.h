// The page's files and player as the saver's core asks for them: the music
// folder holds the tracks the page names (it has fetched them already),
// the drive "c:\" holds at most the one copy of a track, and the player's
// command strings go to the page's synthesizer.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace linesaver {

class WebDrive {
public:
    // tracks: the music folder's file names, one a line.
    explicit WebDrive(const std::string& tracks);

    std::string FirstFileName(const std::string& pattern);
    std::string NextFileName();
    bool RemoveFile(const std::string& path);
    bool CopyFileTo(const std::string& from, const std::string& to);
    // "open c:\test.mid", "play ...", "status ... mode", "stop ...",
    // "close ...": 0 on success, the reply zero-terminated in reply.
    long Send(const std::string& command, char* reply, int replyLength);
    // The music stops for good: the saver has left.
    void Close();

private:
    std::vector<std::string> tracks_;
    std::vector<std::string> listing_; // the names of the last listing
    std::size_t listed_ = 0;           // how many of them were handed out
    std::string copy_;                 // the track the drive holds a copy of, "" when none
    std::string device_;               // the open device's path, "" when none
};

} // namespace linesaver
