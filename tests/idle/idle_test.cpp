// The idle watcher's decisions: the idle times it reads, when it starts and
// ends the saver, what holds it back, and the Exec line of its autostart
// entry.
#include "platform/idle/autostart.h"
#include "platform/idle/duration.h"
#include "platform/idle/hold_record.h"
#include "platform/idle/watch_policy.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace linesaver::idle {
namespace {

using std::chrono::seconds;

TEST(Duration, ReadsTimesFromASecondToADay) {
    const struct {
        const char* text;
        long long seconds; // 0: refused
        // clang-format off
    } cases[] = {
        {"300", 300},   {"300s", 300}, {"5m", 300},         {"1h", 3600},     {"1h30m", 5400},
        {"2m5s", 125},  {"1s", 1},     {"24h", 86400},      {"0300s", 300},   {"1440m", 86400},
        {"0", 0},       {"0s", 0},     {"-5", 0},           {"+5", 0},        {"10x", 0},
        {"", 0},        {"m", 0},      {"5 m", 0},          {" 5m", 0},       {"5M", 0},
        {"1m30", 0},    {"30s1m", 0},  {"1m1m", 0},         {"1.5m", 0},      {"24h1s", 0},
        {"86401", 0},   {"25h", 0},    {"99999999999999999999", 0},          {"5m ", 0},
    };
    // clang-format on
    for (const auto& k : cases) {
        const auto parsed = ParseDuration(k.text);
        EXPECT_EQ(parsed ? parsed->count() : 0, k.seconds) << "'" << k.text << "'";
        // What is written back into the autostart entry reads the same.
        if (parsed) {
            EXPECT_EQ(ParseDuration(FormatDuration(*parsed)), parsed) << FormatDuration(*parsed);
        }
    }
    EXPECT_EQ(FormatDuration(seconds(300)), "5m");
    EXPECT_EQ(FormatDuration(seconds(90)), "90s");
    EXPECT_EQ(FormatDuration(seconds(7200)), "2h");
}

// A day of events played through the policy the way the watcher's loop
// does: a timer fires when WakeAt() says, and every start it asks for
// is answered by the next outcome of the saver (the last one repeats).
// The result is the list of seconds at which the saver was started, and
// ended by the watcher (as minus the second).
struct Step {
    int at;
    WatchEvent event;
};

std::vector<int> Play(const std::vector<Step>& steps, const std::vector<WatchEvent>& outcomes, int until) {
    WatchPolicy policy;
    const auto epoch = WatchClock::time_point{} + std::chrono::hours(1);
    std::vector<int> starts;
    std::size_t outcome = 0;
    const auto act = [&](WatchAction action, int at) {
        if (action == WatchAction::StopSaver) starts.push_back(-at);
        if (action != WatchAction::StartSaver) return;
        starts.push_back(at);
        const auto reply = outcomes[std::min(outcome++, outcomes.size() - 1)];
        policy.On(reply, epoch + seconds(at));
    };
    std::size_t next = 0;
    for (int at = 0; at <= until; ++at) {
        if (const auto wake = policy.WakeAt(); wake && *wake <= epoch + seconds(at)) {
            act(policy.On(WatchEvent::Timer, epoch + seconds(at)), at);
            // A time still due would have the loop spin.
            const auto again = policy.WakeAt();
            EXPECT_TRUE(!again || *again - epoch > seconds(at)) << "spins at " << at;
        }
        for (; next < steps.size() && steps[next].at == at; ++next)
            act(policy.On(steps[next].event, epoch + seconds(at)), at);
    }
    return starts;
}

TEST(WatchPolicy, StartsTheSaverOncePerIdleTimeAndBacksOffFromFailures) {
    using E = WatchEvent;
    const std::vector<E> runs{E::SaverStarted}, missing{E::SaverFailed};
    const struct {
        const char* what;
        std::vector<Step> steps;
        std::vector<E> outcomes;
        std::vector<int> starts;
        // clang-format off
    } cases[] = {
        {"idle starts it; a key ends it; idle again starts it again",
         {{0, E::Idle}, {60, E::Active}, {60, E::SaverEnded}, {360, E::Idle}}, runs, {0, 360}},
        {"never two: idle again while it runs starts none",
         {{0, E::Idle}, {30, E::Active}, {40, E::Idle}, {50, E::SaverEnded}}, runs, {0}},
        {"killed after a while: none until active and idle again",
         {{0, E::Idle}, {60, E::SaverFaulted}, {200, E::Active}, {500, E::Idle}}, runs, {0, 500}},
        {"ended by itself at once with status 0: not a failure",
         {{0, E::Idle}, {1, E::SaverEnded}}, runs, {0}},
        {"missing: tried again while idle, each back-off twice the last, at most 10 minutes",
         {{0, E::Idle}}, missing, {0, 10, 30, 70, 150, 310, 630, 1230, 1830}},
        {"failing at once: the back-off holds a new idle time back until it ends",
         {{0, E::Idle}, {1, E::SaverFaulted}, {3, E::Active}, {5, E::Idle}}, runs, {0, 11}},
        {"failing at once, then the user is back: no retry while active",
         {{0, E::Idle}, {1, E::SaverFaulted}, {5, E::Active}, {100, E::Idle}}, runs, {0, 100}},
        {"a proper run forgets the failures before it",
         {{0, E::Idle}, {100, E::SaverEnded}, {101, E::Active}, {200, E::Idle}, {215, E::Active}},
         {E::SaverFailed, E::SaverStarted, E::SaverFailed}, {0, 10, 200, 210}},
        {"held from the start: none while held; let go while idle: at once",
         {{0, E::Held}, {0, E::Idle}, {100, E::Released}}, runs, {100}},
        {"held and let go while active: the next idle time starts it",
         {{0, E::Held}, {0, E::Idle}, {5, E::Active}, {10, E::Released}, {20, E::Idle}}, runs, {20}},
        {"held while it runs: it runs on; let go after its run: none until idle again",
         {{0, E::Idle}, {10, E::Held}, {60, E::SaverEnded}, {100, E::Released}, {200, E::Active}, {300, E::Idle}},
         runs, {0, 300}},
        {"a retry after a failure waits for the hold to end",
         {{0, E::Idle}, {5, E::Held}, {100, E::Released}}, {E::SaverFailed, E::SaverStarted}, {0, 100}},
        {"locked: the saver ended; idle under the lock and the unlock start none, idle after them does",
         {{0, E::Idle}, {30, E::Locked}, {40, E::Active}, {100, E::Idle}, {150, E::Unlocked}, {160, E::Released},
          {170, E::Active}, {470, E::Idle}}, runs, {0, -30, 470}},
        {"activity reported: the saver ended, none until idle again",
         {{0, E::Idle}, {30, E::Activity}, {40, E::Released}, {340, E::Idle}}, runs, {0, -30, 340}},
    };
    // clang-format on
    for (const auto& k : cases) EXPECT_EQ(Play(k.steps, k.outcomes, 2000), k.starts) << k.what;
}

// Two hold sources' reports, one after the other: a line for every
// inhibition and lock that starts or ends (repeated ones each), and the
// policy hears only the first to start and the last to end.
TEST(HoldRecord, SaysWhatComesAndGoesAndHoldsWhileAnySourceHolds) {
    using E = WatchEvent;
    const Inhibition film{"org.freedesktop.ScreenSaver", "mpv", "playing a film", {}};
    const Inhibition suspended{"XScreenSaverSuspend", "", "", {}};
    const std::string filmText = "mpv through org.freedesktop.ScreenSaver: playing a film";
    const struct {
        std::size_t source;
        HoldState report;
        std::vector<std::string> lines;
        std::vector<WatchEvent> events;
    } steps[] = {
        {0, {{film}, {}}, {"held back by " + filmText}, {E::Held}},
        {1, {{suspended, suspended}, {}}, {"held back by XScreenSaverSuspend", "held back by XScreenSaverSuspend"}, {}},
        {1, {{suspended}, {}}, {"no longer held back by XScreenSaverSuspend"}, {}},
        {0, {{}, {"logind"}}, {"no longer held back by " + filmText, "locked by logind"}, {E::Locked}},
        {1, {}, {"no longer held back by XScreenSaverSuspend"}, {E::Released}},
        {0, {{}, {"logind"}, 1}, {"activity reported by a program"}, {E::Activity}},
        {0, {{}, {}, 1}, {"no longer locked by logind"}, {E::Unlocked}},
        {0, {{}, {}, 1}, {}, {}},
    };
    HoldRecord record(2);
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        std::vector<std::string> lines;
        std::vector<WatchEvent> events;
        record.Update(steps[i].source, steps[i].report, lines, events);
        EXPECT_EQ(lines, steps[i].lines) << "step " << i;
        EXPECT_EQ(events, steps[i].events) << "step " << i;
    }
}

TEST(DesktopExec, QuotesWhatTheEntryFormatReserves) {
    const struct {
        std::vector<std::string> command;
        const char* exec;
    } cases[] = {
        {{"/usr/bin/linesaver-idle", "--after", "5m"}, "/usr/bin/linesaver-idle --after 5m"},
        {{"/home/a b/linesaver-idle"}, "\"/home/a b/linesaver-idle\""},
        {{"/x", "--run", "linesaver --a \"q\""}, "/x --run \"linesaver --a \\\\\"q\\\\\"\""},
        {{"/x", "$HOME", "`id`", "50%"}, "/x \"\\\\$HOME\" \"\\\\`id\\\\`\" 50%%"},
        {{"/x", "a\\b", ""}, "/x \"a\\\\\\\\b\" \"\""},
    };
    for (const auto& k : cases) EXPECT_EQ(DesktopExec(k.command), k.exec) << k.command.back();
}

} // namespace
} // namespace linesaver::idle
