// --status: what this session's watcher knows, asked of it through its
// status channel (platform/idle/status_channel.h), never waiting long.
#include "platform/idle/session_instance.h"
#include "platform/idle/status_channel.h"
#include "platform/idle/watcher.h"
#include "platform/posix/poll_wait.h"
#include "platform/posix/posix_file.h"
#include "programs/idle/session_watch.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace linesaver::idle {
namespace {

// The longest the asking side waits for the whole answer, and the most it
// takes of one.
constexpr std::chrono::seconds kAnswerWait{2};
constexpr std::size_t kLongestAnswer = 1 << 20;

// The watcher's answer in answer, or why there is none.
bool Ask(const std::string& path, std::string& answer, std::string& why) {
    sockaddr_un address{.sun_family = AF_UNIX, .sun_path = {}};
    UniqueFd asker(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (path.empty() || path.size() >= sizeof address.sun_path || !asker) {
        why = "it has no status channel";
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    if (::connect(asker.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        why = "cannot reach " + path + " (" + std::strerror(errno) + ")";
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + kAnswerWait;
    char chunk[4096];
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !WaitReadable(asker.get(), left)) {
            why = "no answer from " + path + " within 2 s";
            return false;
        }
        const ssize_t got = ::read(asker.get(), chunk, sizeof chunk);
        if (got == 0) break;
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 || answer.size() + static_cast<std::size_t>(got) > kLongestAnswer) {
            why = got < 0 ? "cannot read " + path : path + " answers at no end";
            return false;
        }
        answer.append(chunk, static_cast<std::size_t>(got));
    }
    // A watcher's answer: its header, then lines of text.
    const std::string header = std::string(kStatusHeader) + "\n";
    const bool text = std::none_of(answer.begin(), answer.end(), [](char c) {
        return (static_cast<unsigned char>(c) < 0x20 && c != '\n') || c == 0x7f;
    });
    if (answer.rfind(header, 0) != 0 || !text || answer.back() != '\n') {
        why = path + " gives no watcher's answer";
        return false;
    }
    answer.erase(0, header.size());
    return true;
}

} // namespace

int ShowStatus() {
    const auto watcher = FindRunningWatcher();
    if (!watcher) {
        Say("no watcher runs in this session (" + SessionKey() + ")");
        return 3;
    }
    std::string answer, why;
    if (!Ask(SessionFile(".status"), answer, why)) {
        Say("the watcher (pid " + std::to_string(watcher->pid) + ") tells nothing: " + why);
        return 1;
    }
    std::fputs(answer.c_str(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace linesaver::idle
