// The saver's connection to a Wayland compositor: the globals it draws
// and takes input through, every output with what the compositor says of
// it, and every seat. Outputs and seats that go while the saver runs are
// marked or dropped; outputs that come are not followed.
#pragma once

#include "platform/wayland/wayland_proxy.h"
#include "platform/wayland/wayland_seat.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace linesaver {

// One output as the compositor describes it. Values are as sent, bad ones
// included.
struct WaylandOutput {
    std::uint32_t globalName = 0;
    Proxy<wl_output> handle;
    Proxy<zxdg_output_v1> place; // where it lies among the others
    std::string name;            // "HEADLESS-1", "Virtual-1"
    int scale = 1;
    int modeWidth = 0; // device pixels, before the output's transform
    int modeHeight = 0;
    int transform = 0; // wl_output.transform: odd ones turn it a quarter
    int x = 0;         // where it lies, logical pixels
    int y = 0;
    int logicalWidth = 0;
    int logicalHeight = 0;
    bool gone = false; // the compositor has taken it away

    // The device pixels as a window on it sees them.
    int ViewWidth() const { return transform % 2 ? modeHeight : modeWidth; }
    int ViewHeight() const { return transform % 2 ? modeWidth : modeHeight; }
};

class WaylandDisplay {
public:
    // Connects to the compositor WAYLAND_DISPLAY names and learns its
    // globals and outputs by the deadline; nothing, with error, when there
    // is none, it does not answer in time, or it lacks what the saver
    // needs. The seats report to input from then on.
    static std::unique_ptr<WaylandDisplay> Connect(std::chrono::steady_clock::time_point deadline, InputSink& input,
                                                   std::string& error);
    ~WaylandDisplay();
    WaylandDisplay(const WaylandDisplay&) = delete;
    WaylandDisplay& operator=(const WaylandDisplay&) = delete;

    wl_display* Handle() const { return display_.get(); }
    int Fd() const { return wl_display_get_fd(display_.get()); }
    wl_compositor* Compositor() const { return compositor_.get(); }
    wl_shm* Shm() const { return shm_.get(); }
    xdg_wm_base* Shell() const { return shell_.get(); }
    wp_viewporter* Viewporter() const { return viewporter_.get(); }
    wp_fractional_scale_manager_v1* FractionalScales() const { return fractionalScales_.get(); }
    // In the order the compositor announced them.
    const std::vector<std::unique_ptr<WaylandOutput>>& Outputs() const { return outputs_; }
    // The output KDE Plasma calls primary (by name), "" when it says none.
    const std::string& KdePrimary() const { return kdePrimary_; }
    // Whether the compositor is mutter (it alone offers gtk_shell1).
    bool Mutter() const { return mutter_; }

    // Hides the cursor over whichever of the saver's windows a pointer is.
    void HideCursors() {
        for (auto& seat : seats_) seat->HideCursor();
    }

    // Runs what comes until done() holds, waiting at most until the
    // deadline. False, with error, when the time is up or the connection
    // fails.
    bool DispatchUntil(const std::function<bool()>& done, std::chrono::steady_clock::time_point deadline,
                       std::string& error);
    // Sends what is queued; false while some of it waits for room.
    bool Flush();
    // Reads what the socket holds, without waiting, and runs it; false
    // when the connection has failed.
    bool ReadAndDispatch();
    // Why the connection failed, in a few words.
    std::string Failure() const;

private:
    struct Disconnect {
        void operator()(wl_display* display) const { wl_display_disconnect(display); }
    };
    explicit WaylandDisplay(wl_display* display, InputSink& input) : display_(display), input_(input) {}
    void Bind(std::uint32_t name, const char* interface, std::uint32_t version);
    void AddOutput(std::uint32_t name, std::uint32_t version);
    void Place(WaylandOutput& output);
    void Remove(std::uint32_t name);

    // Declared so that the connection goes last.
    std::unique_ptr<wl_display, Disconnect> display_;
    InputSink& input_;
    Proxy<wl_registry> registry_;
    Proxy<wl_compositor> compositor_;
    Proxy<wl_shm> shm_;
    Proxy<xdg_wm_base> shell_;
    Proxy<wp_viewporter> viewporter_;
    Proxy<wp_fractional_scale_manager_v1> fractionalScales_;
    Proxy<zxdg_output_manager_v1> places_;
    Proxy<kde_primary_output_v1> kdePrimaryOutput_;
    Proxy<kde_output_order_v1> kdeOutputOrder_;
    bool mutter_ = false;
    bool connected_ = false;   // Connect has learnt all there was
    bool orderListed_ = false; // the next output order event starts a new list
    std::string kdePrimary_;
    std::vector<std::unique_ptr<WaylandOutput>> outputs_;
    std::vector<std::unique_ptr<WaylandSeat>> seats_;

    friend struct DisplayListeners;
};

} // namespace linesaver
