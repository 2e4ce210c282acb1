#include "platform/idle/saver_process.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <utility>

extern char** environ;

namespace linesaver::idle {
namespace {

constexpr std::chrono::seconds kGrace{3};

// posix_spawn's settings: every signal at its default and none blocked,
// whatever the watcher has blocked or ignored for itself.
class SpawnSettings {
public:
    SpawnSettings() {
        posix_spawnattr_init(&attributes_);
        sigset_t none, all;
        sigemptyset(&none);
        sigfillset(&all);
        posix_spawnattr_setsigmask(&attributes_, &none);
        posix_spawnattr_setsigdefault(&attributes_, &all);
        posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    ~SpawnSettings() { posix_spawnattr_destroy(&attributes_); }
    SpawnSettings(const SpawnSettings&) = delete;
    SpawnSettings& operator=(const SpawnSettings&) = delete;
    const posix_spawnattr_t* get() const { return &attributes_; }

private:
    posix_spawnattr_t attributes_;
};

} // namespace

SaverProcess::~SaverProcess() { Stop(); }

bool SaverProcess::Start(const std::vector<std::string>& command, std::string& error) {
    if (Running()) {
        error = "a saver already runs";
        return false;
    }
    if (command.empty()) {
        error = "no command";
        return false;
    }
    std::vector<char*> argv;
    for (const auto& word : command) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    SpawnSettings settings;
    pid_t pid = -1;
    const int failure = ::posix_spawnp(&pid, argv[0], nullptr, settings.get(), argv.data(), environ);
    if (failure != 0) {
        error = std::string("cannot run ") + command[0] + ": " + std::strerror(failure);
        return false;
    }
    pid_ = pid;
    process_ = PidFd::Open(pid);
    if (!process_) {
        error = std::string("cannot watch the saver: ") + std::strerror(errno);
        Stop();
        return false;
    }
    return true;
}

int SaverProcess::Reap() {
    if (!Running()) return -1;
    int status = 0;
    pid_t got;
    do got = ::waitpid(pid_, &status, WNOHANG);
    while (got < 0 && errno == EINTR);
    if (got == 0) return -1;
    Forget();
    return status;
}

void SaverProcess::Stop() {
    if (!Running()) return;
    // Not reaped yet, the saver keeps its pid: kill() cannot reach another.
    ::kill(pid_, SIGTERM);
    if (!process_.WaitEnd(kGrace)) ::kill(pid_, SIGKILL);
    int status;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {}
    Forget();
}

void SaverProcess::Forget() {
    process_ = PidFd();
    pid_ = -1;
}

std::optional<std::vector<std::string>> SplitCommand(const std::string& text, std::string& error) {
    std::vector<std::string> command;
    std::string word;
    bool inWord = false;
    const auto refused = [&](char c) {
        error =
            std::string("an unquoted ") + c + " would mean something to a shell, and none runs the command; quote it";
        return std::nullopt;
    };
    const auto unbalanced = [&] {
        error = "a quote or a backslash left open";
        return std::nullopt;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ' ' || c == '\t' || c == '\n') {
            if (inWord) command.push_back(std::exchange(word, {}));
            inWord = false;
            continue;
        }
        if (!inWord && (c == '~' || c == '#')) return refused(c);
        inWord = true;
        if (c == '\\') {
            if (++i == text.size()) return unbalanced();
            if (text[i] != '\n') word += text[i];
        } else if (c == '\'') {
            const auto end = text.find('\'', i + 1);
            if (end == std::string::npos) return unbalanced();
            word.append(text, i + 1, end - i - 1);
            i = end;
        } else if (c == '"') {
            for (++i; i < text.size() && text[i] != '"'; ++i) {
                if (text[i] == '$' || text[i] == '`') return refused(text[i]);
                // Within double quotes a backslash escapes only these.
                if (text[i] == '\\' && i + 1 < text.size() && std::strchr("\\\"$`\n", text[i + 1])) {
                    if (text[++i] != '\n') word += text[i];
                } else {
                    word += text[i];
                }
            }
            if (i == text.size()) return unbalanced();
        } else if (std::strchr("|&;<>()$`*?[", c)) {
            return refused(c);
        } else {
            word += c;
        }
    }
    if (inWord) command.push_back(std::move(word));
    if (command.empty()) {
        error = "no command";
        return std::nullopt;
    }
    return command;
}

std::string DescribeEnd(int waitStatus) {
    if (WIFSIGNALED(waitStatus))
        return "signal " + std::to_string(WTERMSIG(waitStatus)) + " (" + strsignal(WTERMSIG(waitStatus)) + ")";
    return "status " + std::to_string(WEXITSTATUS(waitStatus));
}

} // namespace linesaver::idle
