// The picture sender against a real X server, started by with_xvfb.sh with
// shared memory or without (LINESAVER_EXPECT_SHM says which): the window
// shows, pixel for pixel, what the canvas holds after a first showing, a
// present of a change, a repaint over someone else's clearing and a
// resize, also for a picture larger than one request; and only windows
// whose pixels are the canvas's are taken.
#include "platform/raster/pixel_canvas.h"
#include "platform/x11image/window_connection.h"
#include "platform/x11image/window_image.h"
#include "platform/xcb/xcb_reply.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

namespace linesaver {
namespace {

constexpr double kPixelsPerTwip = 1.0 / 15;

// Lines and circles in several colours, spread over the picture by seed.
void DrawFigures(PixelCanvas& canvas, int seed, int count) {
    const float w = canvas.Width() * 15.0f;
    const float h = canvas.Height() * 15.0f;
    for (int i = seed; i < seed + count; ++i) {
        const Colour colour = static_cast<Colour>(0x1f3fbf * (i + 1)) & 0xffffff;
        canvas.Line(w * (i % 7) / 7, h * (i % 5) / 5, w * ((i * 3) % 11) / 11, h * ((i * 2) % 9) / 9, colour);
        canvas.Circle(w * ((i * 5) % 13) / 13, h * ((i * 7) % 3 + 0.5f) / 3, h * (i % 4 + 1) / 17, colour ^ 0x808080);
    }
}

std::uint32_t PixelAt(const PixelCanvas& canvas, int x, int y) {
    std::uint32_t pixel;
    std::memcpy(&pixel, canvas.Data() + y * canvas.Stride() + x * 4, 4);
    return pixel & 0xffffff;
}

class X11ImageTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* expect = std::getenv("LINESAVER_EXPECT_SHM");
        if (!expect) GTEST_SKIP() << "needs an X server of its own: run through tests/x11image/with_xvfb.sh";
        expectShared_ = std::strcmp(expect, "1") == 0;
        c_ = xcb_connect(nullptr, nullptr);
        ASSERT_FALSE(xcb_connection_has_error(c_)) << "no X server on $DISPLAY";
        screen_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
    }
    void TearDown() override {
        if (c_) xcb_disconnect(c_);
    }

    // The first visual of that depth and class, 0 when the server has none.
    std::uint32_t FindVisual(std::uint8_t depth, std::uint8_t visualClass) const {
        for (auto d = xcb_screen_allowed_depths_iterator(screen_); d.rem > 0; xcb_depth_next(&d))
            for (auto v = xcb_depth_visuals_iterator(d.data); d.data->depth == depth && v.rem > 0;
                 xcb_visualtype_next(&v))
                if (v.data->_class == visualClass) return v.data->visual_id;
        return 0;
    }

    // A mapped white window at the top left, 0 when there is no such visual.
    std::uint32_t MakeWindow(int w, int h, std::uint8_t depth = 24,
                             std::uint8_t visualClass = XCB_VISUAL_CLASS_TRUE_COLOR) {
        const std::uint32_t visual = FindVisual(depth, visualClass);
        if (visual == 0) return 0;
        const std::uint32_t colormap = xcb_generate_id(c_);
        xcb_create_colormap(c_, XCB_COLORMAP_ALLOC_NONE, colormap, screen_->root, visual);
        const std::uint32_t window = xcb_generate_id(c_);
        const std::uint32_t values[] = {0xffffff, 0, 1, colormap};
        xcb_create_window(c_, depth, window, screen_->root, 0, 0, static_cast<std::uint16_t>(w),
                          static_cast<std::uint16_t>(h), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, visual,
                          XCB_CW_BACK_PIXEL | XCB_CW_BORDER_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_COLORMAP, values);
        xcb_map_window(c_, window);
        RoundTrip();
        return window;
    }

    void RoundTrip() { std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr)); }

    // How many of the window's pixels differ from the canvas's (-1: none
    // could be read). Read again for up to two seconds while they differ:
    // another connection's requests may still be on their way.
    long Differing(std::uint32_t window, const PixelCanvas& canvas, int attempts = 40) {
        const int w = canvas.Width();
        const int h = canvas.Height();
        long differing = -1;
        for (int attempt = 0; attempt < attempts && differing != 0; ++attempt) {
            if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
            XcbOwned<xcb_get_image_reply_t> shown(
                xcb_get_image_reply(c_,
                                    xcb_get_image(c_, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0,
                                                  static_cast<std::uint16_t>(w), static_cast<std::uint16_t>(h), ~0u),
                                    nullptr));
            if (!shown || xcb_get_image_data_length(shown.get()) != w * h * 4) continue;
            const std::uint8_t* data = xcb_get_image_data(shown.get());
            differing = 0;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    std::uint32_t pixel;
                    std::memcpy(&pixel, data + (y * w + x) * 4, 4);
                    differing += (pixel & 0xffffff) != PixelAt(canvas, x, y);
                }
        }
        return differing;
    }

    bool expectShared_ = false;
    xcb_connection_t* c_ = nullptr;
    const xcb_screen_t* screen_ = nullptr;
};

// Each size once on a white background and once on the black one the
// window's owner gives it (the server then paints what is exposed black,
// and a repaint sends only what is not); then a resize, keeping the
// picture or starting black.
TEST_F(X11ImageTest, WindowShowsTheCanvasThroughPresentsRepaintsAndResizes) {
    const int screenW = screen_->width_in_pixels, screenH = screen_->height_in_pixels;
    // Without shared memory it goes in bands: one request carries at most
    // 16 MiB (BIG-REQUESTS cannot be switched off in Xvfb).
    ASSERT_GT(std::size_t(screenW) * screenH * 4, std::size_t{xcb_get_maximum_request_length(c_)} * 4);
    const struct {
        const char* name;
        int width, height;
        bool ownsWindow;
        int newWidth, newHeight;
        bool keep;
    } cases[] = {
        {"small, larger kept", 320, 240, false, 400, 300, true},
        {"small, larger black", 320, 240, true, 400, 300, false},
        {"odd, smaller kept", 333, 97, false, 150, 90, true},
        {"odd, wider and lower kept", 333, 97, true, 500, 60, true},
        {"larger than one request, smaller kept", screenW, screenH, false, screenW / 2, screenH - 1, true},
        {"larger than one request, black", screenW, screenH, true, screenW - 3, screenH / 3, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::uint32_t window = MakeWindow(c.width, c.height);
        if (c.ownsWindow) { // black already, as the owner makes it
            const std::uint32_t black = 0;
            xcb_change_window_attributes(c_, window, XCB_CW_BACK_PIXEL, &black);
            xcb_clear_area(c_, 0, window, 0, 0, 0, 0);
            RoundTrip();
        }
        std::string error;
        auto connection = WindowConnection::Open(nullptr, window, kPixelsPerTwip, {.ownsWindow = c.ownsWindow}, error);
        ASSERT_TRUE(connection) << error;
        WindowImage& image = connection->Image();
        EXPECT_EQ(image.Shared(), expectShared_);

        // A new picture is first shown whole, as its users do.
        DrawFigures(image.ForDrawing(), 0, 12);
        image.Repaint();
        EXPECT_EQ(Differing(window, image.Canvas()), 0) << "first showing";
        DrawFigures(image.ForDrawing(), 20, 3);
        connection->Present();
        EXPECT_EQ(Differing(window, image.Canvas()), 0) << "a change";
        image.ForDrawing().Clear();
        DrawFigures(image.ForDrawing(), 40, 2);
        connection->Present();
        EXPECT_EQ(Differing(window, image.Canvas()), 0) << "cleared and drawn again";
        xcb_clear_area(c_, 0, window, 0, 0, 0, 0);
        ASSERT_GT(Differing(window, image.Canvas(), 1), 0) << "the clearing changed nothing";
        image.Repaint();
        EXPECT_EQ(Differing(window, image.Canvas()), 0) << "repaint";

        std::vector<std::uint32_t> before;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) before.push_back(PixelAt(image.Canvas(), x, y));
        const std::uint32_t size[] = {std::uint32_t(c.newWidth), std::uint32_t(c.newHeight)};
        xcb_configure_window(c_, window, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size);
        RoundTrip();
        ASSERT_TRUE(connection->Resize(c.newWidth, c.newHeight, c.keep, error)) << error;
        const PixelCanvas& canvas = connection->Image().Canvas();
        ASSERT_EQ(std::pair(canvas.Width(), canvas.Height()), std::pair(c.newWidth, c.newHeight));
        long unexpected = 0;
        for (int y = 0; y < c.newHeight; ++y)
            for (int x = 0; x < c.newWidth; ++x) {
                const bool old = c.keep && x < c.width && y < c.height;
                unexpected += PixelAt(canvas, x, y) != (old ? before[std::size_t(y) * c.width + x] : 0u);
            }
        EXPECT_EQ(unexpected, 0) << "pixels of the resized picture";
        connection->Image().Repaint();
        EXPECT_EQ(Differing(window, canvas), 0) << "after the resize";
        DrawFigures(connection->Image().ForDrawing(), 30, 4);
        connection->Present();
        EXPECT_EQ(Differing(window, canvas), 0) << "a change after the resize";
        connection.reset();
        xcb_destroy_window(c_, window);
    }
}

TEST_F(X11ImageTest, TakesOnlyWindowsWhosePixelsAreTheCanvas) {
    struct Case {
        const char* name;
        std::uint8_t depth, visualClass;
        bool directColour, taken;
    };
    const std::vector<Case> cases = {
        {"24-bit true colour", 24, XCB_VISUAL_CLASS_TRUE_COLOR, false, true},
        {"24-bit direct colour", 24, XCB_VISUAL_CLASS_DIRECT_COLOR, false, false},
        {"24-bit direct colour, asked for", 24, XCB_VISUAL_CLASS_DIRECT_COLOR, true, true},
        {"32-bit ARGB", 32, XCB_VISUAL_CLASS_TRUE_COLOR, true, false},
    };
    std::string missing; // the cases whose visual the server lacks
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::uint32_t window = MakeWindow(64, 48, c.depth, c.visualClass);
        if (window == 0) {
            missing += std::string(missing.empty() ? "" : ", ") + c.name;
            continue;
        }
        X11Window described;
        std::string error;
        EXPECT_EQ(DescribeWindow(c_, window, described, error, c.directColour), c.taken) << error;
        if (c.taken) {
            EXPECT_EQ(std::tuple(described.id, described.depth, described.width, described.height),
                      std::tuple(window, 24, 64, 48));
        } else {
            EXPECT_EQ(error.rfind("window " + WindowIdText(window) + " has depth " + std::to_string(c.depth), 0), 0u)
                << error;
        }
        xcb_destroy_window(c_, window);
    }
    const std::uint32_t absent = xcb_generate_id(c_);
    X11Window described;
    std::string error;
    EXPECT_FALSE(DescribeWindow(c_, absent, described, error));
    EXPECT_EQ(error, "no window " + WindowIdText(absent) + " on the display");
    if (!missing.empty()) GTEST_SKIP() << "the server has no visual for " << missing;
}

} // namespace
} // namespace linesaver
