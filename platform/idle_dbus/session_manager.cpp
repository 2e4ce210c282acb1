#include "platform/idle_dbus/session_manager.h"

#include <cstdint>
#include <iterator>
#include <systemd/sd-bus.h>
#include <vector>

namespace linesaver::idle {
namespace {

constexpr const char* kService = "org.gnome.SessionManager";
constexpr const char* kPath = "/org/gnome/SessionManager";
constexpr const char* kInhibitorInterface = "org.gnome.SessionManager.Inhibitor";
// The flag of the inhibitions that keep the session from going idle.
constexpr std::uint32_t kIdle = 8;
// What each inhibitor is asked, in turn.
constexpr const char* kQuestions[] = {"GetFlags", "GetAppId", "GetReason"};
constexpr std::size_t kAllAnswered = std::size(kQuestions);

// One of the session manager's inhibitor objects, asked in turn what it
// inhibits, for whom and why; it counts once all have answered.
struct Inhibitor {
    sd_bus* bus = nullptr;
    std::string path;
    Inhibition inhibition;
    // How many of kQuestions have been answered.
    std::size_t answered = 0;
    // Whether it keeps the session from going idle.
    bool idle = false;
    BusSlot question;
};

int OnAnswer(sd_bus_message* message, void* data, sd_bus_error* error) noexcept;

void Ask(Inhibitor& inhibitor) {
    sd_bus_slot* slot = nullptr;
    if (sd_bus_call_method_async(inhibitor.bus, &slot, kService, inhibitor.path.c_str(), kInhibitorInterface,
                                 kQuestions[inhibitor.answered], &OnAnswer, &inhibitor, "") >= 0)
        inhibitor.question.reset(slot);
    else
        inhibitor.answered = kAllAnswered;
}

int OnAnswer(sd_bus_message* message, void* data, sd_bus_error*) noexcept {
    auto& inhibitor = *static_cast<Inhibitor*>(data);
    const bool failed = sd_bus_message_is_method_error(message, nullptr);
    std::uint32_t flags = 0;
    const char* text = nullptr;
    if (inhibitor.answered == 0) {
        // One that cannot say what it inhibits has most likely just gone.
        inhibitor.idle = !failed && sd_bus_message_read(message, "u", &flags) >= 0 && (flags & kIdle) != 0;
        if (!inhibitor.idle) inhibitor.answered = kAllAnswered;
    } else if (!failed && sd_bus_message_read(message, "s", &text) >= 0) {
        try {
            (inhibitor.answered == 1 ? inhibitor.inhibition.program : inhibitor.inhibition.reason) = text;
        } catch (...) {}
    }
    if (inhibitor.answered < kAllAnswered && ++inhibitor.answered < kAllAnswered) Ask(inhibitor);
    return 0;
}

class SessionManagerInhibitions final : public BusWatch {
public:
    explicit SessionManagerInhibitions(BusConnection& bus) : bus_(bus) {}

    bool Start(std::string& whyNot);

    std::string Describe() const override { return "the session manager's inhibitions"; }
    void Report(HoldState& state) const override {
        for (const auto& inhibitor : inhibitors_)
            if (inhibitor->answered == kAllAnswered && inhibitor->idle)
                state.inhibitions.push_back(inhibitor->inhibition);
    }

private:
    static int OnSignal(sd_bus_message* message, void* self, sd_bus_error* error) noexcept;
    static int OnOwnerChanged(sd_bus_message* message, void* self, sd_bus_error* error) noexcept;
    static int OnList(sd_bus_message* message, void* self, sd_bus_error* error) noexcept;
    void List();
    void Add(const char* path);
    bool Settled() const;

    BusConnection& bus_;
    BusSlot signalSlot_;
    BusSlot ownerSlot_;
    BusSlot listSlot_;
    bool listing_ = false;
    bool listed_ = false;
    std::vector<std::unique_ptr<Inhibitor>> inhibitors_;
};

bool SessionManagerInhibitions::Start(std::string& whyNot) {
    if (!bus_.HasOwner(kService)) {
        whyNot = std::string("no ") + kService + " on the session bus";
        return false;
    }
    sd_bus_slot* slot = nullptr;
    sd_bus_slot* ownerSlot = nullptr;
    const bool matched =
        sd_bus_match_signal(bus_.get(), &slot, kService, kPath, kService, nullptr, &OnSignal, this) >= 0 &&
        sd_bus_add_match(bus_.get(), &ownerSlot, OwnerChangesRule(kService).c_str(), &OnOwnerChanged, this) >= 0;
    signalSlot_.reset(slot);
    ownerSlot_.reset(ownerSlot);
    if (!matched) {
        whyNot = "the session bus refused a signal match";
        return false;
    }
    // What is held now, all answered before the watcher first looks; every
    // call ends within the bus's answer limit.
    List();
    while (!Settled()) {
        const int handled = sd_bus_process(bus_.get(), nullptr);
        if (handled < 0 || (handled == 0 && sd_bus_wait(bus_.get(), UINT64_MAX) < 0)) break;
    }
    if (!listed_) whyNot = std::string(kService) + " does not answer GetInhibitors";
    return listed_;
}

bool SessionManagerInhibitions::Settled() const {
    if (listing_) return false;
    for (const auto& inhibitor : inhibitors_)
        if (inhibitor->answered < kAllAnswered) return false;
    return true;
}

void SessionManagerInhibitions::List() {
    sd_bus_slot* slot = nullptr;
    listing_ =
        sd_bus_call_method_async(bus_.get(), &slot, kService, kPath, kService, "GetInhibitors", &OnList, this, "") >= 0;
    listSlot_.reset(slot);
}

void SessionManagerInhibitions::Add(const char* path) {
    for (const auto& inhibitor : inhibitors_)
        if (inhibitor->path == path) return;
    auto inhibitor = std::make_unique<Inhibitor>();
    inhibitor->bus = bus_.get();
    inhibitor->path = path;
    inhibitor->inhibition = {kService, "", "", std::chrono::system_clock::now()};
    inhibitors_.push_back(std::move(inhibitor));
    Ask(*inhibitors_.back());
}

int SessionManagerInhibitions::OnSignal(sd_bus_message* message, void* data, sd_bus_error*) noexcept {
    auto* self = static_cast<SessionManagerInhibitions*>(data);
    const char* path = nullptr;
    const bool added = sd_bus_message_is_signal(message, kService, "InhibitorAdded") > 0;
    if ((!added && sd_bus_message_is_signal(message, kService, "InhibitorRemoved") <= 0) ||
        sd_bus_message_read(message, "o", &path) < 0)
        return 0;
    try {
        if (added)
            self->Add(path);
        else
            std::erase_if(self->inhibitors_, [path](const auto& inhibitor) { return inhibitor->path == path; });
    } catch (...) {}
    return 0;
}

int SessionManagerInhibitions::OnList(sd_bus_message* message, void* data, sd_bus_error*) noexcept {
    auto* self = static_cast<SessionManagerInhibitions*>(data);
    self->listing_ = false;
    if (sd_bus_message_is_method_error(message, nullptr) || sd_bus_message_enter_container(message, 'a', "o") < 0)
        return 0;
    self->listed_ = true;
    const char* path = nullptr;
    try {
        while (sd_bus_message_read(message, "o", &path) > 0) self->Add(path);
    } catch (...) {}
    return 0;
}

int SessionManagerInhibitions::OnOwnerChanged(sd_bus_message* message, void* data, sd_bus_error*) noexcept {
    // The inhibitions went with the program that kept them; a session
    // manager that takes the name is asked for its own.
    auto* self = static_cast<SessionManagerInhibitions*>(data);
    const char* newOwner = NewOwner(message);
    if (newOwner == nullptr) return 0;
    self->inhibitors_.clear();
    if (*newOwner != '\0') self->List();
    return 0;
}

} // namespace

std::unique_ptr<BusWatch> OpenSessionManagerInhibitions(BusConnection& bus, std::string& whyNot) {
    auto watch = std::make_unique<SessionManagerInhibitions>(bus);
    if (!watch->Start(whyNot)) return nullptr;
    return watch;
}

} // namespace linesaver::idle
