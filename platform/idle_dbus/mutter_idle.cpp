#include "platform/idle_dbus/mutter_idle.h"

#include "platform/idle_dbus/bus_connection.h"

#include <cstdint>
#include <cstring>
#include <systemd/sd-bus.h>

namespace linesaver::idle {
namespace {

constexpr const char* kService = "org.gnome.Mutter.IdleMonitor";
constexpr const char* kPath = "/org/gnome/Mutter/IdleMonitor/Core";
constexpr const char* kInterface = "org.gnome.Mutter.IdleMonitor";

class MutterIdle final : public IdleSource {
public:
    explicit MutterIdle(std::unique_ptr<BusConnection> bus) : bus_(std::move(bus)) { changes_.reserve(8); }

    bool Start(std::chrono::milliseconds idleAfter, std::string& whyNot);

    std::string Describe() const override { return "org.gnome.Mutter.IdleMonitor on the session bus"; }
    int Fd() const override { return bus_->Fd(); }
    bool Read(std::vector<IdleChange>& changes, std::string& why) override;

private:
    static int OnWatchFired(sd_bus_message* message, void* self, sd_bus_error* error) noexcept;
    static int OnActiveWatchAdded(sd_bus_message* message, void* self, sd_bus_error* error) noexcept;
    static int OnOwnerChanged(sd_bus_message* message, void* self, sd_bus_error* error) noexcept;
    void Fired(std::uint32_t watch);

    std::unique_ptr<BusConnection> bus_;
    BusSlot firedSlot_;
    BusSlot ownerSlot_;
    BusSlot activeCallSlot_;
    std::uint32_t idleWatch_ = 0;
    std::uint32_t activeWatch_ = 0;
    bool idle_ = false;
    bool activeWatchPending_ = false;
    std::vector<IdleChange> changes_;
    // Why the source failed, set by handlers that must not throw.
    const char* failure_ = nullptr;
};

bool MutterIdle::Start(std::chrono::milliseconds idleAfter, std::string& whyNot) {
    sd_bus* bus = bus_->get();
    sd_bus_slot* slot = nullptr;
    if (sd_bus_match_signal(bus, &slot, kService, kPath, kInterface, "WatchFired", &OnWatchFired, this) < 0) {
        whyNot = "the session bus refused a signal match";
        return false;
    }
    firedSlot_.reset(slot);
    // Mutter leaving the bus is the compositor going away.
    const std::string ownerRule =
        std::string("type='signal',sender='org.freedesktop.DBus',path='/org/freedesktop/DBus',"
                    "interface='org.freedesktop.DBus',member='NameOwnerChanged',arg0='") +
        kService + "'";
    if (sd_bus_add_match(bus, &slot, ownerRule.c_str(), &OnOwnerChanged, this) < 0) {
        whyNot = "the session bus refused a signal match";
        return false;
    }
    ownerSlot_.reset(slot);

    sd_bus_message* reply = nullptr;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    int result = sd_bus_call_method(bus, kService, kPath, kInterface, "AddIdleWatch", &error, &reply, "t",
                                    static_cast<std::uint64_t>(idleAfter.count()));
    if (result >= 0) result = sd_bus_message_read(reply, "u", &idleWatch_);
    if (result < 0) {
        whyNot = sd_bus_error_has_name(&error, SD_BUS_ERROR_SERVICE_UNKNOWN) ||
                         sd_bus_error_has_name(&error, SD_BUS_ERROR_NAME_HAS_NO_OWNER)
                     ? std::string("no ") + kService + " on the session bus"
                     : std::string(kService) + ": " + (error.message ? error.message : std::strerror(-result));
    }
    sd_bus_error_free(&error);
    sd_bus_message_unref(reply);
    // What came in meanwhile waits in sd-bus's queue, which Rearm sees.
    return result >= 0 && bus_->Rearm();
}

bool MutterIdle::Read(std::vector<IdleChange>& changes, std::string& why) {
    const bool open = bus_->Dispatch();
    changes.insert(changes.end(), changes_.begin(), changes_.end());
    changes_.clear();
    if (failure_ != nullptr) {
        why = failure_;
        return false;
    }
    if (!open) {
        why = "the session bus went away";
        return false;
    }
    return true;
}

void MutterIdle::Fired(std::uint32_t watch) {
    if (watch == idleWatch_) {
        // Idle again without an active watch having fired: the input came
        // before that watch was in place.
        if (idle_) changes_.push_back(IdleChange::Active);
        idle_ = true;
        changes_.push_back(IdleChange::Idle);
        if (activeWatch_ != 0 || activeWatchPending_) return;
        sd_bus_slot* slot = nullptr;
        if (sd_bus_call_method_async(bus_->get(), &slot, kService, kPath, kInterface, "AddUserActiveWatch",
                                     &OnActiveWatchAdded, this, "") < 0) {
            failure_ = "cannot ask Mutter for the next input";
            return;
        }
        activeCallSlot_.reset(slot);
        activeWatchPending_ = true;
    } else if (watch == activeWatch_ && watch != 0) {
        // A user-active watch fires once and is gone.
        activeWatch_ = 0;
        idle_ = false;
        changes_.push_back(IdleChange::Active);
    }
}

int MutterIdle::OnWatchFired(sd_bus_message* message, void* data, sd_bus_error*) noexcept {
    std::uint32_t watch = 0;
    if (sd_bus_message_read(message, "u", &watch) < 0) return 0;
    try {
        static_cast<MutterIdle*>(data)->Fired(watch);
    } catch (...) {
        static_cast<MutterIdle*>(data)->failure_ = "out of memory";
    }
    return 0;
}

int MutterIdle::OnActiveWatchAdded(sd_bus_message* message, void* data, sd_bus_error*) noexcept {
    auto* self = static_cast<MutterIdle*>(data);
    self->activeWatchPending_ = false;
    const sd_bus_error* error = sd_bus_message_get_error(message);
    if (error != nullptr || sd_bus_message_read(message, "u", &self->activeWatch_) < 0) {
        self->failure_ = "Mutter gave no watch for the next input";
    }
    return 0;
}

int MutterIdle::OnOwnerChanged(sd_bus_message* message, void* data, sd_bus_error*) noexcept {
    const char* name = nullptr;
    const char* oldOwner = nullptr;
    if (sd_bus_message_read(message, "ss", &name, &oldOwner) < 0) return 0;
    auto* self = static_cast<MutterIdle*>(data);
    // Whoever owns the name next knows nothing of this connection's watches.
    if (oldOwner != nullptr && *oldOwner != '\0') self->failure_ = "Mutter left the session bus";
    return 0;
}

} // namespace

std::unique_ptr<IdleSource> OpenMutterIdle(std::chrono::milliseconds idleAfter, std::string& whyNot) {
    auto bus = BusConnection::Open(BusKind::Session, whyNot);
    if (!bus) return nullptr;
    auto source = std::make_unique<MutterIdle>(std::move(bus));
    if (!source->Start(idleAfter, whyNot)) return nullptr;
    return source;
}

} // namespace linesaver::idle
