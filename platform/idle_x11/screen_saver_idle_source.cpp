// MIT-SCREEN-SAVER tells the time since the last input but sends no event
// when it passes a mark of our own, so this source asks it when the idle
// time can first have been reached, and, while the session is idle, once a
// second whether input has come. Only servers without SYNC's IDLETIME need it.
#include "platform/idle_x11/x11_idle_source.h"

#include "platform/x11image/xcb_reply.h"

#include <cerrno>
#include <cstdint>
#include <sys/epoll.h>
#include <sys/timerfd.h>
#include <unistd.h>
#include <xcb/screensaver.h>
#include <xcb/xcb.h>

namespace linesaver::idle {
namespace {

constexpr std::int64_t kIdleCheckMilliseconds = 1000;

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

class ScreenSaverIdleSource final : public IdleSource {
public:
    ScreenSaverIdleSource(XcbConnection connection, std::string display, std::chrono::milliseconds idleAfter)
        : connection_(std::move(connection)), display_(std::move(display)), idleAfter_(idleAfter.count()),
          timer_(::timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK)),
          events_(::epoll_create1(EPOLL_CLOEXEC)) {
        for (const int fd : {timer_.get(), xcb_get_file_descriptor(connection_.get())}) {
            epoll_event watch{};
            watch.events = EPOLLIN;
            watch.data.fd = fd;
            ::epoll_ctl(events_.get(), EPOLL_CTL_ADD, fd, &watch);
        }
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_.get())).data->root;
        Check(startChanges_);
    }

    bool Usable() const { return timer_.get() >= 0 && events_.get() >= 0; }
    std::string Describe() const override { return "MIT-SCREEN-SAVER's idle time on " + display_; }
    int Fd() const override { return events_.get(); }
    void Flush() override { xcb_flush(connection_.get()); }

    bool Read(std::vector<IdleChange>& changes, std::string& why) override {
        changes.insert(changes.end(), startChanges_.begin(), startChanges_.end());
        startChanges_.clear();
        std::uint64_t expirations = 0;
        if (::read(timer_.get(), &expirations, sizeof expirations) > 0) Check(changes);
        // Nothing is asked for but the replies above; drain what else comes.
        while (XcbOwned<xcb_generic_event_t> event{xcb_poll_for_event(connection_.get())}) {}
        if (xcb_connection_has_error(connection_.get()) == 0) return true;
        why = "the X server " + display_ + " has closed the connection";
        return false;
    }

private:
    void Check(std::vector<IdleChange>& changes) {
        XcbOwned<xcb_screensaver_query_info_reply_t> info(xcb_screensaver_query_info_reply(
            connection_.get(), xcb_screensaver_query_info(connection_.get(), root_), nullptr));
        if (!info) return; // the connection has gone; Read() says so
        const std::int64_t idleTime = info->ms_since_user_input;
        if (idle_ && idleTime < lastIdleTime_) {
            idle_ = false;
            changes.push_back(IdleChange::Active);
        }
        if (!idle_ && idleTime >= idleAfter_) {
            idle_ = true;
            changes.push_back(IdleChange::Idle);
        }
        lastIdleTime_ = idleTime;
        Arm(idle_ ? kIdleCheckMilliseconds : idleAfter_ - idleTime);
    }

    void Arm(std::int64_t milliseconds) {
        itimerspec when{};
        when.it_value.tv_sec = milliseconds / 1000;
        when.it_value.tv_nsec = (milliseconds % 1000) * 1000000 + 1;
        ::timerfd_settime(timer_.get(), 0, &when, nullptr);
    }

    XcbConnection connection_;
    std::string display_;
    std::int64_t idleAfter_;
    FileDescriptor timer_;
    FileDescriptor events_;
    xcb_window_t root_ = XCB_NONE;
    bool idle_ = false;
    std::int64_t lastIdleTime_ = 0;
    std::vector<IdleChange> startChanges_;
};

} // namespace

std::unique_ptr<IdleSource> OpenScreenSaverIdleSource(XcbConnection connection, const std::string& display,
                                                      std::chrono::milliseconds idleAfter, std::string& whyNot) {
    const auto* extension = xcb_get_extension_data(connection.get(), &xcb_screensaver_id);
    if (!extension || !extension->present) {
        whyNot = "the X server " + display + " has neither SYNC's IDLETIME nor MIT-SCREEN-SAVER";
        return nullptr;
    }
    auto source = std::make_unique<ScreenSaverIdleSource>(std::move(connection), display, idleAfter);
    if (!source->Usable()) {
        whyNot = "cannot make a timer";
        return nullptr;
    }
    return source;
}

} // namespace linesaver::idle
