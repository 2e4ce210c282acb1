// The saver's file operations on Windows: listings, deletes and copies on
// the paths the saver writes (see dos_paths.h), through the wide functions,
// so names with spaces and non-ASCII letters work.
#pragma once

#include "platform/drive.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace linesaver {

// The saver's drive: %LOCALAPPDATA%\linesaver\c, made if missing with
// access for the user alone. Nothing when it cannot be had, or when it or
// its parent is a link (a junction or symbolic link planted there).
std::optional<std::string> PrivateDrive();

class Win32Files final : public DriveFiles {
public:
    // driveC: the real folder that stands for "c:\". What an interrupted
    // copy left there is removed.
    explicit Win32Files(std::string driveC);

    const std::string& DriveC() const { return driveC_; }

    std::string FirstFileName(const std::string& pattern) override;
    std::string NextFileName() override;
    bool RemoveFile(const std::string& path) override;
    // Copies a file of at most kLargestCopy bytes. The copy is written to
    // a temporary name beside the destination and moved into place, so the
    // destination is either the old file or the whole new one.
    bool CopyFileTo(const std::string& from, const std::string& to) override;

private:
    std::string driveC_;
    std::vector<std::string> listing_; // the names of the current listing
    std::size_t next_ = 0;             // the next one NextFileName returns
};

} // namespace linesaver
