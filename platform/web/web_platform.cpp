#include "platform/web/web_platform.h"

#include "platform/web/web_drive.h"

#include <emscripten.h>
#include <emscripten/eventloop.h>

#include <cstdio>
#include <memory>

namespace linesaver {
namespace {

// The page shows or hides the pointer over the canvas `view`.
// clang-format off
EM_JS(void, ShowPointer, (int view, bool show), {
    if (Module.linesaverShowPointer) Module.linesaverShowPointer(view, show);
});
// clang-format on

} // namespace

WebPlatform::WebPlatform(const WebScreen& screen, std::optional<std::uint64_t> fixedSeed, const std::string& tracks)
    : EventDesktop(std::string()), screen_(screen), fixedSeed_(fixedSeed),
      canvas_(screen.view, screen.widthPx, screen.heightPx,
              screen.screenWidth > 0 ? screen.widthPx / (screen.screenWidth * kTwipsPerPixel) : 1 / kTwipsPerPixel,
              screen.penPx) {
    auto files = std::make_unique<WebFiles>(tracks);
    auto player = std::make_unique<WebPlayer>(*files);
    OpenDrive(std::move(files), std::move(player));
}

std::uint64_t WebPlatform::ClockSeed() { return fixedSeed_ ? *fixedSeed_ : EventDesktop::ClockSeed(); }

EventDesktop::WindowSurface WebPlatform::Surface() {
    return {&canvas_.Pixels(), screen_.screenWidth, screen_.screenHeight};
}

void WebPlatform::PointerMoved(double xCss, double yCss) {
    Deliver([&] { saver_->MouseMoved(xCss * kTwipsPerPixel, yCss * kTwipsPerPixel); });
}

void WebPlatform::Clicked() {
    Deliver([this] { saver_->Clicked(); });
}

void WebPlatform::KeyPressed() {
    Deliver([this] { saver_->KeyPressed(); });
}

void WebPlatform::CloseRequested() {
    Deliver([this] { saver_->CloseRequested(); });
}

int WebPlatform::RunClock() {
    RunDueTimers();
    canvas_.Present();
    return Live() ? MillisecondsToWait() : -1;
}

void WebPlatform::RunTicks(long ticks) {
    // Each tick shown as the clock's ticks are, so that what goes wrong
    // only over many presentations shows here too.
    for (long n = 0; n < ticks && Live(); ++n) {
        Deliver([this] { saver_->FrameTick(); });
        canvas_.Present();
    }
}

void WebPlatform::ShowCursor(bool show) {
    cursorLevel_ += show ? 1 : -1;
    ShowPointer(screen_.view, cursorLevel_ >= 0);
}

// The page learns of the leaving from the unwinding; an error has been
// reported on the console already.
void WebPlatform::EndProcess(int /*status*/) {
    saver_ = nullptr; // nothing more is delivered
    CloseDrive();
    SetTimerInterval(TimerId::FrameTick, 0);
    SetTimerInterval(TimerId::MusicPoll, 0);
    if (cursorLevel_ < 0) {
        cursorLevel_ = 0;
        ShowPointer(screen_.view, true);
    }
    std::fflush(nullptr);
    emscripten_unwind_to_js_event_loop();
}

} // namespace linesaver
