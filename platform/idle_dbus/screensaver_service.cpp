#include "platform/idle_dbus/screensaver_service.h"

#include "platform/idle/program_name.h"
#include "platform/idle_dbus/inhibition_book.h"

#include <cerrno>
#include <cstring>
#include <map>
#include <systemd/sd-bus.h>
#include <vector>

namespace linesaver::idle {
namespace {

constexpr const char* kName = "org.freedesktop.ScreenSaver";
constexpr const char* kInterface = "org.freedesktop.ScreenSaver";
constexpr const char* kPaths[] = {"/org/freedesktop/ScreenSaver", "/ScreenSaver"};
// How much of a program's name for itself, and of its reason, is kept.
constexpr std::size_t kLongestGivenName = 64, kLongestReason = 200;

struct MessageUnref {
    void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using MessageRef = std::unique_ptr<sd_bus_message, MessageUnref>;

class ScreenSaverService final : public BusWatch {
public:
    explicit ScreenSaverService(BusConnection& bus) : bus_(bus) {}

    bool Start(std::string& whyNot);

    std::string Describe() const override { return "the inhibitions of its own org.freedesktop.ScreenSaver"; }
    void Report(HoldState& state) const override {
        book_.Report(kInterface, state.inhibitions);
        state.activity += activity_;
    }
    void Seen(const WatchView& view) override;

private:
    // A program on the bus that holds or asks for inhibitions. Its Inhibit
    // calls wait until the bus has said which process it is.
    struct Caller {
        ScreenSaverService* service;
        std::string name;
        BusSlot leaving;
        BusSlot asking;
        bool known = false;
        pid_t pid = 0;
        std::string process;
        std::vector<MessageRef> waiting;
    };

    template <int (ScreenSaverService::*Method)(sd_bus_message*)>
    static int Handle(sd_bus_message* message, void* self, sd_bus_error*) noexcept {
        try {
            return (static_cast<ScreenSaverService*>(self)->*Method)(message);
        } catch (...) {
            return sd_bus_reply_method_errorf(message, SD_BUS_ERROR_NO_MEMORY, "out of memory");
        }
    }
    static int OnCallerLeft(sd_bus_message* message, void* caller, sd_bus_error*) noexcept;
    static int OnCallerProcess(sd_bus_message* message, void* caller, sd_bus_error*) noexcept;

    int Inhibit(sd_bus_message* message);
    int UnInhibit(sd_bus_message* message);
    int SimulateUserActivity(sd_bus_message* message);
    int GetActive(sd_bus_message* message);
    int GetActiveTime(sd_bus_message* message);

    Caller& Follow(const std::string& name);
    int Grant(Caller& caller, sd_bus_message* message);
    // Drops a caller that holds and waits for nothing.
    void ForgetIfIdle(const std::string& name);

    static const sd_bus_vtable kVtable[];

    BusConnection& bus_;
    std::vector<BusSlot> objects_;
    InhibitionBook book_;
    std::map<std::string, std::unique_ptr<Caller>> callers_;
    std::uint64_t activity_ = 0;
    bool active_ = false;
    std::chrono::steady_clock::time_point activeSince_{};
};

const sd_bus_vtable ScreenSaverService::kVtable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("Inhibit", "ss", "u", &Handle<&ScreenSaverService::Inhibit>, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("UnInhibit", "u", "", &Handle<&ScreenSaverService::UnInhibit>, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("SimulateUserActivity", "", "", &Handle<&ScreenSaverService::SimulateUserActivity>,
                  SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("GetActive", "", "b", &Handle<&ScreenSaverService::GetActive>, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("GetActiveTime", "", "u", &Handle<&ScreenSaverService::GetActiveTime>, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_SIGNAL("ActiveChanged", "b", 0),
    SD_BUS_VTABLE_END,
};

bool ScreenSaverService::Start(std::string& whyNot) {
    for (const char* path : kPaths) {
        sd_bus_slot* slot = nullptr;
        if (sd_bus_add_object_vtable(bus_.get(), &slot, path, kInterface, kVtable, this) < 0) {
            whyNot = std::string("cannot serve ") + path;
            return false;
        }
        objects_.emplace_back(slot);
    }
    // Another program may take the name over later (a desktop's screen
    // saver started after the watcher).
    const int taken = sd_bus_request_name(bus_.get(), kName, SD_BUS_NAME_ALLOW_REPLACEMENT);
    if (taken < 0) whyNot = std::string("cannot take ") + kName + " (" + std::strerror(-taken) + ")";
    return taken >= 0;
}

void ScreenSaverService::Seen(const WatchView& view) {
    const bool active = view.saverPid >= 0;
    if (active == active_) return;
    active_ = active;
    activeSince_ = std::chrono::steady_clock::now();
    for (const char* path : kPaths)
        sd_bus_emit_signal(bus_.get(), path, kInterface, "ActiveChanged", "b", static_cast<int>(active));
}

ScreenSaverService::Caller& ScreenSaverService::Follow(const std::string& name) {
    auto& caller = callers_[name];
    if (caller) return *caller;
    caller = std::make_unique<Caller>();
    caller->service = this;
    caller->name = name;
    // The match is in place before the question: a caller that leaves
    // before it is answered makes the question fail, one that leaves after
    // sends the signal.
    const std::string leaving = "type='signal',sender='org.freedesktop.DBus',path='/org/freedesktop/DBus',"
                                "interface='org.freedesktop.DBus',member='NameOwnerChanged',arg0='" +
                                name + "'";
    sd_bus_slot* slot = nullptr;
    if (sd_bus_add_match_async(bus_.get(), &slot, leaving.c_str(), &OnCallerLeft, nullptr, caller.get()) >= 0)
        caller->leaving.reset(slot);
    if (sd_bus_call_method_async(bus_.get(), &slot, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                 "org.freedesktop.DBus", "GetConnectionUnixProcessID", &OnCallerProcess, caller.get(),
                                 "s", name.c_str()) >= 0)
        caller->asking.reset(slot);
    else
        caller->known = true;
    return *caller;
}

int ScreenSaverService::Inhibit(sd_bus_message* message) {
    const char* sender = sd_bus_message_get_sender(message);
    if (!sender) return sd_bus_reply_method_errorf(message, SD_BUS_ERROR_ACCESS_DENIED, "no sender");
    Caller& caller = Follow(sender);
    if (caller.known) return Grant(caller, message);
    if (caller.waiting.size() >= InhibitionBook::kCookiesPerCaller)
        return sd_bus_reply_method_errorf(message, SD_BUS_ERROR_LIMITS_EXCEEDED, "too many inhibitions at once");
    caller.waiting.emplace_back(sd_bus_message_ref(message));
    return 1;
}

int ScreenSaverService::Grant(Caller& caller, sd_bus_message* message) {
    const char *given = nullptr, *reason = nullptr;
    if (const int read = sd_bus_message_read(message, "ss", &given, &reason); read < 0)
        return sd_bus_reply_method_errno(message, read, nullptr);
    const std::uint32_t cookie =
        book_.Inhibit(caller.name, ProgramName(Printable(given, kLongestGivenName), caller.process, caller.pid),
                      Printable(reason, kLongestReason), std::chrono::system_clock::now());
    if (cookie == 0)
        return sd_bus_reply_method_errorf(message, SD_BUS_ERROR_LIMITS_EXCEEDED,
                                          "%s holds as many inhibitions as it may", caller.name.c_str());
    return sd_bus_reply_method_return(message, "u", cookie);
}

int ScreenSaverService::UnInhibit(sd_bus_message* message) {
    std::uint32_t cookie = 0;
    if (const int read = sd_bus_message_read(message, "u", &cookie); read < 0) return read;
    const char* sender = sd_bus_message_get_sender(message);
    if (!sender || !book_.UnInhibit(sender, cookie))
        return sd_bus_reply_method_errorf(message, SD_BUS_ERROR_INVALID_ARGS, "no inhibition of yours has cookie %u",
                                          cookie);
    ForgetIfIdle(sender);
    return sd_bus_reply_method_return(message, "");
}

int ScreenSaverService::SimulateUserActivity(sd_bus_message* message) {
    ++activity_;
    return sd_bus_reply_method_return(message, "");
}

int ScreenSaverService::GetActive(sd_bus_message* message) {
    return sd_bus_reply_method_return(message, "b", static_cast<int>(active_));
}

int ScreenSaverService::GetActiveTime(sd_bus_message* message) {
    const auto seconds =
        active_ ? std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - activeSince_)
                : std::chrono::seconds(0);
    return sd_bus_reply_method_return(message, "u", static_cast<std::uint32_t>(seconds.count()));
}

void ScreenSaverService::ForgetIfIdle(const std::string& name) {
    const auto caller = callers_.find(name);
    if (caller != callers_.end() && caller->second->waiting.empty() && !book_.Holds(name)) callers_.erase(caller);
}

int ScreenSaverService::OnCallerLeft(sd_bus_message*, void* data, sd_bus_error*) noexcept {
    auto* caller = static_cast<Caller*>(data);
    ScreenSaverService* service = caller->service;
    // Its waiting calls go unanswered: there is nobody to answer.
    service->book_.Forget(caller->name);
    service->callers_.erase(caller->name);
    return 0;
}

int ScreenSaverService::OnCallerProcess(sd_bus_message* message, void* data, sd_bus_error*) noexcept {
    auto* caller = static_cast<Caller*>(data);
    ScreenSaverService* service = caller->service;
    if (sd_bus_message_is_method_error(message, SD_BUS_ERROR_NAME_HAS_NO_OWNER))
        return OnCallerLeft(message, data, nullptr);
    try {
        std::uint32_t pid = 0;
        if (!sd_bus_message_is_method_error(message, nullptr) && sd_bus_message_read(message, "u", &pid) > 0) {
            caller->pid = static_cast<pid_t>(pid);
            caller->process = ProcessName(caller->pid);
        }
        caller->known = true;
        for (auto& waiting : caller->waiting) {
            sd_bus_message_rewind(waiting.get(), 1);
            service->Grant(*caller, waiting.get());
        }
        caller->waiting.clear();
    } catch (...) {
        caller->waiting.clear();
    }
    service->ForgetIfIdle(caller->name);
    return 0;
}

} // namespace

std::unique_ptr<BusWatch> OpenScreenSaverService(BusConnection& bus, std::string& whyNot) {
    if (bus.HasOwner(kName)) {
        whyNot = std::string("the desktop serves ") + kName;
        return nullptr;
    }
    auto service = std::make_unique<ScreenSaverService>(bus);
    if (!service->Start(whyNot)) return nullptr;
    return service;
}

} // namespace linesaver::idle
