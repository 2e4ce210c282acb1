#include "platform/wayland/wayland_display.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <poll.h>

namespace linesaver {

// The compositor's answers, each a C callback: nothing may throw across
// them, and every event of the versions bound has its handler.
struct DisplayListeners {
    static WaylandDisplay& Of(void* data) { return *static_cast<WaylandDisplay*>(data); }
    static WaylandOutput& OutputOf(void* data) { return *static_cast<WaylandOutput*>(data); }

    static void Global(void* data, wl_registry*, std::uint32_t name, const char* interface,
                       std::uint32_t version) noexcept {
        try {
            Of(data).Bind(name, interface, version);
        } catch (...) {
            // Out of memory: the global goes unused.
        }
    }
    static void GlobalRemoved(void* data, wl_registry*, std::uint32_t name) noexcept { Of(data).Remove(name); }

    static void Ping(void*, xdg_wm_base* shell, std::uint32_t serial) noexcept { xdg_wm_base_pong(shell, serial); }

    static void Geometry(void* data, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                         const char*, const char*, std::int32_t transform) noexcept {
        OutputOf(data).transform = transform;
    }
    static void Mode(void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height,
                     std::int32_t) noexcept {
        if (!(flags & WL_OUTPUT_MODE_CURRENT)) return;
        OutputOf(data).modeWidth = width;
        OutputOf(data).modeHeight = height;
    }
    static void Done(void*, wl_output*) noexcept {}
    static void Scale(void* data, wl_output*, std::int32_t factor) noexcept { OutputOf(data).scale = factor; }
    static void Name(void* data, wl_output*, const char* name) noexcept { Named(OutputOf(data), name); }
    static void Description(void*, wl_output*, const char*) noexcept {}

    static void Named(WaylandOutput& output, const char* name) noexcept {
        if (!output.name.empty() || !name) return;
        try {
            output.name = name;
        } catch (...) {
            // Out of memory: the output stays nameless.
        }
    }

    static void Position(void* data, zxdg_output_v1*, std::int32_t x, std::int32_t y) noexcept {
        OutputOf(data).x = x;
        OutputOf(data).y = y;
    }
    static void Size(void* data, zxdg_output_v1*, std::int32_t width, std::int32_t height) noexcept {
        OutputOf(data).logicalWidth = width;
        OutputOf(data).logicalHeight = height;
    }
    static void PlaceDone(void*, zxdg_output_v1*) noexcept {}
    static void PlaceName(void* data, zxdg_output_v1*, const char* name) noexcept { Named(OutputOf(data), name); }
    static void PlaceDescription(void*, zxdg_output_v1*, const char*) noexcept {}

    static void Primary(void* data, kde_primary_output_v1*, const char* name) noexcept { SetPrimary(Of(data), name); }
    static void Ordered(void* data, kde_output_order_v1*, const char* name) noexcept {
        // The first output of each list is the primary one.
        WaylandDisplay& display = Of(data);
        if (!display.orderListed_) SetPrimary(display, name);
        display.orderListed_ = true;
    }
    static void OrderDone(void* data, kde_output_order_v1*) noexcept { Of(data).orderListed_ = false; }

    static void SetPrimary(WaylandDisplay& display, const char* name) noexcept {
        try {
            display.kdePrimary_ = name ? name : "";
        } catch (...) {
            display.kdePrimary_.clear();
        }
    }

    static constexpr wl_registry_listener kRegistry{Global, GlobalRemoved};
    static constexpr xdg_wm_base_listener kShell{Ping};
    static constexpr wl_output_listener kOutput{Geometry, Mode, Done, Scale, Name, Description};
    static constexpr zxdg_output_v1_listener kPlace{Position, Size, PlaceDone, PlaceName, PlaceDescription};
    static constexpr kde_primary_output_v1_listener kPrimary{Primary};
    static constexpr kde_output_order_v1_listener kOrder{Ordered, OrderDone};
};

namespace {

// A global bound at the highest version both sides speak, at most `most`.
template <class T>
T* BindGlobal(wl_registry* registry, std::uint32_t name, const wl_interface& interface, std::uint32_t offered,
              std::uint32_t most) {
    return static_cast<T*>(wl_registry_bind(registry, name, &interface, std::min(offered, most)));
}

bool Is(const char* interface, const wl_interface& wanted) { return std::strcmp(interface, wanted.name) == 0; }

void OnSynced(void* done, wl_callback*, std::uint32_t) noexcept { *static_cast<bool*>(done) = true; }
const wl_callback_listener kSynced{OnSynced};

// Damage in buffer pixels came with version 4.
constexpr std::uint32_t kCompositorVersion = 4;

} // namespace

std::unique_ptr<WaylandDisplay> WaylandDisplay::Connect(std::chrono::steady_clock::time_point deadline,
                                                        InputSink& input, std::string& error) {
    const char* name = std::getenv("WAYLAND_DISPLAY");
    wl_display* connection = wl_display_connect(nullptr);
    if (!connection) {
        error = std::string("no Wayland compositor at ") + (name ? name : "wayland-0");
        return nullptr;
    }
    std::unique_ptr<WaylandDisplay> self(new WaylandDisplay(connection, input));
    self->registry_.reset(wl_display_get_registry(connection));
    wl_registry_add_listener(self->registry_.get(), &DisplayListeners::kRegistry, self.get());
    // The globals in one round trip, what the outputs say of themselves in
    // the next.
    for (int trip = 0; trip < 2; ++trip) {
        bool synced = false;
        Proxy<wl_callback> sync(wl_display_sync(connection));
        wl_callback_add_listener(sync.get(), &kSynced, &synced);
        if (!self->DispatchUntil([&synced] { return synced; }, deadline, error)) return nullptr;
    }
    // Seats and devices that come from now on join while the saver runs.
    for (auto& seat : self->seats_) seat->Settle();
    self->connected_ = true;
    if (!self->compositor_ || !self->shm_ || !self->shell_) {
        error = "the compositor lacks shared-memory pictures or full-screen windows";
        return nullptr;
    }
    if (self->outputs_.empty()) {
        error = "the compositor has no outputs";
        return nullptr;
    }
    return self;
}

WaylandDisplay::~WaylandDisplay() {
    // The saver's requests, the windows' last ones included, reach the
    // compositor before the connection closes.
    Flush();
}

void WaylandDisplay::Bind(std::uint32_t name, const char* interface, std::uint32_t version) {
    wl_registry* registry = registry_.get();
    if (Is(interface, wl_compositor_interface) && !compositor_ && version >= kCompositorVersion) {
        compositor_.reset(BindGlobal<wl_compositor>(registry, name, wl_compositor_interface, version, 4));
    } else if (Is(interface, wl_shm_interface) && !shm_) {
        shm_.reset(BindGlobal<wl_shm>(registry, name, wl_shm_interface, version, 1));
    } else if (Is(interface, xdg_wm_base_interface) && !shell_) {
        shell_.reset(BindGlobal<xdg_wm_base>(registry, name, xdg_wm_base_interface, version, 5));
        xdg_wm_base_add_listener(shell_.get(), &DisplayListeners::kShell, this);
    } else if (Is(interface, wp_viewporter_interface) && !viewporter_) {
        viewporter_.reset(BindGlobal<wp_viewporter>(registry, name, wp_viewporter_interface, version, 1));
    } else if (Is(interface, wp_fractional_scale_manager_v1_interface) && !fractionalScales_) {
        fractionalScales_.reset(BindGlobal<wp_fractional_scale_manager_v1>(
            registry, name, wp_fractional_scale_manager_v1_interface, version, 1));
    } else if (Is(interface, zxdg_output_manager_v1_interface) && !places_) {
        places_.reset(BindGlobal<zxdg_output_manager_v1>(registry, name, zxdg_output_manager_v1_interface, version, 3));
        for (auto& output : outputs_) Place(*output);
    } else if (Is(interface, kde_primary_output_v1_interface) && !kdePrimaryOutput_) {
        kdePrimaryOutput_.reset(
            BindGlobal<kde_primary_output_v1>(registry, name, kde_primary_output_v1_interface, version, 2));
        kde_primary_output_v1_add_listener(kdePrimaryOutput_.get(), &DisplayListeners::kPrimary, this);
    } else if (Is(interface, kde_output_order_v1_interface) && !kdeOutputOrder_) {
        kdeOutputOrder_.reset(
            BindGlobal<kde_output_order_v1>(registry, name, kde_output_order_v1_interface, version, 1));
        kde_output_order_v1_add_listener(kdeOutputOrder_.get(), &DisplayListeners::kOrder, this);
    } else if (Is(interface, wl_output_interface)) {
        AddOutput(name, version);
    } else if (Is(interface, wl_seat_interface)) {
        auto* seat = BindGlobal<wl_seat>(registry, name, wl_seat_interface, version, WaylandSeat::kVersion);
        seats_.push_back(std::make_unique<WaylandSeat>(seat, name, input_));
        if (connected_) seats_.back()->Settle();
    } else if (std::strcmp(interface, "gtk_shell1") == 0) {
        mutter_ = true;
    }
}

void WaylandDisplay::AddOutput(std::uint32_t name, std::uint32_t version) {
    auto output = std::make_unique<WaylandOutput>();
    output->globalName = name;
    output->handle.reset(BindGlobal<wl_output>(registry_.get(), name, wl_output_interface, version, 4));
    wl_output_add_listener(output->handle.get(), &DisplayListeners::kOutput, output.get());
    if (places_) Place(*output);
    outputs_.push_back(std::move(output));
}

void WaylandDisplay::Place(WaylandOutput& output) {
    if (output.place) return;
    output.place.reset(zxdg_output_manager_v1_get_xdg_output(places_.get(), output.handle.get()));
    zxdg_output_v1_add_listener(output.place.get(), &DisplayListeners::kPlace, &output);
}

void WaylandDisplay::Remove(std::uint32_t name) {
    // An output's object stays until the saver ends, for the windows that
    // named it; it only counts as gone.
    for (auto& output : outputs_)
        if (output->globalName == name) output->gone = true;
    std::erase_if(seats_, [name](const auto& seat) { return seat->GlobalName() == name; });
}

bool WaylandDisplay::DispatchUntil(const std::function<bool()>& done, std::chrono::steady_clock::time_point deadline,
                                   std::string& error) {
    wl_display* display = display_.get();
    while (!done()) {
        if (wl_display_prepare_read(display) != 0) {
            if (wl_display_dispatch_pending(display) < 0) {
                error = Failure();
                return false;
            }
            continue;
        }
        const bool sent = Flush();
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd socket{Fd(), static_cast<short>(sent ? POLLIN : POLLIN | POLLOUT), 0};
        const int ready = left.count() > 0 ? poll(&socket, 1, static_cast<int>(left.count())) : 0;
        const int pollError = errno;
        if (ready > 0 && (socket.revents & (POLLIN | POLLERR | POLLHUP))) {
            if (wl_display_read_events(display) < 0 || wl_display_dispatch_pending(display) < 0) {
                error = Failure();
                return false;
            }
            continue;
        }
        wl_display_cancel_read(display);
        // Room to send more, or a signal: on to the next look.
        if (ready > 0 || (ready < 0 && pollError == EINTR)) continue;
        error = "the compositor does not answer";
        return false;
    }
    return true;
}

bool WaylandDisplay::Flush() {
    errno = 0;
    return wl_display_flush(display_.get()) >= 0;
}

bool WaylandDisplay::ReadAndDispatch() {
    wl_display* display = display_.get();
    // What an earlier read left goes first; reading never waits.
    while (wl_display_prepare_read(display) != 0)
        if (wl_display_dispatch_pending(display) < 0) return false;
    if (wl_display_read_events(display) < 0) return false;
    return wl_display_dispatch_pending(display) >= 0;
}

std::string WaylandDisplay::Failure() const {
    const int error = wl_display_get_error(display_.get());
    if (error != EPROTO) return "the display has gone";
    const wl_interface* interface = nullptr;
    const std::uint32_t code = wl_display_get_protocol_error(display_.get(), &interface, nullptr);
    return "the compositor refused a request (error " + std::to_string(code) + " on " +
           (interface ? interface->name : "an object") + ")";
}

} // namespace linesaver
