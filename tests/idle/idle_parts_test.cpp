// The idle watcher's smaller decisions: the X server's idle alarm, the
// session's name for its files.
#include "platform/idle/session_instance.h"
#include "platform/idle_x11/x11_idle_source.h"
#include "tests/support/temp_drive.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace linesaver::idle {
namespace {

// Notices of the alarm, each with the counter's value: the changes they
// bring ("I" idle, "A" active, "." none), and what the alarm waits for
// after the last.
TEST(IdleAlarmTurns, TurnsAtTheIdleTimeAndPassesOverNoticesOfItsOwnChange) {
    const struct {
        std::vector<std::int64_t> notices;
        const char* changes;
        bool waitsForInput;
        std::int64_t value;
    } cases[] = {
        {{}, "", false, 2000},
        {{2000}, "I", true, 1999},
        {{1999}, ".", false, 2000},
        {{2000, 2600}, "I.", true, 1999},
        {{2000, 1999}, "IA", false, 2000},
        {{9000, 0, 2000}, "IAI", true, 1999},
    };
    for (const auto& k : cases) {
        IdleAlarmTurns turns(2000);
        std::string changes;
        for (const auto idleTime : k.notices) {
            const auto change = turns.Notice(idleTime);
            changes += !change ? '.' : *change == IdleChange::Idle ? 'I' : 'A';
        }
        EXPECT_EQ(changes, k.changes) << ::testing::PrintToString(k.notices);
        EXPECT_EQ(turns.WaitsForInput(), k.waitsForInput) << changes;
        EXPECT_EQ(turns.Value(), k.value) << changes;
    }
}

// Two sessions of one user never share a watcher's files, and a name never
// leaves the runtime folder.
TEST(SessionKey, NamesTheDisplayWithoutItsScreenAsAPlainFileName) {
    const struct {
        const char* wayland;
        const char* display;
        const char* key;
    } cases[] = {
        {"wayland-1", ":0", "wayland-1"},
        {"", ":0", "_0"},
        {"", ":1.0", "_1"},
        {"", "localhost:10.2", "localhost_10"},
        {"", "host.example:0", "host.example_0"},
        {"../../x", "", ".._.._x"},
        {"", "", "default"},
    };
    for (const auto& k : cases) {
        const testing::ScopedEnv wayland("WAYLAND_DISPLAY", k.wayland), display("DISPLAY", k.display);
        EXPECT_EQ(SessionKey(), k.key) << k.wayland << " " << k.display;
    }
}

} // namespace
} // namespace linesaver::idle
