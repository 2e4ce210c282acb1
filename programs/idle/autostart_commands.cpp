// --enable and --disable.
#include "platform/idle/autostart.h"
#include "platform/idle/duration.h"
#include "platform/idle/session_instance.h"
#include "platform/idle/watcher.h"
#include "platform/posix/poll_wait.h"
#include "programs/idle/session_watch.h"

#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace linesaver::idle {
namespace {

// How long --enable waits for the new watcher to watch.
constexpr std::chrono::seconds kStartWait{15};

std::string ThisProgram() {
    char path[4096];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : "linesaver-idle";
}

// The child's side: a session of its own, no terminal, its lines in the
// session's log.
void Detach(const std::string& log) {
    ::setsid();
    const int nothing = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    const int logFd =
        log.empty() ? -1 : ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    const int output = logFd >= 0 ? logFd : nothing;
    ::dup2(nothing, STDIN_FILENO);
    ::dup2(output, STDOUT_FILENO);
    ::dup2(output, STDERR_FILENO);
}

std::string FirstLine(const std::string& path) {
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);
    const std::string prefix = "linesaver-idle: ";
    return line.rfind(prefix, 0) == 0 ? line.substr(prefix.size()) : line;
}

// Starts a watcher in a session of its own; its pid, or -1 with why.
// watching says whether it watched within the time allowed.
pid_t StartDetached(WatcherOptions options, std::string& why, bool& watching) {
    int ready[2];
    if (::pipe2(ready, O_CLOEXEC) != 0) {
        why = "cannot make a pipe";
        return -1;
    }
    const std::string log = SessionFile(".log");
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(ready[0]);
        Detach(log);
        options.readyFd = ready[1];
        std::fflush(nullptr);
        ::_exit(WatchSession(options));
    }
    ::close(ready[1]);
    if (pid < 0) {
        ::close(ready[0]);
        why = "cannot start a process";
        return -1;
    }
    // The pipe ends when the watcher watches, or when it has ended.
    watching = WaitReadable(ready[0], kStartWait);
    ::close(ready[0]);
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) {
        why = FirstLine(log);
        return -1;
    }
    return pid;
}

} // namespace

int EnableWatcher(WatcherOptions options, const std::vector<std::string>& watcherArguments) {
    std::vector<std::string> command{ThisProgram()};
    command.insert(command.end(), watcherArguments.begin(), watcherArguments.end());
    std::string error;
    if (!WriteAutostart(command, error)) {
        Say(error);
        return 1;
    }
    // The running watcher makes way for one with the new settings.
    if (const auto running = FindRunningWatcher(); running && !EndWatcher(running->process)) {
        Say("wrote " + AutostartPath() + ", but the running watcher (pid " + std::to_string(running->pid) +
            ") did not end");
        return 1;
    }
    std::string why;
    bool watching = false;
    const pid_t pid = StartDetached(options, why, watching);
    if (pid < 0) {
        Say("wrote " + AutostartPath() + ", but no watcher could start now: " + why);
        return 1;
    }
    Say("enabled: " + AutostartPath() + " starts it at login, and " +
        (watching ? "it watches now" : "one started now has not begun watching yet") + " (pid " + std::to_string(pid) +
        "); the saver starts after " + FormatDuration(options.idleAfter) + " idle");
    return 0;
}

int DisableWatcher() {
    std::string text;
    const AutostartRemoval removal = RemoveAutostart(text);
    if (removal != AutostartRemoval::Failed)
        text = removal == AutostartRemoval::Removed ? "disabled: removed " + AutostartPath()
                                                    : "no " + AutostartPath() + " to remove";
    const auto running = FindRunningWatcher();
    const bool ended = running && EndWatcher(running->process);
    if (running)
        text += ended ? "; ended the watcher (pid " + std::to_string(running->pid) + ")"
                      : "; the watcher (pid " + std::to_string(running->pid) + ") did not end";
    else
        text += "; no watcher runs in this session";
    Say(text);
    return removal == AutostartRemoval::Failed || (running && !ended) ? 1 : 0;
}

} // namespace linesaver::idle
