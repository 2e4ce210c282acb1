// The saver's DOS-style file operations on a Linux file system.
//
// Paths arrive as the saver writes them: the program folder followed by
// backslash-separated parts ("<folder>\music\*.mid"), or the drive "c:\",
// which is the private folder R/c. Lookups, deletes and copies never follow
// a symbolic link at the destination.
#pragma once

#include "platform/drive.h"

#include <cstddef>
#include <memory>
#include <string>

namespace linesaver {

class DosFiles final : public DriveFiles {
public:
    // driveC: the local folder that stands for "c:\". What an interrupted
    // copy left there is removed.
    explicit DosFiles(std::string driveC);
    ~DosFiles() override;
    DosFiles(const DosFiles&) = delete;
    DosFiles& operator=(const DosFiles&) = delete;

    // The local path of a DOS-style path.
    std::string ToLocal(const std::string& dosPath) const;

    std::string FirstFileName(const std::string& pattern) override;
    std::string NextFileName() override;
    bool RemoveFile(const std::string& path) override;
    // Copies a regular file of at most kLargestCopy bytes.
    bool CopyFileTo(const std::string& from, const std::string& to) override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace linesaver
