#include "platform/idle_dbus/kde_inhibitions.h"

#include "platform/idle_dbus/session_bus.h"

#include <cstdint>
#include <poll.h>
#include <systemd/sd-bus.h>

namespace linesaver::idle {
namespace {

constexpr const char* kService = "org.kde.Solid.PowerManagement";
constexpr const char* kPath = "/org/kde/Solid/PowerManagement/PolicyAgent";
constexpr const char* kInterface = "org.kde.Solid.PowerManagement.PolicyAgent";
// The agent's policy "change screen settings", which screen-saver and
// idle inhibitions take.
constexpr std::uint32_t kScreenSettings = 4;

class KdeInhibitions final : public IdleSource {
public:
    KdeInhibitions(std::unique_ptr<IdleSource> source, std::unique_ptr<SessionBus> bus)
        : source_(std::move(source)), bus_(std::move(bus)) {}

    // False when the agent cannot be watched; the source is then used alone.
    bool Start();
    std::unique_ptr<IdleSource> TakeSource() { return std::move(source_); }

    std::string Describe() const override { return source_->Describe() + ", held back by KDE's inhibitions"; }
    int Fd() const override { return bus_->Fd(); }
    bool Read(std::vector<IdleChange>& changes, std::string& why) override;
    void Flush() override {
        source_->Flush();
        bus_->Rearm();
    }

private:
    static int OnChanged(sd_bus_message* message, void* self, sd_bus_error* error) noexcept;
    static int OnAnswer(sd_bus_message* message, void* self, sd_bus_error* error) noexcept;
    void Ask();

    std::unique_ptr<IdleSource> source_;
    std::unique_ptr<SessionBus> bus_;
    BusSlot changedSlot_;
    BusSlot askSlot_;
    bool inhibited_ = false;
    bool sourceIdle_ = false; // what the source last said
    bool toldIdle_ = false;   // what this source last said
};

bool KdeInhibitions::Start() {
    sd_bus* bus = bus_->get();
    sd_bus_slot* slot = nullptr;
    if (sd_bus_match_signal(bus, &slot, kService, kPath, kInterface, "InhibitionsChanged", &OnChanged, this) < 0)
        return false;
    changedSlot_.reset(slot);
    sd_bus_message* reply = nullptr;
    int held = 0;
    const bool asked = sd_bus_call_method(bus, kService, kPath, kInterface, "HasInhibition", nullptr, &reply, "u",
                                          kScreenSettings) >= 0 &&
                       sd_bus_message_read(reply, "b", &held) >= 0;
    sd_bus_message_unref(reply);
    inhibited_ = held != 0;
    return asked && bus_->AlsoWatch(source_->Fd()) && bus_->Rearm();
}

void KdeInhibitions::Ask() {
    sd_bus_slot* slot = nullptr;
    // An agent that does not answer is taken to hold nothing.
    if (sd_bus_call_method_async(bus_->get(), &slot, kService, kPath, kInterface, "HasInhibition", &OnAnswer, this, "u",
                                 kScreenSettings) >= 0)
        askSlot_.reset(slot);
}

int KdeInhibitions::OnChanged(sd_bus_message*, void* data, sd_bus_error*) noexcept {
    static_cast<KdeInhibitions*>(data)->Ask();
    return 0;
}

int KdeInhibitions::OnAnswer(sd_bus_message* message, void* data, sd_bus_error*) noexcept {
    int held = 0;
    if (sd_bus_message_is_method_error(message, nullptr) || sd_bus_message_read(message, "b", &held) < 0) held = 0;
    static_cast<KdeInhibitions*>(data)->inhibited_ = held != 0;
    return 0;
}

bool KdeInhibitions::Read(std::vector<IdleChange>& changes, std::string& why) {
    std::vector<IdleChange> fromSource;
    pollfd ready{.fd = source_->Fd(), .events = POLLIN, .revents = 0};
    if (poll(&ready, 1, 0) > 0 && !source_->Read(fromSource, why)) return false;
    for (const IdleChange change : fromSource) {
        sourceIdle_ = change == IdleChange::Idle;
        if (!sourceIdle_ && toldIdle_) {
            toldIdle_ = false;
            changes.push_back(IdleChange::Active);
        }
    }
    if (!bus_->Dispatch()) {
        why = "the session bus went away";
        return false;
    }
    // Held back while inhibited; once let go, the session idle all along
    // counts as idle at once.
    if (sourceIdle_ && !toldIdle_ && !inhibited_) {
        toldIdle_ = true;
        changes.push_back(IdleChange::Idle);
    }
    return true;
}

} // namespace

std::unique_ptr<IdleSource> HonourKdeInhibitions(std::unique_ptr<IdleSource> source) {
    std::string unused;
    auto bus = SessionBus::Open(unused);
    if (!bus) return source;
    int owned = 0;
    sd_bus_message* reply = nullptr;
    const bool agent =
        sd_bus_call_method(bus->get(), "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                           "NameHasOwner", nullptr, &reply, "s", kService) >= 0 &&
        sd_bus_message_read(reply, "b", &owned) >= 0 && owned;
    sd_bus_message_unref(reply);
    if (!agent) return source;
    auto gated = std::make_unique<KdeInhibitions>(std::move(source), std::move(bus));
    if (!gated->Start()) return gated->TakeSource();
    return gated;
}

} // namespace linesaver::idle
