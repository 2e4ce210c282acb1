#include "platform/idle_dbus/desktop_locks.h"

#include <string_view>
#include <systemd/sd-bus.h>

namespace linesaver::idle {
namespace {

class DesktopLock final : public BusWatch {
public:
    DesktopLock(const LockScreen& screen, BusConnection& bus) : screen_(screen), bus_(bus) {}

    bool Start(std::string& whyNot);

    // Listed in the watcher's first line only when its program runs then.
    std::string Describe() const override { return owner_.empty() ? "" : screen_.describe; }
    void Report(HoldState& state) const override {
        if (active_) state.locks.emplace_back(screen_.interface);
    }

private:
    static int OnActiveChanged(sd_bus_message* message, void* self, sd_bus_error* error) noexcept;
    static int OnOwnerChanged(sd_bus_message* message, void* self, sd_bus_error* error) noexcept;
    static int OnAnswer(sd_bus_message* message, void* self, sd_bus_error* error) noexcept;
    // Follows the first of the names that has an owner now, asking it
    // whether its lock is on; none, and the lock is off.
    void Follow();

    const LockScreen& screen_;
    BusConnection& bus_;
    // The unique names of the programs that own each of the screen's
    // names ("" for none, and for this watcher, which is never heard), the
    // one followed, and this watcher's own.
    std::array<std::string, 2> owners_;
    std::string owner_;
    std::string own_;
    BusSlot activeSlot_;
    std::array<BusSlot, 2> ownerSlots_;
    BusSlot askSlot_;
    bool active_ = false;
};

bool DesktopLock::Start(std::string& whyNot) {
    own_ = bus_.UniqueName();
    // The sender is left open, since the program that will own a name
    // may start after the watcher, and so is the path: KDE sends the
    // signal from two. Only the followed program's signal counts.
    sd_bus_slot* slot = nullptr;
    bool matched = sd_bus_match_signal(bus_.get(), &slot, nullptr, nullptr, screen_.interface, "ActiveChanged",
                                       &OnActiveChanged, this) >= 0;
    activeSlot_.reset(slot);
    for (std::size_t i = 0; i < screen_.names.size() && matched; ++i) {
        if (screen_.names[i] == nullptr) continue;
        matched =
            sd_bus_add_match(bus_.get(), &slot, OwnerChangesRule(screen_.names[i]).c_str(), &OnOwnerChanged, this) >= 0;
        ownerSlots_[i].reset(slot);
        if (const std::string owner = bus_.Owner(screen_.names[i]); owner != own_) owners_[i] = owner;
    }
    if (!matched) {
        whyNot = "the session bus refused a signal match";
        return false;
    }
    owner_ = owners_[0].empty() ? owners_[1] : owners_[0];
    if (owner_.empty()) return true;
    // A lock already on when the watcher starts counts before the watcher
    // first looks at the session.
    sd_bus_message* reply = nullptr;
    int active = 0;
    if (sd_bus_call_method(bus_.get(), owner_.c_str(), screen_.path, screen_.interface, "GetActive", nullptr, &reply,
                           "") >= 0 &&
        sd_bus_message_read(reply, "b", &active) >= 0)
        active_ = active != 0;
    sd_bus_message_unref(reply);
    return true;
}

void DesktopLock::Follow() {
    const std::string& next = owners_[0].empty() ? owners_[1] : owners_[0];
    if (next == owner_) return;
    // A program gone takes its lock screen with it; one that takes the
    // name says for itself whether it is on.
    active_ = false;
    askSlot_.reset();
    owner_ = next;
    sd_bus_slot* slot = nullptr;
    if (!owner_.empty() && sd_bus_call_method_async(bus_.get(), &slot, owner_.c_str(), screen_.path, screen_.interface,
                                                    "GetActive", &OnAnswer, this, "") >= 0)
        askSlot_.reset(slot);
}

int DesktopLock::OnActiveChanged(sd_bus_message* message, void* data, sd_bus_error*) noexcept {
    auto* self = static_cast<DesktopLock*>(data);
    const char* sender = sd_bus_message_get_sender(message);
    int active = 0;
    if (sender != nullptr && !self->owner_.empty() && self->owner_ == sender &&
        sd_bus_message_read(message, "b", &active) >= 0)
        self->active_ = active != 0;
    return 0;
}

int DesktopLock::OnOwnerChanged(sd_bus_message* message, void* data, sd_bus_error*) noexcept {
    auto* self = static_cast<DesktopLock*>(data);
    const char* name = nullptr;
    const char* oldOwner = nullptr;
    const char* newOwner = nullptr;
    if (sd_bus_message_read(message, "sss", &name, &oldOwner, &newOwner) < 0) return 0;
    try {
        for (std::size_t i = 0; i < self->screen_.names.size(); ++i)
            if (self->screen_.names[i] != nullptr && std::string_view(name) == self->screen_.names[i])
                self->owners_[i] = self->own_ == newOwner ? "" : newOwner;
        self->Follow();
    } catch (...) {
        // Out of memory: the lock is taken as off until the next change.
        self->owner_.clear();
        self->active_ = false;
    }
    return 0;
}

int DesktopLock::OnAnswer(sd_bus_message* message, void* data, sd_bus_error*) noexcept {
    int active = 0;
    if (!sd_bus_message_is_method_error(message, nullptr) && sd_bus_message_read(message, "b", &active) >= 0)
        static_cast<DesktopLock*>(data)->active_ = active != 0;
    return 0;
}

} // namespace

std::unique_ptr<BusWatch> OpenLockScreen(const LockScreen& screen, BusConnection& bus, std::string& whyNot) {
    auto watch = std::make_unique<DesktopLock>(screen, bus);
    if (!watch->Start(whyNot)) return nullptr;
    return watch;
}

} // namespace linesaver::idle
