// What holds the saver back, as each source keeps it: the cookies of the
// watcher's own org.freedesktop.ScreenSaver, the X server's suspensions,
// logind's lock, and the watcher's answer to --status.
#include "platform/idle/hold_record.h"
#include "platform/idle/program_name.h"
#include "platform/idle/status_channel.h"
#include "platform/idle_dbus/inhibition_book.h"
#include "platform/idle_dbus/logind.h"
#include "platform/idle_x11/suspension_book.h"
#include "tests/support/temp_drive.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace linesaver::idle {
namespace {

using Time = std::chrono::system_clock::time_point;
Time At(int second) { return Time{} + std::chrono::seconds(second); }

// "program:reason@second" for each inhibition, in order.
std::string Held(const std::vector<Inhibition>& inhibitions) {
    std::string text;
    for (const auto& held : inhibitions)
        text += (text.empty() ? "" : " ") + held.program + ":" + held.reason + "@" +
                std::to_string(std::chrono::duration_cast<std::chrono::seconds>(held.since - Time{}).count());
    return text;
}

// Two callers in turn, the cookies given from just below the top: each
// step's cookie (Inhibit, 0 refused) or whether it was let go (UnInhibit,
// Forget), and what is held after it.
TEST(InhibitionBook, NeverGivesACookieTwiceAndLetsOnlyItsCallerGo) {
    const struct {
        char call; // I(nhibit), U(nInhibit), F(orget)
        const char* caller;
        std::uint32_t cookie; // given (I) or handed back (U)
        const char* reason;
        bool done;
        const char* held;
    } steps[] = {
        {'I', "a", 0xfffffffe, "film", true, "a:film@0"},
        {'I', "a", 0xffffffff, "film", true, "a:film@0"},
        {'I', "b", 1, "music", true, "a:film@0 b:music@2"},
        {'U', "b", 0xfffffffe, "", false, "a:film@0 b:music@2"},
        {'U', "a", 0xfffffffe, "", true, "a:film@0 b:music@2"},
        {'U', "a", 0xfffffffe, "", false, "a:film@0 b:music@2"},
        {'U', "a", 0xffffffff, "", true, "b:music@2"},
        {'I', "a", 2, "film", true, "b:music@2 a:film@7"},
        {'U', "a", 2, "", true, "b:music@2"},
        {'I', "a", 3, "film", true, "b:music@2 a:film@9"},
        {'F', "b", 0, "", true, "a:film@9"},
        {'U', "b", 1, "", false, "a:film@9"},
    };
    InhibitionBook book(0xfffffffe);
    for (int i = 0; i < static_cast<int>(std::size(steps)); ++i) {
        const auto& k = steps[i];
        switch (k.call) {
        case 'I':
            EXPECT_EQ(book.Inhibit(k.caller, k.caller, k.reason, At(i)), k.cookie) << "step " << i;
            break;
        case 'U':
            EXPECT_EQ(book.UnInhibit(k.caller, k.cookie), k.done) << "step " << i;
            break;
        case 'F':
            book.Forget(k.caller);
            break;
        }
        std::vector<Inhibition> held;
        book.Report("org.freedesktop.ScreenSaver", held);
        EXPECT_EQ(Held(held), k.held) << "step " << i;
    }
}

// One caller may hold so many cookies and so many kinds of inhibition; the
// others are not refused for it, and its leaving lets all go.
TEST(InhibitionBook, RefusesACallerBeyondItsShareAndForgetsItWhole) {
    InhibitionBook book;
    for (std::size_t i = 0; i < InhibitionBook::kCookiesPerCaller; ++i)
        ASSERT_NE(book.Inhibit("flood", "p", "same", At(0)), 0u);
    EXPECT_EQ(book.Inhibit("flood", "p", "same", At(0)), 0u);
    for (std::size_t i = 0; i < InhibitionBook::kKindsPerCaller; ++i)
        ASSERT_NE(book.Inhibit("many", "p", std::to_string(i), At(0)), 0u);
    EXPECT_EQ(book.Inhibit("many", "p", "one more", At(0)), 0u);
    EXPECT_NE(book.Inhibit("many", "p", "0", At(0)), 0u);
    EXPECT_NE(book.Inhibit("other", "p", "film", At(0)), 0u);
    book.Forget("flood");
    book.Forget("many");
    std::vector<Inhibition> held;
    book.Report("i", held);
    EXPECT_EQ(Held(held), "p:film@0");
    EXPECT_FALSE(book.Holds("flood"));
}

// The server's suspensions as the watcher sees them, from a timeout of 600 s:
// client 1 counts its Suspend requests, a client shows once named, the
// screen saver turned off holds until turned on, a suspension older than the
// watcher shows when past due while no other explains it.
TEST(SuspensionBook, CountsAsTheServerCountsAndHoldsWhatItCannotSee) {
    const struct {
        char step; // S(uspend), N(amed), D(ied), T(imeout set), P(ast due)
        std::uint32_t value;
        const char* text;
        const char* held;
    } steps[] = {
        {'S', 1, "", ""},
        {'N', 0, "mpv", "mpv:@0"},
        {'S', 1, "", "mpv:@0"},
        {'S', 0, "", "mpv:@0"},
        {'P', 1, "", "mpv:@0"},
        {'S', 0, "", ""},
        {'P', 1, "", ":by a client that did so before the watcher started@6"},
        {'S', 0, "", ""},
        {'P', 1, "", ":by a client that did so before the watcher started@8"},
        {'P', 0, "", ""},
        {'T', 0, "xset", "xset:turned off@10"},
        {'T', 0, "again", "xset:turned off@10"},
        {'T', 300, "", ""},
        {'S', 1, "", ""},
        {'D', 0, "", ""},
    };
    SuspensionBook book(600);
    for (int i = 0; i < static_cast<int>(std::size(steps)); ++i) {
        const auto& k = steps[i];
        // Client 1, but the lone False (step 7) comes from client 2.
        const std::uint32_t client = i == 7 ? 2 : 1;
        if (k.step == 'S') book.Suspend(client, k.value, At(i));
        if (k.step == 'N') book.Named(client, k.text);
        if (k.step == 'D') book.Died(client);
        if (k.step == 'T') book.TimeoutSet(k.value, k.text, At(i));
        if (k.step == 'P') book.PastDue(k.value != 0, At(i));
        std::vector<Inhibition> held;
        book.Report(held);
        EXPECT_EQ(Held(held), k.held) << "step " << i;
    }
    // Off from the start is the user's setting, not a hold.
    SuspensionBook off(0);
    off.TimeoutSet(0, "xset", At(0));
    std::vector<Inhibition> held;
    off.Report(held);
    EXPECT_TRUE(held.empty());
}

// logind's signals and the locker's hint in turn, and whether the session
// counts as locked after each: L(ock), U(nlock), H(int set), h(int
// cleared), a (the user seen at the session).
TEST(LogindLock, TakesTheLockersWordOnceItHasGivenIt) {
    const std::pair<const char*, const char*> cases[] = {
        {"LU", "10"}, {"LHUh", "1110"}, {"La", "10"}, {"LHa", "111"}, {"HLh", "110"}, {"aHa", "011"},
    };
    for (const auto& [calls, locked] : cases) {
        LogindLock lock;
        std::string seen;
        for (const char* call = calls; *call; ++call) {
            if (*call == 'L') lock.Lock();
            if (*call == 'U') lock.Unlock();
            if (*call == 'H' || *call == 'h') lock.Hint(*call == 'H');
            if (*call == 'a') lock.SeenInUse();
            seen += lock.Locked() ? '1' : '0';
        }
        EXPECT_EQ(seen, locked) << calls;
    }
}

TEST(ProgramName, SaysWhatTheProcessIsAndWhatItCallsItself) {
    EXPECT_EQ(ProgramName("mpv", "mpv", 42), "mpv (pid 42)");
    EXPECT_EQ(ProgramName("", "python3", 9), "python3 (pid 9)");
    EXPECT_EQ(ProgramName("film", "gdbus", 7), "film (gdbus, pid 7)");
    EXPECT_EQ(ProgramName("firefox", "", 0), "firefox");
    EXPECT_EQ(Printable("a\nb\tc\x7f", 10), "a b c ");
    EXPECT_EQ(Printable("\xc3\xa9\xc3\xa9\xc3\xa9", 5), "\xc3\xa9\xc3\xa9...");
}

// --status's lines, whole: a session idle with the saver running, held and
// locked by two sources; and one with nothing to say.
TEST(StatusLines, TellOneFactALine) {
    const testing::ScopedEnv utc("TZ", "UTC");
    tzset();
    HoldRecord record(2);
    std::vector<std::string> lines;
    std::vector<WatchEvent> events;
    record.Update(0, {{{"XScreenSaverSuspend", "mpv (pid 4)", "", At(60)}}, {}}, lines, events);
    record.Update(1, {{{"logind's idle inhibitor", "", "backup", At(3600)}}, {"logind"}}, lines, events);
    WatchView view{"IDLETIME through SYNC on :1", At(30), 77, &record};
    EXPECT_EQ(StatusLines(view), (std::vector<std::string>{
                                     "idle source: IDLETIME through SYNC on :1",
                                     "idle: since 1970-01-01 00:00:30",
                                     "saver: pid 77",
                                     "held back: since 1970-01-01 00:01:00 by mpv (pid 4) through XScreenSaverSuspend",
                                     "held back: since 1970-01-01 01:00:00 by logind's idle inhibitor: backup",
                                     "locked: by logind",
                                 }));
    EXPECT_EQ(StatusLines({"ext_idle_notifier_v1 on wayland-1", {}, -1, nullptr}),
              (std::vector<std::string>{"idle source: ext_idle_notifier_v1 on wayland-1", "idle: no", "saver: none",
                                        "held back: no", "locked: no"}));
}

} // namespace
} // namespace linesaver::idle
