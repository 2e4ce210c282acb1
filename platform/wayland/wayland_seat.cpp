#include "platform/wayland/wayland_seat.h"

#include <unistd.h>

namespace linesaver {

// Every event of every version bound has a handler: libwayland calls what
// the listener holds, and an empty slot would crash the saver on the first
// event of a device that sends it (a touch screen's shape, a wheel's
// discrete steps).
struct SeatListeners {
    static WaylandSeat& Of(void* data) { return *static_cast<WaylandSeat*>(data); }

    static void Capabilities(void* data, wl_seat*, std::uint32_t capabilities) noexcept {
        Of(data).Follow(capabilities);
    }
    static void Name(void*, wl_seat*, const char*) noexcept {}

    static void Enter(void* data, wl_pointer* pointer, std::uint32_t serial, wl_surface* surface, wl_fixed_t,
                      wl_fixed_t) noexcept {
        // Where the pointer comes in is not a move: a compositor may place it
        // anywhere on a window that appears under a resting pointer.
        WaylandSeat& seat = Of(data);
        seat.pointerOver_ = surface;
        seat.entered_ = serial;
        if (seat.sink_.CursorHidden()) wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
    }
    static void Leave(void* data, wl_pointer*, std::uint32_t, wl_surface*) noexcept { Of(data).pointerOver_ = nullptr; }
    static void Motion(void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) noexcept {
        WaylandSeat& seat = Of(data);
        if (seat.pointerOver_) seat.sink_.PointerMoved(seat.pointerOver_, wl_fixed_to_double(x), wl_fixed_to_double(y));
    }
    static void Button(void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t,
                       std::uint32_t state) noexcept {
        if (state == WL_POINTER_BUTTON_STATE_PRESSED) Of(data).sink_.Clicked();
    }
    static void Axis(void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) noexcept {}
    static void Frame(void*, wl_pointer*) noexcept {}
    static void AxisSource(void*, wl_pointer*, std::uint32_t) noexcept {}
    static void AxisStop(void*, wl_pointer*, std::uint32_t, std::uint32_t) noexcept {}
    static void AxisDiscrete(void*, wl_pointer*, std::uint32_t, std::int32_t) noexcept {}
    static void AxisValue120(void*, wl_pointer*, std::uint32_t, std::int32_t) noexcept {}

    static void Keymap(void*, wl_keyboard*, std::uint32_t, std::int32_t fd, std::uint32_t) noexcept { close(fd); }
    static void KeyboardEnter(void* data, wl_keyboard*, std::uint32_t, wl_surface*, wl_array* keys) noexcept {
        // A keyboard that joins the seat while the saver shows (an on-screen
        // or remote one, wtype) may bring its first key in with it: the
        // focus comes, or comes again, with that key already down. Keys down
        // when a keyboard the seat had all along first brings the focus were
        // pressed before the saver showed.
        WaylandSeat& seat = Of(data);
        if ((seat.focused_ || seat.keyboardJoined_) && keys && keys->size > 0) seat.sink_.KeyPressed();
        seat.focused_ = true;
    }
    static void KeyboardLeave(void*, wl_keyboard*, std::uint32_t, wl_surface*) noexcept {}
    static void Key(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t,
                    std::uint32_t state) noexcept {
        if (state == WL_KEYBOARD_KEY_STATE_PRESSED) Of(data).sink_.KeyPressed();
    }
    static void Modifiers(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                          std::uint32_t) noexcept {}
    static void RepeatInfo(void*, wl_keyboard*, std::int32_t, std::int32_t) noexcept {}

    static void Down(void* data, wl_touch*, std::uint32_t, std::uint32_t, wl_surface*, std::int32_t, wl_fixed_t,
                     wl_fixed_t) noexcept {
        Of(data).sink_.Clicked();
    }
    static void Up(void*, wl_touch*, std::uint32_t, std::uint32_t, std::int32_t) noexcept {}
    static void TouchMotion(void*, wl_touch*, std::uint32_t, std::int32_t, wl_fixed_t, wl_fixed_t) noexcept {}
    static void TouchFrame(void*, wl_touch*) noexcept {}
    static void Cancel(void*, wl_touch*) noexcept {}
    static void Shape(void*, wl_touch*, std::int32_t, wl_fixed_t, wl_fixed_t) noexcept {}
    static void Orientation(void*, wl_touch*, std::int32_t, wl_fixed_t) noexcept {}

    static constexpr wl_seat_listener kSeat{Capabilities, Name};
    static constexpr wl_pointer_listener kPointer{Enter, Leave,      Motion,   Button,       Axis,
                                                  Frame, AxisSource, AxisStop, AxisDiscrete, AxisValue120};
    static constexpr wl_keyboard_listener kKeyboard{Keymap, KeyboardEnter, KeyboardLeave, Key, Modifiers, RepeatInfo};
    static constexpr wl_touch_listener kTouch{Down, Up, TouchMotion, TouchFrame, Cancel, Shape, Orientation};
};

WaylandSeat::WaylandSeat(wl_seat* seat, std::uint32_t globalName, InputSink& sink)
    : sink_(sink), globalName_(globalName), seat_(seat) {
    wl_seat_add_listener(seat, &SeatListeners::kSeat, this);
}

void WaylandSeat::HideCursor() {
    if (pointer_ && pointerOver_) wl_pointer_set_cursor(pointer_.get(), entered_, nullptr, 0, 0);
}

void WaylandSeat::Follow(std::uint32_t capabilities) {
    const bool pointer = capabilities & WL_SEAT_CAPABILITY_POINTER;
    const bool keyboard = capabilities & WL_SEAT_CAPABILITY_KEYBOARD;
    const bool touch = capabilities & WL_SEAT_CAPABILITY_TOUCH;
    if (pointer && !pointer_) {
        pointer_.reset(wl_seat_get_pointer(seat_.get()));
        wl_pointer_add_listener(pointer_.get(), &SeatListeners::kPointer, this);
    } else if (!pointer && pointer_) {
        pointer_.reset();
        pointerOver_ = nullptr;
    }
    if (keyboard && !keyboard_) {
        keyboardJoined_ = settled_;
        focused_ = false;
        keyboard_.reset(wl_seat_get_keyboard(seat_.get()));
        wl_keyboard_add_listener(keyboard_.get(), &SeatListeners::kKeyboard, this);
    } else if (!keyboard && keyboard_) {
        keyboard_.reset();
    }
    if (touch && !touch_) {
        touch_.reset(wl_seat_get_touch(seat_.get()));
        wl_touch_add_listener(touch_.get(), &SeatListeners::kTouch, this);
    } else if (!touch && touch_) {
        touch_.reset();
    }
}

} // namespace linesaver
