#include "platform/idle_dbus/desktop_locks.h"

#include <systemd/sd-bus.h>

namespace linesaver::idle {
namespace {

class DesktopLock final : public BusWatch {
public:
    DesktopLock(const LockScreen& screen, BusConnection& bus) : screen_(screen), bus_(bus) {}

    bool Start(std::string& whyNot);

    std::string Describe() const override { return screen_.describe; }
    void Report(HoldState& state) const override {
        if (active_) state.locks.emplace_back(screen_.interface);
    }

private:
    static int OnActiveChanged(sd_bus_message* message, void* self, sd_bus_error* error) noexcept;
    static int OnOwnerChanged(sd_bus_message* message, void* self, sd_bus_error* error) noexcept;
    static int OnAnswer(sd_bus_message* message, void* self, sd_bus_error* error) noexcept;

    const LockScreen& screen_;
    BusConnection& bus_;
    const char* name_ = nullptr;
    // The unique names of the program that owns name_ now ("" for none),
    // the one sender heard, and of this watcher, never heard.
    std::string owner_;
    std::string own_;
    BusSlot activeSlot_;
    BusSlot ownerSlot_;
    BusSlot askSlot_;
    bool active_ = false;
};

bool DesktopLock::Start(std::string& whyNot) {
    for (const char* name : screen_.names) {
        if (name == nullptr) continue;
        owner_ = bus_.Owner(name);
        if (owner_.empty()) continue;
        name_ = name;
        break;
    }
    own_ = bus_.UniqueName();
    if (name_ == nullptr || owner_ == own_) {
        whyNot = name_ == nullptr ? std::string("no ") + screen_.names[0] + " on the session bus"
                                  : std::string(name_) + " is this watcher's own";
        return false;
    }
    // The path is left open: KDE sends the signal from two.
    sd_bus_slot* slot = nullptr;
    sd_bus_slot* ownerSlot = nullptr;
    const bool matched =
        sd_bus_match_signal(bus_.get(), &slot, name_, nullptr, screen_.interface, "ActiveChanged", &OnActiveChanged,
                            this) >= 0 &&
        sd_bus_add_match(bus_.get(), &ownerSlot, OwnerChangesRule(name_).c_str(), &OnOwnerChanged, this) >= 0;
    activeSlot_.reset(slot);
    ownerSlot_.reset(ownerSlot);
    if (!matched) {
        whyNot = "the session bus refused a signal match";
        return false;
    }
    sd_bus_message* reply = nullptr;
    int active = 0;
    const bool answered = sd_bus_call_method(bus_.get(), owner_.c_str(), screen_.path, screen_.interface, "GetActive",
                                             nullptr, &reply, "") >= 0 &&
                          sd_bus_message_read(reply, "b", &active) >= 0;
    sd_bus_message_unref(reply);
    active_ = active != 0;
    if (!answered) whyNot = std::string(name_) + " does not answer GetActive";
    return answered;
}

int DesktopLock::OnActiveChanged(sd_bus_message* message, void* data, sd_bus_error*) noexcept {
    auto* self = static_cast<DesktopLock*>(data);
    const char* sender = sd_bus_message_get_sender(message);
    int active = 0;
    if (sender != nullptr && self->owner_ == sender && sd_bus_message_read(message, "b", &active) >= 0)
        self->active_ = active != 0;
    return 0;
}

int DesktopLock::OnOwnerChanged(sd_bus_message* message, void* data, sd_bus_error*) noexcept {
    auto* self = static_cast<DesktopLock*>(data);
    const char* newOwner = NewOwner(message);
    if (newOwner == nullptr) return 0;
    // A program gone takes its lock screen with it; one that takes the
    // name says for itself whether it is on.
    self->active_ = false;
    self->askSlot_.reset();
    try {
        self->owner_ = newOwner;
    } catch (...) {
        self->owner_.clear();
    }
    if (self->owner_ == self->own_) self->owner_.clear();
    sd_bus_slot* slot = nullptr;
    if (!self->owner_.empty() &&
        sd_bus_call_method_async(self->bus_.get(), &slot, self->owner_.c_str(), self->screen_.path,
                                 self->screen_.interface, "GetActive", &OnAnswer, self, "") >= 0)
        self->askSlot_.reset(slot);
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
