#include "platform/idle/status_channel.h"

#include "platform/idle/hold_record.h"
#include "platform/idle/session_instance.h"
#include "platform/posix/posix_file.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <deque>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace linesaver::idle {
namespace {

const std::vector<HoldState> kNoReports;

// Askers whose answer is still being sent.
constexpr std::size_t kMostAskers = 8;

std::string LocalTime(std::chrono::system_clock::time_point when) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    char text[32];
    localtime_r(&seconds, &local);
    return std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local) ? text : "?";
}

class StatusChannel final : public HoldSource {
public:
    StatusChannel(UniqueFd listener, UniqueFd epoll, std::string path)
        : listener_(std::move(listener)), epoll_(std::move(epoll)), path_(std::move(path)) {}
    ~StatusChannel() override { ::unlink(path_.c_str()); }

    std::string Describe() const override { return ""; }
    int Fd() const override { return epoll_.get(); }
    void Seen(const WatchView& view) override { view_ = &view; }

    bool Read(HoldState&, std::string&) override {
        while (true) {
            UniqueFd asker(::accept4(listener_.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
            if (!asker) break;
            ucred peer{};
            socklen_t size = sizeof peer;
            // Only this user's programs are told (the folder is theirs alone as well).
            if (::getsockopt(asker.get(), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || peer.uid != ::getuid())
                continue;
            Answer(std::move(asker));
        }
        for (auto asker = askers_.begin(); asker != askers_.end();)
            asker = Send(*asker) ? std::next(asker) : askers_.erase(asker);
        return true;
    }

private:
    struct Asker {
        UniqueFd socket;
        std::string unsent;
    };

    void Answer(UniqueFd socket) {
        std::string text = std::string(kStatusHeader) + "\n";
        if (view_)
            for (const auto& line : StatusLines(*view_)) text += line + "\n";
        Asker asker{std::move(socket), std::move(text)};
        if (!Send(asker)) return;
        if (askers_.size() == kMostAskers) askers_.pop_front();
        epoll_event event{.events = EPOLLOUT, .data = {.fd = asker.socket.get()}};
        if (epoll_ctl(epoll_.get(), EPOLL_CTL_ADD, asker.socket.get(), &event) == 0)
            askers_.push_back(std::move(asker));
    }

    // Sends what the socket takes now; whether some is left to send.
    static bool Send(Asker& asker) {
        while (!asker.unsent.empty()) {
            const ssize_t sent = ::send(asker.socket.get(), asker.unsent.data(), asker.unsent.size(), MSG_NOSIGNAL);
            if (sent < 0) return errno == EAGAIN || errno == EINTR;
            asker.unsent.erase(0, static_cast<std::size_t>(sent));
        }
        return false;
    }

    UniqueFd listener_;
    UniqueFd epoll_;
    std::string path_;
    const WatchView* view_ = nullptr;
    std::deque<Asker> askers_;
};

} // namespace

std::vector<std::string> StatusLines(const WatchView& view) {
    std::vector<std::string> lines{"idle source: " + view.idleSource};
    lines.push_back(view.idleSince ? "idle: since " + LocalTime(*view.idleSince) : "idle: no");
    lines.push_back(view.saverPid >= 0 ? "saver: pid " + std::to_string(view.saverPid) : "saver: none");
    std::vector<std::string> locks;
    for (const HoldState& report : view.holds ? view.holds->Reports() : kNoReports) {
        for (const auto& inhibition : report.inhibitions)
            lines.push_back("held back: since " + LocalTime(inhibition.since) + " by " +
                            DescribeInhibition(inhibition));
        for (const auto& lock : report.locks) locks.push_back("locked: by " + lock);
    }
    if (lines.size() == 3) lines.push_back("held back: no");
    if (locks.empty()) locks.push_back("locked: no");
    lines.insert(lines.end(), locks.begin(), locks.end());
    return lines;
}

std::unique_ptr<HoldSource> OpenStatusChannel(std::chrono::milliseconds, std::string& whyNot) {
    const std::string path = SessionFile(".status");
    sockaddr_un address{.sun_family = AF_UNIX, .sun_path = {}};
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        whyNot = path.empty() ? "no private runtime folder" : "the runtime folder's path is too long for a socket";
        return nullptr;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    UniqueFd listener(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    UniqueFd epoll(epoll_create1(EPOLL_CLOEXEC));
    // One left by a watcher that was killed: this one holds the session now.
    ::unlink(path.c_str());
    epoll_event event{.events = EPOLLIN, .data = {.fd = listener.get()}};
    if (!listener || !epoll || ::bind(listener.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener.get(), static_cast<int>(kMostAskers)) != 0 ||
        epoll_ctl(epoll.get(), EPOLL_CTL_ADD, listener.get(), &event) != 0) {
        whyNot = "cannot listen at " + path + " (" + std::strerror(errno) + ")";
        return nullptr;
    }
    return std::make_unique<StatusChannel>(std::move(listener), std::move(epoll), path);
}

} // namespace linesaver::idle
