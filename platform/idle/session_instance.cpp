#include "platform/idle/session_instance.h"

#include "platform/posix/runtime_dir.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <unistd.h>

namespace linesaver::idle {
namespace {

constexpr std::chrono::seconds kEndWait{5};

std::string Sanitized(const std::string& text) {
    std::string name;
    for (const char c : text) {
        const bool plain =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
        name += plain ? c : '_';
    }
    return name;
}

void RecordPid(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return;
    const std::string text = std::to_string(::getpid()) + "\n";
    [[maybe_unused]] const ssize_t written = ::write(fd, text.data(), text.size());
    ::close(fd);
}

bool IsWatcherProgram(pid_t pid) {
    char target[4096];
    const std::string link = "/proc/" + std::to_string(pid) + "/exe";
    const ssize_t length = ::readlink(link.c_str(), target, sizeof target - 1);
    if (length <= 0) return false;
    std::string path(target, static_cast<std::size_t>(length));
    if (const auto deleted = path.rfind(" (deleted)"); deleted != std::string::npos) path.resize(deleted);
    return path.substr(path.find_last_of('/') + 1) == "linesaver-idle";
}

} // namespace

std::string SessionKey() {
    if (const char* wayland = std::getenv("WAYLAND_DISPLAY"); wayland && *wayland) return Sanitized(wayland);
    if (const char* display = std::getenv("DISPLAY"); display && *display) {
        std::string name = display;
        const auto colon = name.rfind(':');
        if (const auto dot = name.rfind('.'); colon != std::string::npos && dot != std::string::npos && dot > colon)
            name.resize(dot);
        return Sanitized(name);
    }
    return "default";
}

std::string SessionFile(const char* suffix) {
    const auto folder = RuntimeDir();
    return folder ? *folder + "/idle-" + SessionKey() + suffix : std::string();
}

SessionInstance::SessionInstance() : lock_(std::make_unique<InstanceLock>(SessionFile(".lock"))) {
    if (lock_->Held()) RecordPid(SessionFile(".pid"));
}

std::optional<RunningWatcherProcess> FindRunningWatcher() {
    if (!InstanceLock(SessionFile(".lock")).HeldElsewhere()) return std::nullopt;
    std::ifstream file(SessionFile(".pid"));
    long pid = 0;
    if (!(file >> pid) || pid <= 1 || pid == ::getpid()) return std::nullopt;
    // The process is held before its program is looked at: one that ends
    // meanwhile, its pid taken by another, fails the check after.
    RunningWatcherProcess watcher{static_cast<pid_t>(pid), PidFd::Open(static_cast<pid_t>(pid))};
    if (!watcher.process || !IsWatcherProgram(watcher.pid) || watcher.process.WaitEnd({})) return std::nullopt;
    return watcher;
}

bool EndWatcher(const PidFd& watcher) {
    // One that cannot be signalled has ended only if it has gone by itself.
    const bool signalled = watcher.Signal(SIGTERM);
    return watcher.WaitEnd(signalled ? kEndWait : std::chrono::milliseconds(0));
}

} // namespace linesaver::idle
