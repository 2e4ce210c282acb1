#include "platform/posix/runtime_dir.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace linesaver {
namespace {

// Makes path a private directory, or checks that an existing one is
// still private: a directory itself (not a link), the user's own, and
// closed to group and others. One that is not is left as it is and not
// used, since someone else may have put things in it.
bool EnsurePrivateDir(const std::string& path) {
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
}

} // namespace

std::optional<std::string> RuntimeDir() {
    std::string base;
    if (const char* xdg = std::getenv("XDG_RUNTIME_DIR"); xdg && *xdg) {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = std::string(home) + "/.cache";
        ::mkdir(base.c_str(), 0700); // an existing one is fine
    } else {
        return std::nullopt;
    }
    std::string dir = base + "/linesaver";
    if (!EnsurePrivateDir(dir)) return std::nullopt;
    return dir;
}

std::optional<std::string> RuntimeSubdir(const std::string& name) {
    auto dir = RuntimeDir();
    if (!dir) return std::nullopt;
    std::string sub = *dir + "/" + name;
    if (!EnsurePrivateDir(sub)) return std::nullopt;
    return sub;
}

} // namespace linesaver
