// The saver in a web page. The page owns the event loop: it hands its
// input and its clock's wake-ups to this platform, which delivers them to
// the saver through the desktops' shared event handling (the timers on the
// page's clock, the handlers, leaving on an error, drawing on the canvas)
// and sends the tiles that changed to the page's canvas. Its files and
// player are the page's tracks and synthesizer (web_drive.h); without
// tracks it runs silent.
//
// Leaving ends no process here. End stops the timers and the music, shows
// the pointer again and unwinds the call from the page at once
// (emscripten's unwinding to the event loop, which runs no destructor);
// the page restores the stack, releases this platform and the saver, and
// shows its start state again. Nothing that owns memory may therefore
// live on the stack between an entry from the page and a handler of the
// saver.
#pragma once

#include "platform/event_loop/event_desktop.h"
#include "platform/web/web_canvas.h"

#include <cstdint>
#include <optional>
#include <string>

namespace linesaver {

// Where a saver draws: the page's canvas `view`, widthPx x heightPx device
// pixels, showing a screen of screenWidth x screenHeight logical pixels
// with lines penPx device pixels wide.
struct WebScreen {
    int view = 0;
    int widthPx = 0;
    int heightPx = 0;
    double screenWidth = 0;
    double screenHeight = 0;
    double penPx = 1;
};

class WebPlatform final : public EventDesktop {
public:
    // With a fixed seed the clock's seed is that number every time, so the
    // animation is the same on every run. tracks: the music folder's names,
    // one a line ("" for none: no music).
    WebPlatform(const WebScreen& screen, std::optional<std::uint64_t> fixedSeed, const std::string& tracks);

    bool Ok() const { return canvas_.Ok(); }
    // The saver from now on: it starts, and its first frame tick comes
    // after 10 ms. The page then hands over its events one by one.
    using EventDesktop::Begin;

    // The page's input; the pointer in CSS pixels of the page.
    void PointerMoved(double xCss, double yCss);
    void Clicked();
    void KeyPressed();
    void CloseRequested();
    // Runs the timers that are due and shows what changed. Returns how
    // many milliseconds the page may wait before calling again, -1 when no
    // timer runs.
    int RunClock();
    // `ticks` frame ticks at once, without the clock, each shown.
    void RunTicks(long ticks);

    bool AnotherInstanceRunning() override { return false; }
    std::uint64_t ClockSeed() override;
    // A page cannot handle its events from inside a handler: they wait
    // for the handler to return.
    void YieldToEvents() override {}
    void ShowCursor(bool show) override;

protected:
    WindowSurface Surface() override;
    void ReadEvents() override {}
    void EndProcess(int status) override;

private:
    WebScreen screen_;
    std::optional<std::uint64_t> fixedSeed_;
    WebCanvas canvas_;
    int cursorLevel_ = 0;
};

} // namespace linesaver
