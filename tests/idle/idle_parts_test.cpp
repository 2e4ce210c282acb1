// The idle watcher's smaller decisions: the X server's idle alarm, the
// session's name for its files, the autostart entry, the saver's command.
#include "platform/idle/autostart.h"
#include "platform/idle/saver_process.h"
#include "platform/idle/session_instance.h"
#include "platform/idle_x11/x11_idle_source.h"
#include "tests/support/temp_drive.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace linesaver::idle {
namespace {

// Notices of the alarm, each with the counter's value: the changes they
// bring ("I" idle, "A" active, "." none), then what the alarm waits for
// after the last (">" the counter at least, "<" at most, that value).
TEST(IdleAlarmTurns, TurnsAtTheIdleTimeAndPassesOverNoticesOfItsOwnChange) {
    // clang-format off
    const std::pair<std::vector<std::int64_t>, const char*> cases[] = {
        {{}, ">2000"},             {{2000}, "I<1999"},         {{1999}, ".>2000"},
        {{2000, 2600}, "I.<1999"}, {{2000, 1999}, "IA>2000"}, {{9000, 0, 2000}, "IAI<1999"},
    };
    // clang-format on
    for (const auto& [notices, expected] : cases) {
        IdleAlarmTurns turns(2000);
        std::string seen;
        for (const auto idleTime : notices) {
            const auto change = turns.Notice(idleTime);
            seen += !change ? '.' : *change == IdleChange::Idle ? 'I' : 'A';
        }
        EXPECT_EQ(seen + (turns.WaitsForInput() ? "<" : ">") + std::to_string(turns.Value()), expected);
    }
}

// Two sessions of one user never share a watcher's files, and a name never
// leaves the runtime folder.
TEST(SessionKey, NamesTheDisplayWithoutItsScreenAsAPlainFileName) {
    // clang-format off
    const struct { const char *wayland, *display, *key; } cases[] = {
        {"wayland-1", ":0", "wayland-1"}, {"", ":0", "_0"}, {"", ":1.0", "_1"}, {"", "localhost:10.2", "localhost_10"},
        {"", "host.example:0", "host.example_0"}, {"../../x", "", ".._.._x"}, {"", "", "default"},
    };
    // clang-format on
    for (const auto& k : cases) {
        const testing::ScopedEnv wayland("WAYLAND_DISPLAY", k.wayland), display("DISPLAY", k.display);
        EXPECT_EQ(SessionKey(), k.key) << k.wayland << " " << k.display;
    }
}

// Writing and removing the autostart entry: each failure says what it could
// not do, and a removal that failed is not reported as nothing to remove.
TEST(Autostart, WritesAndRemovesTheEntryOrSaysWhatFailed) {
    namespace fs = std::filesystem;
    const struct {
        const char* what;
        void (*make)(const fs::path& config);
        const char* writeError; // "": written
        AutostartRemoval removal;
    } cases[] = {
        {"a new folder", [](const fs::path&) {}, "", AutostartRemoval::Removed},
        {"a file in place of the folder", [](const fs::path& config) { testing::Write(config, ""); }, "cannot make",
         AutostartRemoval::NoneThere},
        {"a folder in place of the entry",
         [](const fs::path& config) { fs::create_directories(config / "autostart/linesaver-idle.desktop/x"); },
         "cannot write", AutostartRemoval::Failed},
    };
    for (const auto& k : cases) {
        testing::TempDrive home;
        const fs::path config = home.root / "config";
        const testing::ScopedEnv xdg("XDG_CONFIG_HOME", config.string());
        k.make(config);
        std::string error;
        EXPECT_EQ(WriteAutostart({"/x"}, error), !*k.writeError) << k.what;
        EXPECT_EQ(error.rfind(k.writeError, 0), 0u) << k.what << ": " << error;
        error.clear();
        EXPECT_EQ(RemoveAutostart(error), k.removal) << k.what;
        EXPECT_EQ(error.empty(), k.removal != AutostartRemoval::Failed) << k.what << ": " << error;
    }
}

// --run's command: split as a shell splits words, nothing expanded, and
// what a shell would expand or act on refused rather than passed on, as
// are open quotes and a line without words.
TEST(SplitCommand, SplitsAsAShellWouldAndRefusesWhatItWouldExpand) {
    // Each word in brackets.
    const std::pair<const char*, const char*> cases[] = {
        {"linesaver  --after\t5 ", "[linesaver][--after][5]"},
        {R"('/opt/my saver' "a b" c\ d '' x"y"'z')", "[/opt/my saver][a b][c d][][xyz]"},
        {R"("\"q\" \\ \x \$" 'a\b')", R"(["q" \ \x $][a\b])"},
        {R"('$HOME' "~/x" a~b a#b \*)", "[$HOME][~/x][a~b][a#b][*]"},
    };
    std::string error;
    for (const auto& [text, expected] : cases) {
        std::string words;
        for (const auto& word : SplitCommand(text, error).value_or(std::vector<std::string>{}))
            words += "[" + word + "]";
        EXPECT_EQ(words, expected) << text << ": " << error;
    }
    for (const char* text : {"$HOME/saver", "\"$HOME\"", "~/saver", "$(id)", "`id`", "a|b", "a;b", "a >log",
                             "saver *.mid", "#x", "'open", "\"open", "open\\", "", " \t"}) {
        error.clear();
        EXPECT_FALSE(SplitCommand(text, error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

} // namespace
} // namespace linesaver::idle
