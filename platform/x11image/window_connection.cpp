#include "platform/x11image/window_connection.h"

#include "platform/raster/pixel_canvas.h"
#include "platform/xcb/xcb_reply.h"

#include <cstdlib>
#include <xcb/xcb.h>

namespace linesaver {

std::unique_ptr<WindowConnection> WindowConnection::Open(const char* displayName, std::uint32_t window,
                                                         double pixelsPerTwip, Options options, std::string& error) {
    std::unique_ptr<WindowConnection> self(new WindowConnection());
    self->pixelsPerTwip_ = pixelsPerTwip;
    self->connection_ = xcb_connect(displayName, nullptr);
    if (xcb_connection_has_error(self->connection_)) {
        const char* name = displayName ? displayName : std::getenv("DISPLAY");
        error = std::string("cannot open the display ") + (name ? name : "(DISPLAY is not set)");
        return nullptr;
    }
    if (!DescribeWindow(self->connection_, window, self->window_, error, options.directColour)) return nullptr;
    if (options.ownsWindow) {
        // All bits zero is black in the canvas's pixels.
        const std::uint32_t black = 0;
        xcb_change_window_attributes(self->connection_, window, XCB_CW_BACK_PIXEL, &black);
        self->blackBackground_ = true;
    }
    self->image_ = WindowImage::Make(self->connection_, self->window_, self->window_.width, self->window_.height,
                                     pixelsPerTwip, self->blackBackground_, error);
    if (!self->image_) return nullptr;
    return self;
}

WindowConnection::~WindowConnection() {
    image_.reset();
    if (connection_) xcb_disconnect(connection_);
}

bool WindowConnection::Resize(int width, int height, bool keepPicture, std::string& error) {
    auto resized = WindowImage::Make(connection_, window_, width, height, pixelsPerTwip_, blackBackground_, error);
    if (!resized) return false;
    if (keepPicture) resized->ForDrawing().CopyFrom(image_->Canvas());
    image_ = std::move(resized);
    return true;
}

void WindowConnection::Present() {
    image_->Present();
    while (XcbOwned<xcb_generic_event_t> dropped{xcb_poll_for_queued_event(connection_)}) {}
}

} // namespace linesaver
