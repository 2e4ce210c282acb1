#include "platform/x11image/window_image.h"

#include "platform/raster/pixel_canvas.h"
#include "platform/xcb/xcb_reply.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <sys/ipc.h>
#include <sys/mman.h>
#include <sys/shm.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

namespace linesaver {
namespace {

// The visual with that id on any screen.
const xcb_visualtype_t* FindVisual(const xcb_setup_t* setup, xcb_visualid_t id) {
    for (auto screen = xcb_setup_roots_iterator(setup); screen.rem > 0; xcb_screen_next(&screen))
        for (auto depth = xcb_screen_allowed_depths_iterator(screen.data); depth.rem > 0; xcb_depth_next(&depth))
            for (auto visual = xcb_depth_visuals_iterator(depth.data); visual.rem > 0; xcb_visualtype_next(&visual))
                if (visual.data->visual_id == id) return visual.data;
    return nullptr;
}

bool TakesCanvasPixels(const xcb_setup_t* setup, const xcb_visualtype_t* visual, std::uint8_t depth,
                       bool directColour) {
    const bool colourClass = visual && (visual->_class == XCB_VISUAL_CLASS_TRUE_COLOR ||
                                        (directColour && visual->_class == XCB_VISUAL_CLASS_DIRECT_COLOR));
    if (depth != 24 || !colourClass || visual->red_mask != 0xff0000 || visual->green_mask != 0xff00 ||
        visual->blue_mask != 0xff)
        return false;
    const auto order =
        std::endian::native == std::endian::little ? XCB_IMAGE_ORDER_LSB_FIRST : XCB_IMAGE_ORDER_MSB_FIRST;
    if (setup->image_byte_order != order) return false;
    for (auto format = xcb_setup_pixmap_formats_iterator(setup); format.rem > 0; xcb_format_next(&format))
        if (format.data->depth == depth) return format.data->bits_per_pixel == 32;
    return false;
}

} // namespace

bool DescribeWindow(xcb_connection_t* c, std::uint32_t window, X11Window& described, std::string& error,
                    bool directColour) {
    XcbOwned<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
    XcbOwned<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
    if (!attributes || !geometry) {
        error = "no window " + WindowIdText(window) + " on the display";
        return false;
    }
    const xcb_setup_t* setup = xcb_get_setup(c);
    if (!TakesCanvasPixels(setup, FindVisual(setup, attributes->visual), geometry->depth, directColour)) {
        error = "window " + WindowIdText(window) + " has depth " + std::to_string(geometry->depth) +
                "; only 24-bit true colour can be drawn on";
        return false;
    }
    described = {window, geometry->depth, geometry->width, geometry->height};
    return true;
}

WindowImage::WindowImage(xcb_connection_t* connection, const X11Window& window)
    : connection_(connection), window_(window),
      largestRequest_(static_cast<std::size_t>(xcb_get_maximum_request_length(connection)) * 4) {}

std::unique_ptr<WindowImage> WindowImage::Make(xcb_connection_t* c, const X11Window& window, int width, int height,
                                               double pixelsPerTwip, bool blackBackground, std::string& error) {
    std::unique_ptr<WindowImage> self(new WindowImage(c, window));
    self->blackBackground_ = blackBackground;
    width = std::max(width, 1);
    height = std::max(height, 1);
    self->gc_ = xcb_generate_id(c);
    const std::uint32_t noExposures = 0;
    xcb_create_gc(c, self->gc_, window.id, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
    if (self->Share(width, height)) {
        // Fresh shared memory is zeros, black: it is not cleared again.
        self->canvas_ = std::make_unique<PixelCanvas>(self->shared_, width * 4, width, height, pixelsPerTwip, 1.0,
                                                      /*alreadyBlack=*/true);
    } else {
        self->canvas_ = std::make_unique<PixelCanvas>(width, height, pixelsPerTwip);
        // A put-image request carries its header (24 bytes) and whole rows.
        const std::size_t room = self->largestRequest_ > 64 ? self->largestRequest_ - 64 : 0;
        self->band_.resize(std::min(room, static_cast<std::size_t>(width) * height * 4));
        if (self->band_.size() < static_cast<std::size_t>(width) * 4) self->band_.clear();
    }
    if (!self->canvas_->Ok() || (!self->Shared() && self->band_.empty())) {
        error = "cannot make a picture of " + std::to_string(width) + "x" + std::to_string(height) + " pixels";
        return nullptr;
    }
    return self;
}

bool WindowImage::Share(int width, int height) {
    if (!xcb_get_extension_data(connection_, &xcb_shm_id)->present) return false;
    const int id = ::shmget(IPC_PRIVATE, static_cast<std::size_t>(width) * height * 4, IPC_CREAT | 0600);
    if (id < 0) return false;
    void* at = ::shmat(id, nullptr, 0);
    if (at == reinterpret_cast<void*>(-1)) {
        ::shmctl(id, IPC_RMID, nullptr);
        return false;
    }
    // Made resident at once: a page first touched while drawing costs far
    // more, one by one, than all of them now.
    const std::size_t bytes = static_cast<std::size_t>(width) * height * 4;
    if (::madvise(at, bytes, MADV_POPULATE_WRITE) != 0)
        for (std::size_t page = 0; page < bytes; page += 4096) static_cast<volatile unsigned char*>(at)[page] = 0;
    const xcb_shm_seg_t segment = xcb_generate_id(connection_);
    XcbOwned<xcb_generic_error_t> refused(
        xcb_request_check(connection_, xcb_shm_attach_checked(connection_, segment, id, 0)));
    // Both sides hold it now: it goes when both let go, however the process
    // ends. A server elsewhere, or in another namespace, refuses it.
    ::shmctl(id, IPC_RMID, nullptr);
    if (refused) {
        ::shmdt(at);
        return false;
    }
    segment_ = segment;
    shared_ = static_cast<unsigned char*>(at);
    return true;
}

WindowImage::~WindowImage() {
    canvas_.reset();
    if (reading_) xcb_discard_reply(connection_, readSequence_);
    if (segment_) xcb_shm_detach(connection_, segment_);
    if (gc_) xcb_free_gc(connection_, gc_);
    xcb_flush(connection_);
    // The server keeps its own mapping until it has handled the detach.
    if (shared_) ::shmdt(shared_);
}

int WindowImage::Width() const { return canvas_->Width(); }
int WindowImage::Height() const { return canvas_->Height(); }

PixelCanvas& WindowImage::ForDrawing() {
    if (reading_) {
        reading_ = false;
        // Long since there as a rule, and then taken without waiting;
        // nothing comes when the connection broke.
        void* answer = nullptr;
        xcb_generic_error_t* error = nullptr;
        if (xcb_poll_for_reply(connection_, readSequence_, &answer, &error) == 0)
            answer = xcb_get_input_focus_reply(connection_, xcb_get_input_focus_cookie_t{readSequence_}, &error);
        std::free(answer);
        std::free(error);
    }
    return *canvas_;
}

void WindowImage::Present() { Send(canvas_->TakeDirty()); }

void WindowImage::Repaint() {
    if (blackBackground_) {
        canvas_->MarkDrawnChanged();
        Present();
        return;
    }
    canvas_->TakeDirty(); // all of it goes now
    const PixelRect all{0, 0, canvas_->Width(), canvas_->Height()};
    Send({&all, 1});
}

void WindowImage::Send(std::span<const PixelRect> rects) {
    if (rects.empty()) return;
    for (const PixelRect& r : rects) {
        ++sent_.rects;
        sent_.pixels += static_cast<long long>(r.w) * r.h;
    }
    if (!Shared()) {
        for (const PixelRect& r : rects) SendOverConnection(r);
        xcb_flush(connection_);
        return;
    }
    // A present before the last one was read (an exposure between ticks):
    // its answer is left to xcb.
    if (reading_) xcb_discard_reply(connection_, readSequence_);
    const int width = canvas_->Width();
    const int height = canvas_->Height();
    for (const PixelRect& r : rects) {
        if (r.w <= 0 || r.h <= 0) continue;
        xcb_shm_put_image(connection_, window_.id, gc_, static_cast<std::uint16_t>(width),
                          static_cast<std::uint16_t>(height), static_cast<std::uint16_t>(r.x),
                          static_cast<std::uint16_t>(r.y), static_cast<std::uint16_t>(r.w),
                          static_cast<std::uint16_t>(r.h), static_cast<std::int16_t>(r.x),
                          static_cast<std::int16_t>(r.y), window_.depth, XCB_IMAGE_FORMAT_Z_PIXMAP, 0, segment_, 0);
    }
    // The server handles requests in order: once this is answered, the puts
    // above have been read.
    readSequence_ = xcb_get_input_focus(connection_).sequence;
    reading_ = true;
    xcb_flush(connection_);
}

void WindowImage::SendOverConnection(const PixelRect& r) {
    if (r.w <= 0 || r.h <= 0) return;
    // In bands of as many rows as one request takes.
    const std::size_t rowBytes = static_cast<std::size_t>(r.w) * 4;
    const int bandRows = static_cast<int>(band_.size() / rowBytes);
    for (int top = r.y; top < r.y + r.h; top += bandRows) {
        const int rows = std::min(bandRows, r.y + r.h - top);
        for (int row = 0; row < rows; ++row)
            std::memcpy(band_.data() + row * rowBytes, canvas_->Data() + (top + row) * canvas_->Stride() + r.x * 4,
                        rowBytes);
        xcb_put_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, window_.id, gc_, static_cast<std::uint16_t>(r.w),
                      static_cast<std::uint16_t>(rows), static_cast<std::int16_t>(r.x), static_cast<std::int16_t>(top),
                      0, window_.depth, static_cast<std::uint32_t>(rows * rowBytes), band_.data());
    }
}

} // namespace linesaver
