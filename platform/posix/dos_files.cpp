#include "platform/posix/dos_files.h"

#include "platform/posix/posix_file.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace linesaver {
namespace {

// Long extensions that a DOS listing finds under their short form, the way
// "*.mid" lists "song.midi" by its short name.
constexpr std::pair<std::string_view, std::string_view> kLongExtensions[] = {{".mid", ".midi"}};

bool EndsWithIgnoringCase(std::string_view s, std::string_view tail) {
    if (s.size() < tail.size()) return false;
    return std::equal(tail.begin(), tail.end(), s.end() - static_cast<std::ptrdiff_t>(tail.size()), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
}

bool Matches(const std::string& pattern, const std::string& name) {
    if (::fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD | FNM_PERIOD) == 0) return true;
    for (const auto& [shortExt, longExt] : kLongExtensions) {
        if (!EndsWithIgnoringCase(pattern, shortExt)) continue;
        const std::string longer = pattern.substr(0, pattern.size() - shortExt.size()) + std::string(longExt);
        if (::fnmatch(longer.c_str(), name.c_str(), FNM_CASEFOLD | FNM_PERIOD) == 0) return true;
    }
    return false;
}

// The name an unfinished copy has until it is renamed into place.
constexpr std::string_view kPartialMark = ".partial.";

bool HasWildcard(const std::string& leaf) { return leaf.find_first_of("*?") != std::string::npos; }

// The regular files of folder whose names match pattern, bytewise sorted.
// A symbolic link in the folder counts as the file it points to.
std::vector<std::string> List(const std::string& folder, const std::string& pattern) {
    std::vector<std::string> names;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        // A backslash in a name would read as a folder in the path the
        // saver builds from it: such a file cannot be named, so it is not
        // listed.
        if (name == "." || name == ".." || name.find('\\') != std::string::npos || !Matches(pattern, name)) continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir.get()), name.c_str(), &st, 0) == 0 && S_ISREG(st.st_mode)) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Folder and last part of a local path.
std::pair<std::string, std::string> Split(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

// A temporary file beside the destination, removed unless kept.
class TempFile {
public:
    explicit TempFile(const std::string& destination) {
        auto [folder, leaf] = Split(destination);
        std::string name = folder + "/." + leaf + std::string(kPartialMark) + "XXXXXX";
        fd_ = UniqueFd(::mkostemp(name.data(), O_CLOEXEC));
        if (fd_) path_ = std::move(name);
    }
    ~TempFile() {
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    int Fd() const { return fd_.get(); }
    bool Ok() const { return !path_.empty(); }
    // Closes the file and renames it to destination, which is replaced
    // as a name: a symbolic link there is replaced, never followed.
    bool MoveTo(const std::string& destination) {
        if (::close(fd_.Release()) != 0) return false;
        if (::rename(path_.c_str(), destination.c_str()) != 0) return false;
        path_.clear();
        return true;
    }

private:
    UniqueFd fd_;
    std::string path_;
};

} // namespace

struct DosFiles::Impl {
    std::string driveC;
    std::vector<std::string> listing; // the names of the current listing
    std::size_t next = 0;             // the next one NextFileName returns
};

// The drive belongs to the one running copy of the saver, so what an
// interrupted copy left there is removed as the drive is taken.
DosFiles::DosFiles(std::string driveC) : impl_(std::make_unique<Impl>(Impl{std::move(driveC), {}, 0})) {
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(impl_->driveC.c_str()), ::closedir);
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (name.size() > 1 && name[0] == '.' && name.find(kPartialMark) != std::string_view::npos)
            ::unlinkat(::dirfd(dir.get()), entry->d_name, 0);
    }
}
DosFiles::~DosFiles() = default;

// "c:\a\b" is <drive>/a/b; any other drive is unknown (""); a path
// without a drive is a local path written with backslashes.
std::string DosFiles::ToLocal(const std::string& dosPath) const {
    std::string rest = dosPath;
    std::string base;
    if (dosPath.size() >= 2 && dosPath[1] == ':') {
        const bool driveC =
            std::tolower(static_cast<unsigned char>(dosPath[0])) == 'c' && dosPath.size() >= 3 && dosPath[2] == '\\';
        if (!driveC || impl_->driveC.empty()) return "";
        base = impl_->driveC + "/";
        rest = dosPath.substr(3);
        // Nothing on the drive lies above its folder.
        if (("\\" + rest + "\\").find("\\..\\") != std::string::npos) return "";
    }
    std::replace(rest.begin(), rest.end(), '\\', '/');
    return base + rest;
}

std::string DosFiles::FirstFileName(const std::string& pattern) {
    impl_->listing.clear();
    impl_->next = 0;
    const std::string local = ToLocal(pattern);
    if (local.empty()) return "";
    auto [folder, leaf] = Split(local);
    if (leaf.empty()) return "";
    if (HasWildcard(leaf)) {
        impl_->listing = List(folder, leaf);
    } else {
        struct stat st {};
        if (::lstat(local.c_str(), &st) == 0 && S_ISREG(st.st_mode)) impl_->listing = {leaf};
    }
    return NextFileName();
}

std::string DosFiles::NextFileName() {
    if (impl_->next >= impl_->listing.size()) return "";
    return impl_->listing[impl_->next++];
}

// unlink removes a symbolic link itself, never what it points to.
bool DosFiles::RemoveFile(const std::string& path) {
    const std::string local = ToLocal(path);
    return !local.empty() && ::unlink(local.c_str()) == 0;
}

// The copy is written to a temporary name beside the destination and
// renamed into place, so the destination is either the old file or the
// whole new one.
bool DosFiles::CopyFileTo(const std::string& from, const std::string& to) {
    const std::string source = ToLocal(from);
    const std::string destination = ToLocal(to);
    if (source.empty() || destination.empty()) return false;
    UniqueFd in = OpenRegularForReading(source, true);
    struct stat st {};
    if (!in || ::fstat(in.get(), &st) != 0 || static_cast<std::uint64_t>(st.st_size) > kLargestCopy) return false;
    TempFile out(destination);
    if (!out.Ok()) return false;
    std::size_t written = 0; // the source may still grow while it is read
    const bool copied = ReadChunks(in.get(), [&](const char* data, std::size_t size) {
        written += size;
        return written <= kLargestCopy && WriteAll(out.Fd(), data, size);
    });
    return copied && out.MoveTo(destination);
}

} // namespace linesaver
