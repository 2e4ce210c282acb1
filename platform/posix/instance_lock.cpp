#include "platform/posix/instance_lock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace linesaver {

InstanceLock::InstanceLock(const std::string& path) {
    if (path.empty()) return;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return; // cannot lock: run anyway
    int rc;
    do rc = ::flock(fd, LOCK_EX | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    if (rc == 0) {
        fd_ = fd;
        return;
    }
    heldElsewhere_ = errno == EWOULDBLOCK;
    ::close(fd);
}

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) ::close(fd_); // closing the last descriptor releases the lock
}

} // namespace linesaver
