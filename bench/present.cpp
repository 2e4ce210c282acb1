// linesaver-bench-present: what presenting costs the X server. The saver's
// animation, from a fixed seed, drawn and presented tick after tick as fast
// as the server takes it, on a window covering the screen of $DISPLAY.
// The same seed always sends the same rectangles, so two builds (or two
// ways of presenting) compare exactly; the caller reads the server's CPU
// time around the run.
//
//   linesaver-bench-present [--ticks N] [--seed S]
//
// Prints one line of JSON: ticks, rectangles and pixels sent per tick, and
// this process's CPU time per tick (µs).
#include "platform/headless/headless_platform.h"
#include "platform/raster/dirty_tiles.h"
#include "platform/raster/pixel_canvas.h"
#include "platform/x11image/window_connection.h"
#include "platform/xcb/xcb_reply.h"
#include "shell/saver.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <sys/resource.h>
#include <xcb/xcb.h>

namespace {

using namespace linesaver;

constexpr double kTwips = 15;

// Draws on the window's picture, once the server has read the last one.
class PictureSink final : public DrawingSink {
public:
    explicit PictureSink(WindowConnection& picture) : picture_(picture) {}
    void Clear() override { picture_.Image().ForDrawing().Clear(); }
    void Line(float x1, float y1, float x2, float y2, Colour c) override {
        picture_.Image().ForDrawing().Line(x1, y1, x2, y2, c);
    }
    void Circle(float x, float y, float r, Colour c) override { picture_.Image().ForDrawing().Circle(x, y, r, c); }

private:
    WindowConnection& picture_;
};

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"The saver's frames presented to $DISPLAY as fast as it takes them"};
    long ticks = 3000;
    std::uint64_t seed = 1;
    app.add_option("--ticks", ticks, "how many frame ticks")->check(CLI::Range(1L, 10'000'000L));
    app.add_option("--seed", seed, "the animation's seed");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    }
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const xcb_screen_t* screen =
        xcb_connection_has_error(connection) ? nullptr : xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!screen) {
        std::fprintf(stderr, "linesaver-bench-present: cannot open the display\n");
        return 1;
    }
    const xcb_window_t window = xcb_generate_id(connection);
    const std::uint32_t black = screen->black_pixel;
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, screen->width_in_pixels,
                      screen->height_in_pixels, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL, &black);
    xcb_map_window(connection, window);
    XcbOwned<xcb_get_input_focus_reply_t> made(
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    std::string error;
    auto picture = WindowConnection::Open(nullptr, window, 1 / kTwips, {.ownsWindow = true}, error);
    if (!picture) {
        std::fprintf(stderr, "linesaver-bench-present: %s\n", error.c_str());
        return 1;
    }
    const int width = picture->Image().Width();
    const int height = picture->Image().Height();
    PictureSink sink(*picture);
    HeadlessPlatform platform(width * kTwips, height * kTwips, seed, sink);
    Saver saver(platform);
    saver.Start();
    picture->Image().Repaint();
    const WindowImage::Traffic before = picture->Image().Sent();
    const double cpuBefore = CpuSeconds();
    for (long tick = 0; tick < ticks; ++tick) {
        saver.FrameTick();
        picture->Present();
    }
    picture->Image().ForDrawing(); // the server has read the last frame
    const double cpu = CpuSeconds() - cpuBefore;
    const double rects = static_cast<double>(picture->Image().Sent().rects - before.rects);
    const double pixels = static_cast<double>(picture->Image().Sent().pixels - before.pixels);
    std::printf("{\"ticks\": %ld, \"width\": %d, \"height\": %d, \"rects_per_tick\": %.2f, \"pixels_per_tick\": %.0f, "
                "\"client_us_per_tick\": %.2f}\n",
                ticks, width, height, rects / ticks, pixels / ticks, 1e6 * cpu / ticks);
    xcb_disconnect(connection);
}
