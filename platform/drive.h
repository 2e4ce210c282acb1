// The private drive as a desktop's event loop sees it: the saver's files
// and the MIDI player that plays them. Each operating system has its own
// (a folder of the runtime directory and FluidSynth on Linux, a folder of
// the user's local data and MCI on Windows).
#pragma once

#include <cstddef>
#include <string>

namespace linesaver {

// The largest file a drive takes a copy of. MIDI files are rarely more than
// a few hundred kilobytes; the drive may lie in memory, and the copy is made
// before the first frame.
inline constexpr std::size_t kLargestCopy = 16 << 20;

// Files with DOS-style paths as the saver writes them (see Platform).
class DriveFiles {
public:
    virtual ~DriveFiles() = default;
    virtual std::string FirstFileName(const std::string& pattern) = 0; // first name, "" when none
    virtual std::string NextFileName() = 0;                            // next name, "" at the end
    virtual bool RemoveFile(const std::string& path) = 0;
    virtual bool CopyFileTo(const std::string& from, const std::string& to) = 0;
};

// The MIDI player's command strings (see Platform::SendPlayerCommand).
class DrivePlayer {
public:
    virtual ~DrivePlayer() = default;
    // Returns 0 on success; the zero-terminated reply goes into reply.
    virtual long Send(const std::string& command, char* reply, int replyLength) = 0;
};

} // namespace linesaver
