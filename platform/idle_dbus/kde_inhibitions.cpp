#include "platform/idle_dbus/kde_inhibitions.h"

#include <cstdint>
#include <systemd/sd-bus.h>
#include <vector>

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
        state.inhibitions.insert(state.inhibitions.end(), held_.begin(), held_.end());
    }

private:
    static int OnChanged(sd_bus_message* message, void* self, sd_bus_error* error) noexcept;
    static int OnHeld(sd_bus_message* message, void* self, sd_bus_error* error) noexcept;
    static int OnList(sd_bus_message* message, void* self, sd_bus_error* error) noexcept;
    void Hold(sd_bus_message* list);

    BusConnection& bus_;
    BusSlot changedSlot_;
    BusSlot askSlot_;
    // While the screen's settings are held, one inhibition a program the
    // agent names (it lists all it holds, whatever they hold back), or
    // one unnamed where it names none.
    std::vector<Inhibition> held_;
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
    reply = sd_bus_message_unref(reply);
    if (held != 0 &&
        sd_bus_call_method(bus_.get(), kService, kPath, kInterface, "ListInhibitions", nullptr, &reply, "") < 0)
        reply = nullptr;
    if (held != 0) Hold(reply);
    sd_bus_message_unref(reply);
    return asked;
}

void KdeInhibitions::Hold(sd_bus_message* list) {
    std::vector<Inhibition> held;
    const char* program = nullptr;
    const char* reason = nullptr;
    if (list != nullptr && sd_bus_message_enter_container(list, 'a', "(ss)") >= 0)
        while (sd_bus_message_read(list, "(ss)", &program, &reason) > 0)
            held.push_back({kInterface, program, reason, std::chrono::system_clock::now()});
    if (held.empty()) held.push_back({kInterface, "", "", std::chrono::system_clock::now()});
    // One held before keeps its time.
    for (auto& inhibition : held)
        for (const auto& before : held_)
            if (before.program == inhibition.program && before.reason == inhibition.reason)
                inhibition.since = before.since;
    held_ = std::move(held);
}

int KdeInhibitions::OnChanged(sd_bus_message*, void* data, sd_bus_error*) noexcept {
    auto* self = static_cast<KdeInhibitions*>(data);
    sd_bus_slot* slot = nullptr;
    // An agent that does not answer is taken to hold nothing.
    if (sd_bus_call_method_async(self->bus_.get(), &slot, kService, kPath, kInterface, "HasInhibition", &OnHeld, self,
                                 "u", kScreenSettings) >= 0)
        self->askSlot_.reset(slot);
    return 0;
}

int KdeInhibitions::OnHeld(sd_bus_message* message, void* data, sd_bus_error*) noexcept {
    auto* self = static_cast<KdeInhibitions*>(data);
    int held = 0;
    if (sd_bus_message_is_method_error(message, nullptr) || sd_bus_message_read(message, "b", &held) < 0) held = 0;
    sd_bus_slot* slot = nullptr;
    if (held == 0)
        self->held_.clear();
    else if (sd_bus_call_method_async(self->bus_.get(), &slot, kService, kPath, kInterface, "ListInhibitions", &OnList,
                                      self, "") >= 0)
        self->askSlot_.reset(slot);
    return 0;
}

int KdeInhibitions::OnList(sd_bus_message* message, void* data, sd_bus_error*) noexcept {
    try {
        static_cast<KdeInhibitions*>(data)->Hold(sd_bus_message_is_method_error(message, nullptr) ? nullptr : message);
    } catch (...) {}
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
