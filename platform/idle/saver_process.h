// The saver the watcher starts: one child process at a time, watched
// through a pidfd (readable once it has ended) and always reaped.
#pragma once

#include "platform/posix/pid_fd.h"

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace linesaver::idle {

class SaverProcess {
public:
    SaverProcess() = default;
    // Ends a saver still running.
    ~SaverProcess();
    SaverProcess(const SaverProcess&) = delete;
    SaverProcess& operator=(const SaverProcess&) = delete;

    // Starts command (a program, found on PATH when it names no folder,
    // and its arguments) with the signals at their defaults. False, with
    // error saying why, when it could not be started.
    bool Start(const std::vector<std::string>& command, std::string& error);

    bool Running() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }
    // Readable once the saver has ended; -1 when none runs.
    int Fd() const { return process_.get(); }

    // Reaps a saver that has ended and returns its wait status; -1 while
    // it still runs.
    int Reap();

    // Asks a running saver to end (SIGTERM), kills it if it has not within
    // a few seconds, and reaps it.
    void Stop();

private:
    void Forget();

    pid_t pid_ = -1;
    PidFd process_;
};

// The words of a command line as a shell splits them, with its quotes and
// backslashes, but with nothing expanded and no shell run: an unquoted
// character a shell would expand or act on ($ ` | & ; < > ( ) * ? [, and ~
// or # at the start of a word) is refused, as are a quote or a backslash
// left open and a line without words. Nothing then, with error saying why.
std::optional<std::vector<std::string>> SplitCommand(const std::string& text, std::string& error);

// "status 1", "signal 9 (Killed)": how a wait status ended a process.
std::string DescribeEnd(int waitStatus);

} // namespace linesaver::idle
