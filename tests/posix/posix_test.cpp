// The private runtime folder, the single-instance lock and the close
// signals. (The program's folder through links: tests/e2e/install.sh.)
#include "platform/posix/close_signals.h"
#include "platform/posix/instance_lock.h"
#include "platform/posix/runtime_dir.h"
#include "tests/support/temp_drive.h"

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

} // namespace
} // namespace linesaver::testing
