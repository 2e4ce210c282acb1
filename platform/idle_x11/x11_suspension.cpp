#include "platform/idle_x11/x11_suspension.h"

#include "platform/idle/program_name.h"
#include "platform/idle_x11/idle_alarm.h"
#include "platform/idle_x11/suspension_book.h"
#include "platform/posix/posix_file.h"
#include "platform/xcb/xcb_reply.h"

#include <byteswap.h>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <sys/epoll.h>
#include <xcb/record.h>
#include <xcb/res.h>
#include <xcb/screensaver.h>
#include <xcb/xcbext.h>

namespace linesaver::idle {
namespace {

// The core request that sets the server's screen saver (xset s).
constexpr std::uint8_t kSetScreenSaver = 107;
// RECORD's categories of what it hands on.
constexpr std::uint8_t kFromClient = 1, kClientDied = 3;
// How long after its timeout the server's screen saver is looked at, for
// it to have come on if nothing holds it.
constexpr std::int64_t kPastDueMargin = 1000;

// A question to the server whose answer the source waits for, answered in
// the order asked.
struct Question {
    enum class Kind { Name, Timeout, PastDue } kind;
    std::uint32_t client;
    // The answers still awaited (sequence numbers; 0 for none).
    unsigned name;
    unsigned other;
    std::string program;
};

class X11Suspension final : public HoldSource {
public:
    X11Suspension(XcbConnection control, XcbConnection data, UniqueFd epoll, std::string display,
                  xcb_sync_counter_t counter, std::uint32_t timeout)
        : control_(std::move(control)), data_(std::move(data)), epoll_(std::move(epoll)), display_(std::move(display)),
          book_(timeout), pastDue_(control_.get(), counter, Threshold(timeout)),
          screenSaverOpcode_(xcb_get_extension_data(control_.get(), &xcb_screensaver_id)->major_opcode),
          names_(xcb_get_extension_data(control_.get(), &xcb_res_id)->present != 0),
          root_(xcb_setup_roots_iterator(xcb_get_setup(control_.get())).data->root) {}

    // Starts recording every client; false when the server refuses.
    bool Record();

    std::string Describe() const override { return "X clients' screen-saver suspensions on " + display_; }
    int Fd() const override { return epoll_.get(); }
    void Flush() override { xcb_flush(control_.get()); }

    bool Read(HoldState& state, std::string& why) override {
        ReadRecords();
        ReadControl();
        if (xcb_connection_has_error(control_.get()) != 0 || xcb_connection_has_error(data_.get()) != 0) {
            why = "the X server " + display_ + " has closed the connection";
            return false;
        }
        state.inhibitions.clear();
        book_.Report(state.inhibitions);
        return true;
    }

private:
    static std::int64_t Threshold(std::uint32_t timeout) {
        return timeout == 0 ? IdleAlarm::kNever : std::int64_t{timeout} * 1000 + kPastDueMargin;
    }

    void ReadRecords() {
        void* reply = nullptr;
        xcb_generic_error_t* error = nullptr;
        while (xcb_poll_for_reply(data_.get(), recording_, &reply, &error) != 0) {
            XcbOwned<void> owned(reply);
            XcbOwned<xcb_generic_error_t> ownedError(error);
            if (reply) Recorded(*static_cast<const xcb_record_enable_context_reply_t*>(reply));
            reply = nullptr;
            error = nullptr;
        }
    }

    void ReadControl() {
        for (;;) {
            while (XcbOwned<xcb_generic_event_t> event{xcb_poll_for_event(control_.get())}) Take(*event);
            while (!questions_.empty() && Answered(questions_.front())) questions_.pop_front();
            // Looking for an answer may have read events without telling.
            XcbOwned<xcb_generic_event_t> queued{xcb_poll_for_queued_event(control_.get())};
            if (!queued) break;
            Take(*queued);
        }
    }

    // The past-due alarm's notices: the server's screen saver due, and
    // still off while no suspension the watcher saw holds it, was
    // suspended before the watcher started.
    void Take(const xcb_generic_event_t& event) {
        if (pastDue_.Notice(event) == IdleChange::Idle && !book_.Suspending()) AskPastDue();
    }

    void Recorded(const xcb_record_enable_context_reply_t& reply) {
        if (reply.category == kClientDied) {
            const bool was = book_.Suspending();
            book_.Died(reply.xid_base);
            LetGo(was);
            return;
        }
        if (reply.category != kFromClient) return;
        const auto* bytes = xcb_record_enable_context_data(&reply);
        const auto length = static_cast<std::size_t>(xcb_record_enable_context_data_length(&reply));
        const bool swapped = reply.client_swapped != 0;
        // One or more requests of the client, each its length long.
        for (std::size_t at = 0; at + 4 <= length;) {
            std::size_t size = std::size_t{Read16(bytes + at + 2, swapped)} * 4;
            if (size == 0 && at + 8 <= length) size = std::size_t{Read32(bytes + at + 4, swapped)} * 4;
            if (size < 4 || at + size > length) break;
            Request(reply.xid_base, bytes + at, size, swapped);
            at += size;
        }
    }

    void Request(std::uint32_t client, const std::uint8_t* request, std::size_t size, bool swapped) {
        if (request[0] == kSetScreenSaver) {
            Ask({Question::Kind::Timeout, client, AskName(client), xcb_get_screen_saver(control_.get()).sequence, {}});
        } else if (request[0] == screenSaverOpcode_ && request[1] == XCB_SCREENSAVER_SUSPEND && size >= 8) {
            const bool was = book_.Suspending();
            if (book_.Suspend(client, Read32(request + 4, swapped), std::chrono::system_clock::now()))
                Ask({Question::Kind::Name, client, AskName(client), 0, {}});
            LetGo(was);
        }
    }

    // The last suspension the watcher saw has ended: any left holding was
    // made before the watcher started, and shows if the screen saver is
    // past due still.
    void LetGo(bool wasSuspending) {
        if (wasSuspending && !book_.Suspending() && pastDue_.Reached()) AskPastDue();
    }

    void AskPastDue() {
        Ask({Question::Kind::PastDue, 0, 0, xcb_screensaver_query_info(control_.get(), root_).sequence, {}});
    }

    unsigned AskName(std::uint32_t client) {
        if (!names_) return 0;
        const xcb_res_client_id_spec_t spec{client, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
        return xcb_res_query_client_ids(control_.get(), 1, &spec).sequence;
    }

    void Ask(Question question) { questions_.push_back(std::move(question)); }

    // Takes what has come of the question's answers; whether all have.
    bool Answered(Question& question) {
        if (question.name != 0) {
            XcbOwned<void> reply;
            if (!Poll(question.name, reply)) return false;
            question.name = 0;
            question.program = ProgramOf(static_cast<const xcb_res_query_client_ids_reply_t*>(reply.get()));
        }
        const auto now = std::chrono::system_clock::now();
        if (question.kind == Question::Kind::Name) {
            book_.Named(question.client, question.program);
            return true;
        }
        XcbOwned<void> reply;
        if (!Poll(question.other, reply)) return false;
        if (!reply) return true;
        if (question.kind == Question::Kind::Timeout) {
            const auto timeout = static_cast<const xcb_get_screen_saver_reply_t*>(reply.get())->timeout;
            if (timeout != book_.Timeout()) pastDue_.Retarget(Threshold(timeout));
            book_.TimeoutSet(timeout, question.program, now);
        } else {
            const auto* info = static_cast<const xcb_screensaver_query_info_reply_t*>(reply.get());
            book_.PastDue(info->state == XCB_SCREENSAVER_STATE_OFF && info->ms_until_server == 0, now);
        }
        return true;
    }

    // Whether the answer to sequence has come; reply holds it (nothing for
    // an error).
    bool Poll(unsigned sequence, XcbOwned<void>& reply) {
        void* answer = nullptr;
        xcb_generic_error_t* error = nullptr;
        if (xcb_poll_for_reply(control_.get(), sequence, &answer, &error) == 0) return false;
        std::free(error);
        reply.reset(answer);
        return true;
    }

    static std::string ProgramOf(const xcb_res_query_client_ids_reply_t* reply) {
        if (!reply) return "";
        for (auto id = xcb_res_query_client_ids_ids_iterator(reply); id.rem > 0; xcb_res_client_id_value_next(&id))
            if ((id.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) != 0 && id.data->length == 4) {
                const auto pid = static_cast<pid_t>(*xcb_res_client_id_value_value(id.data));
                return ProgramName("", ProcessName(pid), pid);
            }
        return "";
    }

    static std::uint16_t Read16(const std::uint8_t* at, bool swapped) {
        std::uint16_t value;
        std::memcpy(&value, at, sizeof value);
        return swapped ? bswap_16(value) : value;
    }
    static std::uint32_t Read32(const std::uint8_t* at, bool swapped) {
        std::uint32_t value;
        std::memcpy(&value, at, sizeof value);
        return swapped ? bswap_32(value) : value;
    }

    XcbConnection control_;
    XcbConnection data_;
    UniqueFd epoll_;
    std::string display_;
    SuspensionBook book_;
    IdleAlarm pastDue_;
    std::uint8_t screenSaverOpcode_;
    bool names_;
    xcb_window_t root_;
    unsigned recording_ = 0;
    std::deque<Question> questions_;
};

bool X11Suspension::Record() {
    xcb_connection_t* control = control_.get();
    XcbOwned<xcb_record_query_version_reply_t> version(
        xcb_record_query_version_reply(control, xcb_record_query_version(control, 1, 13), nullptr));
    if (!version) return false;
    if (names_) {
        XcbOwned<xcb_res_query_version_reply_t> resVersion(
            xcb_res_query_version_reply(control, xcb_res_query_version(control, 1, 2), nullptr));
        names_ = resVersion && (resVersion->server_major > 1 || resVersion->server_minor >= 2);
    }
    // Every client's Suspend and SetScreenSaver, and every client's end.
    xcb_record_range_t range{};
    range.core_requests = {kSetScreenSaver, kSetScreenSaver};
    range.ext_requests = {{screenSaverOpcode_, screenSaverOpcode_}, {XCB_SCREENSAVER_SUSPEND, XCB_SCREENSAVER_SUSPEND}};
    range.client_died = 1;
    const xcb_record_client_spec_t everyone = XCB_RECORD_CS_ALL_CLIENTS;
    const xcb_record_context_t context = xcb_generate_id(control);
    XcbOwned<xcb_generic_error_t> refused(
        xcb_request_check(control, xcb_record_create_context_checked(control, context, 0, 1, 1, &everyone, &range)));
    if (refused) return false;
    // A suspension made before the watcher started, past due already, is
    // known before the watcher first looks.
    XcbOwned<xcb_screensaver_query_info_reply_t> info(
        xcb_screensaver_query_info_reply(control, xcb_screensaver_query_info(control, root_), nullptr));
    if (info && info->state == XCB_SCREENSAVER_STATE_OFF && info->ms_until_server == 0 && book_.Timeout() != 0)
        book_.PastDue(true, std::chrono::system_clock::now());
    // The first answer says that recording has begun.
    const auto recording = xcb_record_enable_context(data_.get(), context);
    xcb_generic_error_t* error = nullptr;
    XcbOwned<xcb_record_enable_context_reply_t> started(
        xcb_record_enable_context_reply(data_.get(), recording, &error));
    std::free(error);
    recording_ = recording.sequence;
    xcb_flush(control);
    return started != nullptr;
}

} // namespace

std::unique_ptr<HoldSource> OpenX11Suspension(std::chrono::milliseconds, std::string& whyNot) {
    const char* display = std::getenv("DISPLAY");
    if (const char* wayland = std::getenv("WAYLAND_DISPLAY"); wayland && *wayland) {
        whyNot = "a Wayland session";
        return nullptr;
    }
    if (!display || !*display) {
        whyNot = "DISPLAY is not set";
        return nullptr;
    }
    XcbConnection control(xcb_connect(nullptr, nullptr)), data(xcb_connect(nullptr, nullptr));
    if (xcb_connection_has_error(control.get()) != 0 || xcb_connection_has_error(data.get()) != 0) {
        whyNot = std::string("cannot open the X display ") + display;
        return nullptr;
    }
    for (const auto& [extension, name] :
         {std::pair{&xcb_record_id, "RECORD"}, {&xcb_screensaver_id, "MIT-SCREEN-SAVER"}}) {
        const auto* present = xcb_get_extension_data(control.get(), extension);
        if (!present || !present->present) {
            whyNot = std::string("the X server ") + display + " has no " + name;
            return nullptr;
        }
    }
    const auto counter = IdleAlarm::FindCounter(control.get());
    XcbOwned<xcb_get_screen_saver_reply_t> saver(
        xcb_get_screen_saver_reply(control.get(), xcb_get_screen_saver(control.get()), nullptr));
    UniqueFd epoll(epoll_create1(EPOLL_CLOEXEC));
    if (counter == XCB_NONE || !saver || !epoll) {
        whyNot = std::string("the X server ") + display + " has no IDLETIME counter";
        return nullptr;
    }
    for (const int fd : {xcb_get_file_descriptor(control.get()), xcb_get_file_descriptor(data.get())}) {
        epoll_event event{.events = EPOLLIN, .data = {.fd = fd}};
        epoll_ctl(epoll.get(), EPOLL_CTL_ADD, fd, &event);
    }
    auto source = std::make_unique<X11Suspension>(std::move(control), std::move(data), std::move(epoll), display,
                                                  counter, saver->timeout);
    if (!source->Record()) {
        whyNot = std::string("the X server ") + display + " refuses to record its clients' requests";
        return nullptr;
    }
    return source;
}

} // namespace linesaver::idle
