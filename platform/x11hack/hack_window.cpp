#include "platform/x11hack/hack_window.h"

#include "platform/raster/pixel_canvas.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

namespace linesaver {
namespace {

constexpr double kTwipsPerPixel = 15;
// A window of its own, for trying the hack out.
constexpr int kOwnWidth = 800;
constexpr int kOwnHeight = 600;
constexpr std::uint32_t kWatched = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_EXPOSURE;

// What xcb hands out is the caller's to free.
struct Free {
    void operator()(void* p) const { std::free(p); }
};
template <class T>
using Owned = std::unique_ptr<T, Free>;

std::string Hex(std::uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", id);
    return text;
}

xcb_screen_t* ScreenNumber(const xcb_setup_t* setup, int number) {
    auto it = xcb_setup_roots_iterator(setup);
    for (int i = 0; it.rem > 0; xcb_screen_next(&it), ++i)
        if (i == number) return it.data;
    return nullptr;
}

// The visual with that id on any screen.
const xcb_visualtype_t* FindVisual(const xcb_setup_t* setup, xcb_visualid_t id) {
    for (auto screen = xcb_setup_roots_iterator(setup); screen.rem > 0; xcb_screen_next(&screen))
        for (auto depth = xcb_screen_allowed_depths_iterator(screen.data); depth.rem > 0; xcb_depth_next(&depth))
            for (auto visual = xcb_depth_visuals_iterator(depth.data); visual.rem > 0; xcb_visualtype_next(&visual))
                if (visual.data->visual_id == id) return visual.data;
    return nullptr;
}

// The canvas's pixels as they are: 32 bits each, 0x00RRGGBB in the
// machine's byte order.
bool TakesCanvasPixels(const xcb_setup_t* setup, const xcb_visualtype_t* visual, std::uint8_t depth) {
    if (depth != 24 || !visual || visual->_class != XCB_VISUAL_CLASS_TRUE_COLOR || visual->red_mask != 0xff0000 ||
        visual->green_mask != 0xff00 || visual->blue_mask != 0xff)
        return false;
    const auto order = std::endian::native == std::endian::little ? XCB_IMAGE_ORDER_LSB_FIRST : XCB_IMAGE_ORDER_MSB_FIRST;
    if (setup->image_byte_order != order) return false;
    for (auto format = xcb_setup_pixmap_formats_iterator(setup); format.rem > 0; xcb_format_next(&format))
        if (format.data->depth == depth) return format.data->bits_per_pixel == 32;
    return false;
}

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
    Owned<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

} // namespace

// A shared-memory segment the server reads the picture from.
struct HackWindow::Image {
    xcb_connection_t* connection = nullptr;
    xcb_shm_seg_t segment = 0;
    unsigned char* pixels = nullptr;

    // Nothing when the server cannot share memory with this process (it
    // runs elsewhere, or in another namespace).
    static std::unique_ptr<Image> Share(xcb_connection_t* c, int width, int height) {
        const int id = ::shmget(IPC_PRIVATE, static_cast<std::size_t>(width) * height * 4, IPC_CREAT | 0600);
        if (id < 0) return nullptr;
        void* at = ::shmat(id, nullptr, 0);
        if (at == reinterpret_cast<void*>(-1)) {
            ::shmctl(id, IPC_RMID, nullptr);
            return nullptr;
        }
        auto image = std::make_unique<Image>();
        image->connection = c;
        image->pixels = static_cast<unsigned char*>(at);
        image->segment = xcb_generate_id(c);
        Owned<xcb_generic_error_t> refused(xcb_request_check(c, xcb_shm_attach_checked(c, image->segment, id, 0)));
        // Both sides hold it now: it goes when both let go, however the
        // process ends.
        ::shmctl(id, IPC_RMID, nullptr);
        if (refused) image->segment = 0;
        return refused ? nullptr : std::move(image);
    }

    ~Image() {
        if (segment) xcb_shm_detach(connection, segment);
        ::shmdt(pixels);
    }
};

std::unique_ptr<HackWindow> HackWindow::Open(const HackOptions& options, std::string& error) {
    std::unique_ptr<HackWindow> self(new HackWindow());
    if (!self->Take(options, error)) return nullptr;
    return self;
}

bool HackWindow::Take(const HackOptions& options, std::string& error) {
    int screenNumber = 0;
    connection_ = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection_)) {
        const char* display = std::getenv("DISPLAY");
        error = std::string("linesaver: cannot open the display ") + (display ? display : "(DISPLAY is not set)");
        return false;
    }
    const xcb_setup_t* setup = xcb_get_setup(connection_);
    const xcb_screen_t* screen = ScreenNumber(setup, screenNumber);
    if (!screen) {
        error = "linesaver: the display has no screen " + std::to_string(screenNumber);
        return false;
    }
    largestRequest_ = static_cast<std::size_t>(xcb_get_maximum_request_length(connection_)) * 4;
    switch (options.target) {
    case HackTarget::Root:
        window_ = screen->root;
        break;
    case HackTarget::GivenWindow:
        window_ = options.windowId;
        break;
    case HackTarget::OwnWindow: {
        ownWindow_ = true;
        window_ = xcb_generate_id(connection_);
        const std::uint32_t values[] = {screen->black_pixel, kWatched};
        xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, screen->root, 0, 0, kOwnWidth, kOwnHeight, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK,
                          values);
        const char title[] = "linesaver";
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window_, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                            sizeof title - 1, title);
        deleteAtom_ = Atom(connection_, "WM_DELETE_WINDOW");
        const xcb_atom_t protocols = Atom(connection_, "WM_PROTOCOLS");
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window_, protocols, XCB_ATOM_ATOM, 32, 1, &deleteAtom_);
        xcb_map_window(connection_, window_);
        break;
    }
    }
    // Watched before its size is read, so that no resize falls between.
    // Each client has an event mask of its own: the owner's is untouched.
    Owned<xcb_generic_error_t> refused(
        xcb_request_check(connection_, xcb_change_window_attributes_checked(connection_, window_, XCB_CW_EVENT_MASK, &kWatched)));
    Owned<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(connection_, xcb_get_window_attributes(connection_, window_), nullptr));
    Owned<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window_), nullptr));
    if (refused || !attributes || !geometry) {
        error = "linesaver: no window " + Hex(window_) + " on the display";
        return false;
    }
    depth_ = geometry->depth;
    if (!TakesCanvasPixels(setup, FindVisual(setup, attributes->visual), depth_)) {
        error = "linesaver: window " + Hex(window_) + " has depth " + std::to_string(depth_) +
                "; only 24-bit true colour can be drawn on";
        return false;
    }
    gc_ = xcb_generate_id(connection_);
    const std::uint32_t noExposures = 0;
    xcb_create_gc(connection_, gc_, window_, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
    pendingWidth_ = geometry->width;
    pendingHeight_ = geometry->height;
    shared_ = xcb_get_extension_data(connection_, &xcb_shm_id)->present;
    return Remake(error);
}

HackWindow::~HackWindow() {
    canvas_.reset(); // it may draw on the shared image
    image_.reset();
    if (connection_) {
        if (ownWindow_) xcb_destroy_window(connection_, window_);
        xcb_disconnect(connection_);
    }
}

int HackWindow::Socket() const { return xcb_get_file_descriptor(connection_); }

bool HackWindow::Lost() const { return xcb_connection_has_error(connection_) != 0; }

void HackWindow::Read(WindowNews& news, bool fromSocket) {
    for (;;) {
        Owned<xcb_generic_event_t> event(fromSocket ? xcb_poll_for_event(connection_)
                                                    : xcb_poll_for_queued_event(connection_));
        if (!event) return;
        switch (event->response_type & 0x7f) {
        case 0: { // an error: drawing on a window that has just gone
            const auto* e = reinterpret_cast<const xcb_generic_error_t*>(event.get());
            if ((e->error_code == XCB_WINDOW || e->error_code == XCB_DRAWABLE) && e->resource_id == window_)
                news.gone = true;
            break;
        }
        case XCB_CONFIGURE_NOTIFY: {
            const auto* e = reinterpret_cast<const xcb_configure_notify_event_t*>(event.get());
            if (e->window != window_) break;
            pendingWidth_ = e->width;
            pendingHeight_ = e->height;
            news.resized = pendingWidth_ != width_ || pendingHeight_ != height_;
            break;
        }
        case XCB_EXPOSE:
            news.exposed = true;
            break;
        case XCB_DESTROY_NOTIFY:
            if (reinterpret_cast<const xcb_destroy_notify_event_t*>(event.get())->window == window_) news.gone = true;
            break;
        case XCB_CLIENT_MESSAGE: {
            const auto* e = reinterpret_cast<const xcb_client_message_event_t*>(event.get());
            if (ownWindow_ && e->window == window_ && e->format == 32 && e->data.data32[0] == deleteAtom_)
                news.closeRequested = true;
            break;
        }
        default:
            break;
        }
    }
}

bool HackWindow::Remake(std::string& error) {
    canvas_.reset();
    image_.reset();
    width_ = std::max(pendingWidth_, 1);
    height_ = std::max(pendingHeight_, 1);
    const double pixelsPerTwip = 1.0 / kTwipsPerPixel;
    if (shared_) {
        image_ = Image::Share(connection_, width_, height_);
        shared_ = image_ != nullptr; // refused once, refused for good
    }
    if (image_) {
        canvas_ = std::make_unique<PixelCanvas>(image_->pixels, width_ * 4, width_, height_, pixelsPerTwip);
    } else {
        canvas_ = std::make_unique<PixelCanvas>(width_, height_, pixelsPerTwip);
        // A put-image request carries its header (24 bytes) and whole rows.
        const std::size_t room = largestRequest_ > 64 ? largestRequest_ - 64 : 0;
        band_.resize(std::min(room, static_cast<std::size_t>(width_) * height_ * 4));
        if (band_.size() < static_cast<std::size_t>(width_) * 4) band_.clear();
    }
    if (!canvas_->ok() || (!image_ && band_.empty())) {
        error = "linesaver: cannot make a picture of " + std::to_string(width_) + "x" + std::to_string(height_) +
                " pixels";
        return false;
    }
    return true;
}

void HackWindow::Send(int x, int y, int w, int h) {
    if (w <= 0 || h <= 0) return;
    if (image_) {
        xcb_shm_put_image(connection_, window_, gc_, static_cast<std::uint16_t>(width_),
                          static_cast<std::uint16_t>(height_), static_cast<std::uint16_t>(x),
                          static_cast<std::uint16_t>(y), static_cast<std::uint16_t>(w), static_cast<std::uint16_t>(h),
                          static_cast<std::int16_t>(x), static_cast<std::int16_t>(y), depth_,
                          XCB_IMAGE_FORMAT_Z_PIXMAP, 0, image_->segment, 0);
        return;
    }
    // Over the connection, in bands of as many rows as one request takes.
    const std::size_t rowBytes = static_cast<std::size_t>(w) * 4;
    const int bandRows = static_cast<int>(band_.size() / rowBytes);
    for (int top = y; top < y + h; top += bandRows) {
        const int rows = std::min(bandRows, y + h - top);
        for (int row = 0; row < rows; ++row)
            std::memcpy(band_.data() + row * rowBytes, canvas_->Data() + (top + row) * canvas_->Stride() + x * 4,
                        rowBytes);
        xcb_put_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, window_, gc_, static_cast<std::uint16_t>(w),
                      static_cast<std::uint16_t>(rows), static_cast<std::int16_t>(x), static_cast<std::int16_t>(top),
                      0, depth_, static_cast<std::uint32_t>(rows * rowBytes), band_.data());
    }
}

void HackWindow::Present() {
    const auto changed = canvas_->TakeDirty();
    for (const PixelRect& r : changed) Send(r.x, r.y, r.w, r.h);
    if (!changed.empty()) xcb_flush(connection_);
}

void HackWindow::Repaint() {
    canvas_->TakeDirty(); // all of it goes now
    Send(0, 0, width_, height_);
    xcb_flush(connection_);
}

} // namespace linesaver
