#include "platform/idle_dbus/logind.h"

#include "platform/idle/program_name.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <systemd/sd-bus.h>
#include <tuple>
#include <vector>

namespace linesaver::idle {
namespace {

constexpr const char* kService = "org.freedesktop.login1";
constexpr const char* kManagerPath = "/org/freedesktop/login1";
constexpr const char* kManager = "org.freedesktop.login1.Manager";
constexpr const char* kSession = "org.freedesktop.login1.Session";
constexpr const char* kProperties = "org.freedesktop.DBus.Properties";
constexpr const char* kInhibitor = "logind's idle inhibitor";

// Whether a list of what logind blocks, "sleep:idle", names idle.
bool NamesIdle(std::string_view what) {
    for (std::size_t at = 0; at <= what.size();) {
        const auto end = std::min(what.find(':', at), what.size());
        if (what.substr(at, end - at) == "idle") return true;
        at = end + 1;
    }
    return false;
}

class Logind final : public BusWatch {
public:
    explicit Logind(BusConnection& bus) : bus_(bus) {}

    bool Start(std::string& whyNot);

    std::string Describe() const override { return "logind's idle inhibitors and lock"; }
    void Report(HoldState& state) const override {
        if (blocked_) {
            for (const auto& [key, inhibition] : inhibitors_) state.inhibitions.push_back(inhibition);
            if (inhibitors_.empty()) state.inhibitions.push_back(unnamed_);
        }
        if (lock_.Locked()) state.locks.emplace_back("logind");
    }
    void Seen(const WatchView& view) override {
        // A lock ended by the user's return is reported at the next read:
        // a round trip to the bus makes one.
        sd_bus_slot* slot = nullptr;
        if (!view.idleSince && lock_.SeenInUse() &&
            sd_bus_call_method_async(bus_.get(), &slot, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                     "org.freedesktop.DBus", "GetId", nullptr, nullptr, "") >= 0)
            wakeSlot_.reset(slot);
    }

private:
    // An inhibitor as logind lists it: who, why, uid, pid.
    using Key = std::tuple<std::string, std::string, std::uint32_t, std::uint32_t>;

    static int OnManagerChanged(sd_bus_message* message, void* self, sd_bus_error*) noexcept;
    static int OnSessionChanged(sd_bus_message* message, void* self, sd_bus_error*) noexcept;
    static int OnLock(sd_bus_message*, void* self, sd_bus_error*) noexcept {
        static_cast<Logind*>(self)->lock_.Lock();
        return 0;
    }
    static int OnUnlock(sd_bus_message*, void* self, sd_bus_error*) noexcept {
        static_cast<Logind*>(self)->lock_.Unlock();
        return 0;
    }
    static int OnInhibitors(sd_bus_message* message, void* self, sd_bus_error*) noexcept;

    bool Match(const char* path, const char* interface, const char* member, sd_bus_message_handler_t handler);
    void AskInhibitors();
    void TakeInhibitors(sd_bus_message* list);

    BusConnection& bus_;
    std::vector<BusSlot> matches_;
    BusSlot askSlot_;
    BusSlot wakeSlot_;
    std::string sessionPath_;
    // Whether BlockInhibited names idle, as of the last list of inhibitors.
    bool blocked_ = false;
    bool blockedNext_ = false;
    std::map<Key, Inhibition> inhibitors_;
    // For a block logind does not list.
    Inhibition unnamed_{kInhibitor, "", "", {}};
    LogindLock lock_;
};

bool Logind::Match(const char* path, const char* interface, const char* member, sd_bus_message_handler_t handler) {
    sd_bus_slot* slot = nullptr;
    if (sd_bus_match_signal(bus_.get(), &slot, kService, path, interface, member, handler, this) < 0) return false;
    matches_.emplace_back(slot);
    return true;
}

bool Logind::Start(std::string& whyNot) {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    char* blocked = nullptr;
    if (!Match(kManagerPath, kProperties, "PropertiesChanged", &OnManagerChanged) ||
        sd_bus_get_property_string(bus_.get(), kService, kManagerPath, kManager, "BlockInhibited", &error, &blocked) <
            0) {
        whyNot = std::string("logind does not answer (") + (error.message ? error.message : "no reply") + ")";
        sd_bus_error_free(&error);
        return false;
    }
    blockedNext_ = NamesIdle(blocked);
    std::free(blocked);
    // Known before the watcher first looks, as the rest is.
    sd_bus_message* reply = nullptr;
    const bool listed =
        sd_bus_call_method(bus_.get(), kService, kManagerPath, kManager, "ListInhibitors", nullptr, &reply, "") >= 0;
    TakeInhibitors(listed ? reply : nullptr);
    sd_bus_message_unref(reply);
    reply = nullptr;
    // The session: the one named by the login, else the caller's own.
    const char* id = std::getenv("XDG_SESSION_ID");
    const char* path = nullptr;
    if (sd_bus_call_method(bus_.get(), kService, kManagerPath, kManager, "GetSession", &error, &reply, "s",
                           id && *id ? id : "auto") >= 0 &&
        sd_bus_message_read(reply, "o", &path) > 0)
        sessionPath_ = path;
    sd_bus_message_unref(reply);
    sd_bus_error_free(&error);
    if (sessionPath_.empty()) return true;
    int hint = 0;
    if (Match(sessionPath_.c_str(), kSession, "Lock", &OnLock) &&
        Match(sessionPath_.c_str(), kSession, "Unlock", &OnUnlock) &&
        Match(sessionPath_.c_str(), kProperties, "PropertiesChanged", &OnSessionChanged) &&
        sd_bus_get_property_trivial(bus_.get(), kService, sessionPath_.c_str(), kSession, "LockedHint", nullptr, 'b',
                                    &hint) >= 0)
        lock_.Hint(hint != 0);
    return true;
}

void Logind::AskInhibitors() {
    sd_bus_slot* slot = nullptr;
    if (sd_bus_call_method_async(bus_.get(), &slot, kService, kManagerPath, kManager, "ListInhibitors", &OnInhibitors,
                                 this, "") >= 0)
        askSlot_.reset(slot);
}

void Logind::TakeInhibitors(sd_bus_message* list) {
    const auto now = std::chrono::system_clock::now();
    std::map<Key, Inhibition> inhibitors;
    if (list && sd_bus_message_enter_container(list, 'a', "(ssssuu)") > 0) {
        const char *what, *who, *why, *mode;
        std::uint32_t uid = 0, pid = 0;
        while (sd_bus_message_read(list, "(ssssuu)", &what, &who, &why, &mode, &uid, &pid) > 0) {
            if (!NamesIdle(what) || std::strcmp(mode, "block") != 0) continue;
            Key key{who, why, uid, pid};
            const auto known = inhibitors_.find(key);
            inhibitors[key] = known != inhibitors_.end()
                                  ? known->second
                                  : Inhibition{kInhibitor,
                                               ProgramName(Printable(who, 64), ProcessName(static_cast<pid_t>(pid)),
                                                           static_cast<pid_t>(pid)),
                                               Printable(why, 200), now};
        }
    }
    if (blockedNext_ && !blocked_) unnamed_.since = now;
    blocked_ = blockedNext_;
    inhibitors_ = std::move(inhibitors);
}

int Logind::OnInhibitors(sd_bus_message* message, void* self, sd_bus_error*) noexcept {
    try {
        static_cast<Logind*>(self)->TakeInhibitors(sd_bus_message_is_method_error(message, nullptr) ? nullptr
                                                                                                    : message);
    } catch (...) {}
    return 0;
}

// PropertiesChanged(interface, changed, invalidated): the value of one
// property of the interface, when it is among those changed.
template <class Take>
void ReadChanged(sd_bus_message* message, const char* interface, const char* property, char type, Take take) {
    const char* changedInterface = nullptr;
    if (sd_bus_message_read(message, "s", &changedInterface) < 0 || std::strcmp(changedInterface, interface) != 0 ||
        sd_bus_message_enter_container(message, 'a', "{sv}") <= 0)
        return;
    while (sd_bus_message_enter_container(message, 'e', "sv") > 0) {
        const char* name = nullptr;
        if (sd_bus_message_read(message, "s", &name) < 0) return;
        const char contents[2] = {type, '\0'};
        if (std::strcmp(name, property) == 0 && sd_bus_message_enter_container(message, 'v', contents) > 0) {
            take(message);
            return;
        }
        if (sd_bus_message_skip(message, "v") < 0 || sd_bus_message_exit_container(message) < 0) return;
    }
}

int Logind::OnManagerChanged(sd_bus_message* message, void* data, sd_bus_error*) noexcept {
    auto* self = static_cast<Logind*>(data);
    ReadChanged(message, kManager, "BlockInhibited", 's', [&](sd_bus_message* value) {
        const char* blocked = nullptr;
        if (sd_bus_message_read(value, "s", &blocked) < 0) return;
        self->blockedNext_ = NamesIdle(blocked);
        // Who blocks comes with the list; the block counts from then.
        self->AskInhibitors();
    });
    return 0;
}

int Logind::OnSessionChanged(sd_bus_message* message, void* data, sd_bus_error*) noexcept {
    auto* self = static_cast<Logind*>(data);
    ReadChanged(message, kSession, "LockedHint", 'b', [&](sd_bus_message* value) {
        int hint = 0;
        if (sd_bus_message_read(value, "b", &hint) >= 0) self->lock_.Hint(hint != 0);
    });
    return 0;
}

} // namespace

std::unique_ptr<BusWatch> OpenLogind(BusConnection& bus, std::string& whyNot) {
    if (!bus.HasOwner(kService)) {
        whyNot = std::string("no ") + kService + " on the system bus";
        return nullptr;
    }
    auto watch = std::make_unique<Logind>(bus);
    if (!watch->Start(whyNot)) return nullptr;
    return watch;
}

} // namespace linesaver::idle
