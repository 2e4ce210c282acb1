#include "platform/idle_dbus/kde_inhibitions.h"

#include <cstdint>
#include <systemd/sd-bus.h>

namespace linesaver::idle {
namespace {

constexpr const char* kService = "org.kde.Solid.PowerManagement";
constexpr const char* kPath = "/org/kde/Solid/PowerManagement/PolicyAgent";
constexpr const char* kInterface = "org.kde.Solid.PowerManagement.PolicyAgent";
// The agent's policy "change screen settings", which screen-saver and
// idle inhibitions take.
constexpr std::uint32_t kScreenSettings = 4;

class KdeInhibitions final : public BusWatch {
public:
    explicit KdeInhibitions(BusConnection& bus) : bus_(bus) {}

    bool Start();

    std::string Describe() const override { return "KDE's inhibitions"; }
    void Report(HoldState& state) const override {
        if (held_) state.inhibitions.push_back(inhibition_);
    }

private:
    static int OnChanged(sd_bus_message* message, void* self, sd_bus_error* error) noexcept;
    static int OnAnswer(sd_bus_message* message, void* self, sd_bus_error* error) noexcept;
    void Ask();
    void Set(bool held);

    BusConnection& bus_;
    BusSlot changedSlot_;
    BusSlot askSlot_;
    bool held_ = false;
    Inhibition inhibition_{kInterface, "", "", {}};
};

bool KdeInhibitions::Start() {
    sd_bus_slot* slot = nullptr;
    if (sd_bus_match_signal(bus_.get(), &slot, kService, kPath, kInterface, "InhibitionsChanged", &OnChanged, this) < 0)
        return false;
    changedSlot_.reset(slot);
    sd_bus_message* reply = nullptr;
    int held = 0;
    const bool asked = sd_bus_call_method(bus_.get(), kService, kPath, kInterface, "HasInhibition", nullptr, &reply,
                                          "u", kScreenSettings) >= 0 &&
                       sd_bus_message_read(reply, "b", &held) >= 0;
    sd_bus_message_unref(reply);
    Set(held != 0);
    return asked;
}

void KdeInhibitions::Set(bool held) {
    if (held && !held_) inhibition_.since = std::chrono::system_clock::now();
    held_ = held;
}

void KdeInhibitions::Ask() {
    sd_bus_slot* slot = nullptr;
    // An agent that does not answer is taken to hold nothing.
    if (sd_bus_call_method_async(bus_.get(), &slot, kService, kPath, kInterface, "HasInhibition", &OnAnswer, this, "u",
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
    static_cast<KdeInhibitions*>(data)->Set(held != 0);
    return 0;
}

} // namespace

std::unique_ptr<BusWatch> OpenKdeInhibitions(BusConnection& bus, std::string& whyNot) {
    if (!bus.HasOwner(kService)) {
        whyNot = std::string("no ") + kService + " on the session bus";
        return nullptr;
    }
    auto watch = std::make_unique<KdeInhibitions>(bus);
    if (!watch->Start()) {
        whyNot = std::string(kService) + " does not answer";
        return nullptr;
    }
    return watch;
}

} // namespace linesaver::idle
