#include "platform/sdl/sdl_blank_windows.h"

#include "platform/sdl/x11_full_screen.h"

#include <SDL.h>

namespace linesaver {
namespace {

bool Overlap(const PixelRect& a, const PixelRect& b) {
    return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

// Fills the window's image black; false when it has none.
bool FillBlack(SDL_Window* window) {
    SDL_Surface* image = SDL_GetWindowSurface(window);
    return image && SDL_FillRect(image, nullptr, SDL_MapRGB(image->format, 0, 0, 0)) == 0;
}

} // namespace

std::vector<PixelRect> DisplaysToCover(const PixelRect& primary, const std::vector<PixelRect>& others) {
    std::vector<PixelRect> cover;
    for (const PixelRect& d : others) {
        if (d.w <= 0 || d.h <= 0 || Overlap(d, primary)) continue;
        bool taken = false;
        for (const PixelRect& c : cover) taken = taken || Overlap(d, c);
        if (!taken) cover.push_back(d);
    }
    return cover;
}

void SdlBlankWindows::WindowDeleter::operator()(SDL_Window* w) const { SDL_DestroyWindow(w); }

SdlBlankWindows SdlBlankWindows::Open(const PixelRect& primary, std::uint32_t flags) {
    std::vector<PixelRect> others;
    for (int i = 1; i < SDL_GetNumVideoDisplays(); ++i) {
        SDL_Rect b{};
        if (SDL_GetDisplayBounds(i, &b) == 0) others.push_back({b.x, b.y, b.w, b.h});
    }
    SdlBlankWindows self;
    for (const PixelRect& d : DisplaysToCover(primary, others)) {
        // Its image is taken while it is hidden, as the animated window's.
        std::unique_ptr<SDL_Window, WindowDeleter> window(SDL_CreateWindow("", d.x, d.y, d.w, d.h, flags));
        if (!window) continue;
        AskX11FullScreen(window.get());
        if (!FillBlack(window.get())) continue;
        const std::uint32_t id = SDL_GetWindowID(window.get());
        self.blanks_.push_back({std::move(window), id, {d.x - primary.x, d.y - primary.y}});
    }
    return self;
}

void SdlBlankWindows::Show() {
    for (const Blank& b : blanks_) SDL_ShowWindow(b.window.get());
}

void SdlBlankWindows::Close() { blanks_.clear(); }

bool SdlBlankWindows::Repaint(std::uint32_t windowId) {
    for (const Blank& b : blanks_) {
        if (b.id != windowId) continue;
        // A resized window has a new image whose pixels are undefined.
        if (FillBlack(b.window.get())) SDL_UpdateWindowSurface(b.window.get());
        return true;
    }
    return false;
}

WindowOffset SdlBlankWindows::OffsetOf(std::uint32_t windowId) const {
    for (const Blank& b : blanks_)
        if (b.id == windowId) return b.offset;
    return {};
}

} // namespace linesaver
