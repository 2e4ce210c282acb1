#include "platform/x11hack/hack_window.h"

#include "platform/platform.h"
#include "platform/xcb/xcb_reply.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace linesaver {
namespace {

// A window of its own, for trying the hack out.
constexpr int kOwnWidth = 800;
constexpr int kOwnHeight = 600;
constexpr std::uint32_t kWatched = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_EXPOSURE;

xcb_screen_t* ScreenNumber(const xcb_setup_t* setup, int number) {
    auto it = xcb_setup_roots_iterator(setup);
    for (int i = 0; it.rem > 0; xcb_screen_next(&it), ++i)
        if (i == number) return it.data;
    return nullptr;
}

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
    XcbOwned<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

} // namespace

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
    XcbOwned<xcb_generic_error_t> refused(xcb_request_check(
        connection_, xcb_change_window_attributes_checked(connection_, window_, XCB_CW_EVENT_MASK, &kWatched)));
    X11Window described;
    if (refused || !DescribeWindow(connection_, window_, described, error)) {
        if (refused) error = "no window " + WindowIdText(window_) + " on the display";
        error = "linesaver: " + error;
        return false;
    }
    pendingWidth_ = described.width;
    pendingHeight_ = described.height;
    // Another's window keeps its own background, which need not be black.
    picture_ = WindowConnection::Open(nullptr, window_, 1.0 / kTwipsPerPixel, {.ownsWindow = ownWindow_}, error);
    if (!picture_) {
        error = "linesaver: " + error;
        return false;
    }
    return true;
}

HackWindow::~HackWindow() {
    picture_.reset();
    if (connection_) {
        if (ownWindow_) xcb_destroy_window(connection_, window_);
        xcb_disconnect(connection_);
    }
}

int HackWindow::Socket() const { return xcb_get_file_descriptor(connection_); }

bool HackWindow::Lost() const { return xcb_connection_has_error(connection_) != 0; }

void HackWindow::Read(WindowNews& news, bool fromSocket) {
    for (;;) {
        XcbOwned<xcb_generic_event_t> event(fromSocket ? xcb_poll_for_event(connection_)
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
            news.resized = pendingWidth_ != Width() || pendingHeight_ != Height();
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
    if (!picture_->Resize(pendingWidth_, pendingHeight_, /*keepPicture=*/false, error)) {
        error = "linesaver: " + error;
        return false;
    }
    return true;
}

} // namespace linesaver
