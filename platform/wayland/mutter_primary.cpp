#include "platform/wayland/mutter_primary.h"

#include <cstdint>
#include <memory>
#include <systemd/sd-bus.h>

namespace linesaver {
namespace {

struct BusCloser {
    void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
struct MessageUnref {
    void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using Message = std::unique_ptr<sd_bus_message, MessageUnref>;

// The reply's logical monitors: (x, y, scale, transform, primary,
// monitors (connector, vendor, product, serial), properties). The first
// monitor of the primary one names it.
std::string PrimaryOf(sd_bus_message* reply) {
    if (sd_bus_message_skip(reply, "ua((ssss)a(siiddada{sv})a{sv})") < 0 ||
        sd_bus_message_enter_container(reply, 'a', "(iiduba(ssss)a{sv})") <= 0)
        return {};
    std::string primary;
    while (primary.empty() && sd_bus_message_enter_container(reply, 'r', "iiduba(ssss)a{sv}") > 0) {
        int isPrimary = 0;
        if (sd_bus_message_skip(reply, "iidu") < 0 || sd_bus_message_read(reply, "b", &isPrimary) < 0 ||
            sd_bus_message_enter_container(reply, 'a', "(ssss)") <= 0)
            return {};
        const char* connector = nullptr;
        const char* vendor = nullptr;
        const char* product = nullptr;
        const char* serial = nullptr;
        for (int first = 1; sd_bus_message_read(reply, "(ssss)", &connector, &vendor, &product, &serial) > 0; first = 0)
            if (first && isPrimary && connector) primary = connector;
        if (sd_bus_message_exit_container(reply) < 0 || sd_bus_message_skip(reply, "a{sv}") < 0 ||
            sd_bus_message_exit_container(reply) < 0)
            return {};
    }
    return primary;
}

} // namespace

std::string MutterPrimaryConnector(std::chrono::milliseconds limit) {
    sd_bus* opened = nullptr;
    // The session's own bus, by its address or in the runtime folder; none
    // is launched.
    if (sd_bus_open_user(&opened) < 0) return {};
    const std::unique_ptr<sd_bus, BusCloser> bus(opened);
    sd_bus_message* made = nullptr;
    if (sd_bus_message_new_method_call(bus.get(), &made, "org.gnome.Mutter.DisplayConfig",
                                       "/org/gnome/Mutter/DisplayConfig", "org.gnome.Mutter.DisplayConfig",
                                       "GetCurrentState") < 0)
        return {};
    const Message call(made);
    sd_bus_message* answered = nullptr;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    const auto usec = std::chrono::duration_cast<std::chrono::microseconds>(limit).count();
    const int result = sd_bus_call(bus.get(), call.get(), static_cast<std::uint64_t>(usec), &error, &answered);
    sd_bus_error_free(&error);
    if (result < 0) return {};
    const Message reply(answered);
    return PrimaryOf(reply.get());
}

} // namespace linesaver
