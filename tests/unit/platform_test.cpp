// The program's folder, the private runtime folder, the single-instance
// lock, the close signals, when the window's timers fire (the beat,
// restarts, stalls and nesting), and which displays besides the primary one get
// a black window: never one that would cover part of the animation or of a
// display already covered.
#include "platform/posix/close_signals.h"
#include "platform/posix/instance_lock.h"
#include "platform/posix/program_folder.h"
#include "platform/posix/runtime_dir.h"
#include "platform/sdl/sdl_blank_windows.h"
#include "platform/timing/timer_schedule.h"
#include "tests/unit/music_test_support.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace linesaver::testing {
namespace {

namespace fs = std::filesystem;

TEST(ProgramFolder, TheRealBinarysFolderThroughLinks) {
    TempDrive t;
    const fs::path bin = t.root / "real" / "bin";
    fs::create_directories(bin);
    Write(bin / "linesaver", "");
    fs::create_symlink(bin / "linesaver", t.root / "saver");
    fs::create_symlink(t.root / "saver", t.root / "saver2");
    for (const char* exe : {"real/bin/linesaver", "saver", "saver2"})
        EXPECT_EQ(ProgramFolder((t.root / exe).string()), bin.string()) << exe;
    EXPECT_EQ(ProgramFolder((t.root / "missing").string()), ".");
    EXPECT_EQ(ProgramFolder(), fs::canonical("/proc/self/exe").parent_path().string());
}

// R is made when missing, taken when it is the user's own and closed to
// others, refused (and left alone) otherwise.
TEST(RuntimeDir, TakesOnlyAPrivateDirectory) {
    const auto dir = [](mode_t mode) {
        return [mode](const fs::path& r) { fs::create_directory(r), ::chmod(r.c_str(), mode); };
    };
    const struct {
        const char* what;
        std::function<void(const fs::path&)> make; // makes R (or not)
        bool taken;
    } cases[] = {
        {"missing", [](const fs::path&) {}, true},
        {"mode 0700", dir(0700), true},
        {"group may read", dir(0750), false},
        {"others may write", dir(0703), false},
        {"a link to a private one",
         [&](const fs::path& r) {
             dir(0700)(r.string() + "-real");
             fs::create_directory_symlink(r.string() + "-real", r);
         },
         false},
        {"a file", [](const fs::path& r) { Write(r, ""); }, false},
    };
    for (const auto& k : cases) {
        TempDrive base;
        const ScopedEnv xdg("XDG_RUNTIME_DIR", base.root.string());
        const fs::path r = base.root / "linesaver";
        k.make(r);
        const auto mode = [&] {
            struct stat st {};
            return ::lstat(r.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
        };
        const auto before = mode();
        const auto drive = RuntimeSubdir("c");
        EXPECT_EQ(drive.has_value(), k.taken) << k.what;
        EXPECT_EQ(drive.value_or(""), k.taken ? (r / "c").string() : "") << k.what;
        EXPECT_EQ(mode(), k.taken ? 0700u : before) << k.what;
        EXPECT_EQ(fs::exists(r / "c"), k.taken) << k.what;
    }
}

// One holder at a time; where no lock can be taken the saver runs anyway:
// nothing is held, nobody else is reported, and a link is not followed.
TEST(InstanceLock, OneHolderAtATimeOrNoneAtAll) {
    TempDrive t;
    const std::string path = (t.root / "instance.lock").string();
    auto first = std::make_unique<InstanceLock>(path);
    EXPECT_TRUE(first->Held() && !first->HeldElsewhere());
    {
        InstanceLock second(path);
        EXPECT_TRUE(!second.Held() && second.HeldElsewhere());
    }
    first.reset(); // the first copy ends
    EXPECT_TRUE(InstanceLock(path).Held());

    fs::create_symlink(t.root / "elsewhere", t.root / "link.lock");
    for (const std::string& p : {std::string(), (t.root / "missing" / "x").string(), (t.root / "link.lock").string()}) {
        InstanceLock lock(p);
        EXPECT_TRUE(!lock.Held() && !lock.HeldElsewhere()) << p;
    }
    EXPECT_FALSE(fs::exists(t.root / "elsewhere"));
}

// Waits up to two seconds for count to reach n.
bool WaitFor(const std::atomic<int>& count, int n) {
    for (int i = 0; i < 200 && count.load() < n; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return count.load() == n;
}

// SIGINT, SIGTERM and SIGHUP each wake the handler, also one that came
// before Start, during start-up; after Stop there is no wake and no death
// either. Each case runs in a child process, so a signal that got through
// would kill only the child.
TEST(CloseSignalsDeathTest, EachSignalWakesOnceEvenBeforeStartAndNoneAfterStop) {
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        for (int when : {0, 1, 2}) { // before Start, while watching, after Stop
            EXPECT_EXIT(
                {
                    std::atomic<int> wakes{0};
                    {
                        CloseSignals signals;
                        if (when == 0) ::kill(::getpid(), sig);
                        signals.Start([&] { ++wakes; });
                        if (when == 1) ::kill(::getpid(), sig);
                        if (when < 2) WaitFor(wakes, 1);
                        signals.Stop();
                        if (when == 2) ::kill(::getpid(), sig);
                    }
                    std::this_thread::sleep_for(std::chrono::milliseconds(when == 2 ? 50 : 0));
                    std::_Exit(wakes.load() == (when < 2 ? 1 : 0) ? 3 : 1);
                },
                ::testing::ExitedWithCode(3), "")
                << strsignal(sig) << " " << when;
        }
}

TEST(BlankWindows, DisplaysToCover) {
    const PixelRect primary{0, 0, 800, 600};
    const PixelRect right{800, 0, 640, 480};
    const PixelRect left{-1024, 100, 1024, 768};
    const PixelRect below{0, 600, 800, 600};
    struct Case {
        std::string name;
        std::vector<PixelRect> others;
        std::vector<PixelRect> covered;
    };
    const std::vector<Case> cases = {
        {"none", {}, {}},
        {"edge to edge on three sides", {right, left, below}, {right, left, below}},
        {"a mirror of the primary", {primary}, {}},
        {"one inside the primary", {{100, 100, 640, 480}}, {}},
        {"one reaching into the primary", {{799, 0, 640, 480}}, {}},
        {"two mirrored others", {right, right}, {right}},
        {"one reaching into another", {right, {1000, 0, 640, 480}}, {right}},
        {"an empty one", {{800, 0, 0, 480}, right}, {right}},
    };
    for (const Case& c : cases) EXPECT_EQ(DisplaysToCover(primary, c.others), c.covered) << c.name;
}

using namespace std::chrono_literals;
using Ms = std::chrono::milliseconds;

const TimerSchedule::TimePoint t0{};

Ms At(TimerSchedule::TimePoint t) { return std::chrono::duration_cast<Ms>(t - t0); }

// The frame tick's firing times (ms) in an event loop on a simulated clock:
// first due after `first` ms, each handler takes `work` ms and then sets
// the timer to 15 ms, as the frame tick does; the loop stalls once, at
// stallAt, for `stall` ms. The other timer, set to 0, never fires.
std::vector<int> TickTimes(int first, int work, int stallAt, int stall, int until) {
    TimerSchedule s;
    s.Set(0, first, t0);
    s.Set(1, 0, t0);
    std::vector<int> fired;
    for (auto now = t0; auto due = s.NextDue();) {
        now = std::max(now, *due);
        if (At(now) >= Ms(until)) break;
        if (stallAt >= 0 && At(now) >= Ms(stallAt)) now += Ms(stall), stallAt = -1;
        for (int id; (id = s.Start(now)) >= 0;) {
            EXPECT_EQ(id, 0);
            fired.push_back(static_cast<int>(At(now).count()));
            now += Ms(work);
            s.Set(id, 15, now);
            s.Finish(id);
        }
    }
    return fired;
}

TEST(TimerSchedule, FiresOnTheBeat) {
    EXPECT_EQ(TickTimes(10, 0, -1, 0, 100), (std::vector<int>{10, 25, 40, 55, 70, 85}));
    // A handler that takes time does not push the beat back: the tick
    // re-sets its own unchanged interval, which keeps the beat. Only the
    // first tick's change from 10 to 15 counts from its end.
    EXPECT_EQ(TickTimes(10, 4, -1, 0, 100), (std::vector<int>{10, 29, 44, 59, 74, 89}));
    // The tick due at 30 runs at 80: no burst for 45, 60 and 75, one late
    // tick, then back on the old beat.
    EXPECT_EQ(TickTimes(15, 0, 30, 50, 130), (std::vector<int>{15, 80, 90, 105, 120}));
}

TEST(TimerSchedule, SettingRestartsTheCountOrStopsAndTheEarliestFiresFirst) {
    TimerSchedule s;
    s.Set(1, 100, t0);
    s.Set(1, 100, t0 + 60ms); // same interval from outside its handler
    EXPECT_EQ(At(*s.NextDue()), Ms(160));
    s.Set(1, 40, t0 + 70ms);
    EXPECT_EQ(At(*s.NextDue()), Ms(110));
    s.Set(1, 0, t0 + 80ms);
    EXPECT_FALSE(s.NextDue());
    EXPECT_EQ(s.Start(t0 + 1000ms), -1);
    // Of two timers due, the earlier fires first.
    s.Set(0, 30, t0);
    s.Set(1, 10, t0);
    EXPECT_EQ(s.Start(t0 + 50ms), 1);
    EXPECT_EQ(s.Start(t0 + 50ms), 0);
}

TEST(TimerSchedule, ARunningTimerWaitsForItsHandler) {
    TimerSchedule s;
    s.Set(0, 15, t0);
    s.Set(1, 20, t0);
    ASSERT_EQ(s.Start(t0 + 15ms), 0);
    // While the tick yields, only the other timer can come due.
    EXPECT_EQ(At(*s.NextDue()), Ms(20));
    EXPECT_EQ(s.Start(t0 + 40ms), 1);
    EXPECT_EQ(s.Start(t0 + 40ms), -1); // both busy
    s.Finish(1);
    EXPECT_EQ(At(*s.NextDue()), Ms(60)); // 20 was late, 40 is skipped
    s.Finish(0);
    // The tick that came due during the yield runs once, late.
    EXPECT_EQ(s.Start(t0 + 41ms), 0);
    EXPECT_EQ(s.Start(t0 + 41ms), -1);
}

} // namespace
} // namespace linesaver::testing
