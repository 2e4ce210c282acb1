// One seat's input devices as the saver hears them: the pointer's moves over
// its windows (the cursor hidden there), its buttons, every key, and a
// touch. Keys are never read for what they mean, so no keymap is looked
// at: its file is closed unread, whatever keyboard it comes from (a
// virtual one that joins the seat while the saver runs included).
#pragma once

#include "platform/wayland/wayland_proxy.h"

#include <cstdint>

namespace linesaver {

// What the seats report, on the event loop's thread.
class InputSink {
public:
    // The pointer is at (x, y) logical pixels on that surface.
    virtual void PointerMoved(wl_surface* surface, double x, double y) = 0;
    // A button went down, or a finger on a touch screen.
    virtual void Clicked() = 0;
    virtual void KeyPressed() = 0;
    // Whether the cursor is to be hidden over the saver's windows.
    virtual bool CursorHidden() const = 0;

protected:
    ~InputSink() = default;
};

class WaylandSeat {
public:
    // Listens to the seat (bound at most at kVersion) from now on.
    WaylandSeat(wl_seat* seat, std::uint32_t globalName, InputSink& sink);
    static constexpr std::uint32_t kVersion = 5;

    std::uint32_t GlobalName() const { return globalName_; }
    // Hides the cursor over the surface the pointer is on.
    void HideCursor();
    // What the seat has from now on joins it while the saver runs.
    void Settle() { settled_ = true; }

private:
    // The devices the seat has now.
    void Follow(std::uint32_t capabilities);

    InputSink& sink_;
    std::uint32_t globalName_;
    Proxy<wl_seat> seat_;
    Proxy<wl_pointer> pointer_;
    Proxy<wl_keyboard> keyboard_;
    Proxy<wl_touch> touch_;
    wl_surface* pointerOver_ = nullptr; // the surface the pointer is over
    std::uint32_t entered_ = 0;         // the serial of its entry
    bool focused_ = false;              // the keyboard's focus has come once
    bool settled_ = false;              // see Settle
    bool keyboardJoined_ = false;       // the keyboard joined while the saver ran

    friend struct SeatListeners;
};

} // namespace linesaver
