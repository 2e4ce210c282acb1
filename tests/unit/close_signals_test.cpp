// SIGINT, SIGTERM and SIGHUP become close requests. Each case runs in a
// child process, so a signal that got through would kill only the child.
#include "platform/close_signals.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

namespace linesaver {
namespace {

// Waits up to two seconds for count to reach n.
bool WaitFor(const std::atomic<int>& count, int n) {
    for (int i = 0; i < 200 && count.load() < n; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return count.load() == n;
}

// Each signal wakes the handler, also one that came before Start, during
// start-up.
TEST(CloseSignalsDeathTest, EachSignalWakesOnceEvenBeforeStart) {
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        for (bool early : {true, false}) {
            EXPECT_EXIT(
                {
                    CloseSignals signals;
                    if (early) ::kill(::getpid(), sig);
                    std::atomic<int> wakes{0};
                    signals.Start([&] { ++wakes; });
                    if (!early) ::kill(::getpid(), sig);
                    const bool woke = WaitFor(wakes, 1);
                    signals.Stop();
                    std::_Exit(woke ? 0 : 1);
                },
                testing::ExitedWithCode(0), "")
                << strsignal(sig) << (early ? " before Start" : "");
        }
}

TEST(CloseSignalsDeathTest, NoWakeAfterStopAndNoDeathEither) {
    EXPECT_EXIT(
        {
            std::atomic<int> wakes{0};
            {
                CloseSignals signals;
                signals.Start([&] { ++wakes; });
                signals.Stop();
                ::kill(::getpid(), SIGTERM); // while closing down
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            std::_Exit(wakes.load() == 0 ? 3 : 1);
        },
        testing::ExitedWithCode(3), "");
}

} // namespace
} // namespace linesaver
