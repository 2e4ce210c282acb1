#include "platform/posix/posix_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace linesaver {

void UniqueFd::Reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

UniqueFd OpenRegularForReading(const std::string& path, bool followLinks) {
    const int flags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | (followLinks ? 0 : O_NOFOLLOW);
    UniqueFd fd(::open(path.c_str(), flags));
    if (!fd) return {};
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
    // Regular files never block; clearing the flag keeps reads plain.
    if (::fcntl(fd.get(), F_SETFL, O_RDONLY) != 0) return {};
    return fd;
}

bool ReadChunks(int fd, const std::function<bool(const char*, std::size_t)>& sink) {
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        if (!sink(buffer, static_cast<std::size_t>(n))) return false;
    }
}

std::optional<std::string> ReadAll(int fd, std::size_t limit) {
    std::string out;
    const bool ok = ReadChunks(fd, [&](const char* data, std::size_t size) {
        if (out.size() + size > limit) return false;
        out.append(data, size);
        return true;
    });
    if (!ok) return std::nullopt;
    return out;
}

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace linesaver
