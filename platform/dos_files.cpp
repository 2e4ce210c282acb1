#include "platform/dos_files.h"

#include <utility>

namespace linesaver {

// Not built yet: no listing, and every delete or copy fails.
struct DosFiles::Impl {
    std::string driveC;
};

DosFiles::DosFiles(std::string driveC) : impl_(std::make_unique<Impl>(Impl{std::move(driveC)})) {}
DosFiles::~DosFiles() = default;
std::string DosFiles::ToLocal(const std::string& dosPath) const { return dosPath; }
std::string DosFiles::Dir(const std::string&) { return ""; }
std::string DosFiles::DirNext() { return ""; }
bool DosFiles::Kill(const std::string&) { return false; }
bool DosFiles::FileCopy(const std::string&, const std::string&) { return false; }

} // namespace linesaver
