// Full screen as X11 window managers understand it. A borderless window of
// the display's size is not enough for every one of them: mutter (GNOME)
// places it below its top bar, inside the work area, so that the bar stays
// visible and the bottom rows fall off the screen. A window that carries
// _NET_WM_STATE_FULLSCREEN when it is mapped is given its whole monitor,
// above every panel. Without a window manager nothing reads the state, and
// the window keeps the place it was made at.
#pragma once

struct SDL_Window;

namespace linesaver {

// Adds the full-screen state to a window SDL made on X11 and has not yet
// shown; nothing on other video drivers.
void AskX11FullScreen(SDL_Window* window);

} // namespace linesaver
