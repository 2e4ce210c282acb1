// The displays besides the primary one: each gets a borderless black window
// that covers it, stays above other windows and ends the saver on the same
// input as the animated window. The windows are filled once and again only
// when exposed; the frames never touch them.
//
// Displays that come or go while the saver runs are not followed.
#pragma once

#include "platform/raster/dirty_tiles.h"

#include <cstdint>
#include <memory>
#include <vector>

struct SDL_Window;

namespace linesaver {

// The displays that get a black window, in the order given: every one but
// the primary, except one that shows part of the primary (a mirrored
// display) or of a display already taken, which a window would cover.
std::vector<PixelRect> DisplaysToCover(const PixelRect& primary, const std::vector<PixelRect>& others);

// How far a window's origin lies from the primary display's, in logical
// pixels: added to a position on that window, it gives the position on the
// animated window.
struct WindowOffset {
    int x = 0;
    int y = 0;
    friend bool operator==(const WindowOffset&, const WindowOffset&) = default;
};

class SdlBlankWindows {
public:
    SdlBlankWindows() = default; // none
    // One hidden black window, made with flags, over each display to
    // cover besides the primary one at primary. SDL's video must be up. A
    // display whose window cannot be made is left uncovered.
    static SdlBlankWindows Open(const PixelRect& primary, std::uint32_t flags);

    void Show();
    // Takes the windows off the screen.
    void Close();
    // When windowId is one of these windows: brings its black to the screen
    // again and returns true.
    bool Repaint(std::uint32_t windowId);
    // The window's offset; zero for a window that is not one of these.
    WindowOffset OffsetOf(std::uint32_t windowId) const;

private:
    struct WindowDeleter {
        void operator()(SDL_Window* w) const;
    };
    struct Blank {
        std::unique_ptr<SDL_Window, WindowDeleter> window;
        std::uint32_t id = 0;
        WindowOffset offset;
    };

    std::vector<Blank> blanks_;
};

} // namespace linesaver
