#include "platform/idle_wayland/idle_notification.h"

#include "platform/idle_wayland/wayland_connection.h"

#include <algorithm>
#include <limits>
#include <wayland-client.h>

namespace linesaver::idle {
namespace {

// How long the compositor may take to answer at start.
constexpr std::chrono::seconds kAnswerLimit{5};

class IdleNotification final : public IdleSource {
public:
    IdleNotification(const IdleProtocol& protocol, std::unique_ptr<WaylandConnection> connection)
        : protocol_(protocol), connection_(std::move(connection)) {}

    ~IdleNotification() override {
        if (notification_) protocol_.unwatch(notification_);
    }

    bool Watch(std::chrono::milliseconds idleAfter) {
        const auto most = std::chrono::milliseconds(std::numeric_limits<std::uint32_t>::max());
        const auto idleMs =
            static_cast<std::uint32_t>(std::clamp(idleAfter, std::chrono::milliseconds(1), most).count());
        notification_ = protocol_.watch(connection_->Global(), connection_->Seat(), idleMs);
        if (!notification_) return false;
        protocol_.listen(notification_, this);
        changes_.reserve(16);
        connection_->Flush();
        return true;
    }

    std::string Describe() const override {
        return std::string(protocol_.notifier.name) + " on " + connection_->Name();
    }

    int Fd() const override { return connection_->Fd(); }

    bool Read(std::vector<IdleChange>& changes, std::string& why) override {
        if (!connection_->ReadAndDispatch(why)) return false;
        if (lostChange_) {
            why = "out of memory";
            return false;
        }
        changes.insert(changes.end(), changes_.begin(), changes_.end());
        changes_.clear();
        return true;
    }

    void Flush() override { connection_->Flush(); }

    void Note(IdleChange change) noexcept {
        try {
            changes_.push_back(change);
        } catch (...) {
            lostChange_ = true;
        }
    }

private:
    const IdleProtocol& protocol_;
    std::unique_ptr<WaylandConnection> connection_;
    wl_proxy* notification_ = nullptr;
    std::vector<IdleChange> changes_; // what the listeners heard since the last Read
    bool lostChange_ = false;
};

} // namespace

void NoteIdle(void* source) noexcept { static_cast<IdleNotification*>(source)->Note(IdleChange::Idle); }
void NoteActive(void* source) noexcept { static_cast<IdleNotification*>(source)->Note(IdleChange::Active); }

std::unique_ptr<IdleSource> OpenIdleNotification(const IdleProtocol& protocol, std::chrono::milliseconds idleAfter,
                                                 std::string& whyNot) {
    auto connection = WaylandConnection::Open(protocol.notifier, protocol.release, kAnswerLimit, whyNot);
    if (!connection) return nullptr;
    auto source = std::make_unique<IdleNotification>(protocol, std::move(connection));
    if (!source->Watch(idleAfter)) {
        whyNot = "the compositor gave no idle notification";
        return nullptr;
    }
    return source;
}

} // namespace linesaver::idle
