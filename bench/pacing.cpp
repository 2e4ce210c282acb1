// linesaver-pacing: the real saver on the desktop platform for a fixed time,
// with a probe between the platform and the saver that timestamps every
// frame tick and the first frame that reaches the screen.
//
//   linesaver-pacing [--seconds S] [--launched-at NS]
//
// Prints one line of JSON: the tick intervals (mean, median, 99th
// percentile, largest, in ms), the ticks missed, the time to the first
// drawn frame on screen from the process start (--launched-at, the
// CLOCK_MONOTONIC time in ns just before the process was started) and from
// main, and the mean wall time of a tick and of the present after it (µs). The music plays as in the saver: from the music folder beside this
// program.
#include "platform/sdl/sdl_platform.h"
#include "platform/wayland/wayland_platform.h"
#include "shell/saver.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <vector>

namespace {

using namespace linesaver;
using Clock = std::chrono::steady_clock;

constexpr double kTickMs = 15;

class Probe;
void Report(const Probe& probe);

// Forwards every event to the saver; timestamps the frame ticks and, once
// the time is up, prints the report and leaves the saver as a key press
// would.
class Probe final : public SaverEvents {
public:
    Probe(Saver& saver, Clock::time_point end, std::size_t mostTicks, Clock::time_point launchedAt,
          Clock::time_point mainStartedAt)
        : launched(launchedAt), mainStart(mainStartedAt), saver_(saver), end_(end) {
        ticks.reserve(mostTicks);
    }

    void Start() override { saver_.Start(); }
    void MouseMoved(double x, double y) override { saver_.MouseMoved(x, y); }
    void Clicked() override { saver_.Clicked(); }
    void KeyPressed() override { saver_.KeyPressed(); }
    void CloseRequested() override { saver_.CloseRequested(); }
    void Leave(int status) override { saver_.Leave(status); }
    void FrameTick() override {
        const auto now = Clock::now();
        if (now >= end_) {
            Report(*this);
            saver_.Leave(0);
        }
        if (ticks.size() < ticks.capacity()) ticks.push_back(now);
        saver_.FrameTick();
        tickEnd_ = Clock::now();
        working += *tickEnd_ - now;
    }
    void MusicPoll() override { saver_.MusicPoll(); }

    // After each present: the first one after a tick is the first frame.
    // Also times the present that follows a tick.
    void Presented() {
        const auto now = Clock::now();
        if (!firstFrame && !ticks.empty()) firstFrame = now;
        if (tickEnd_) {
            presenting += now - *tickEnd_;
            ++presents;
            tickEnd_.reset();
        }
    }

    std::vector<Clock::time_point> ticks;
    std::optional<Clock::time_point> firstFrame;
    Clock::duration working{};    // inside the ticks
    Clock::duration presenting{}; // from the end of a tick until its frame is presented
    long presents = 0;
    const Clock::time_point launched; // just before the process was started
    const Clock::time_point mainStart;

private:
    Saver& saver_;
    Clock::time_point end_;
    std::optional<Clock::time_point> tickEnd_;
};

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void Report(const Probe& probe) {
    const Clock::time_point launched = probe.launched;
    const Clock::time_point mainStart = probe.mainStart;
    std::vector<double> gaps;
    for (std::size_t i = 1; i < probe.ticks.size(); ++i) gaps.push_back(Ms(probe.ticks[i] - probe.ticks[i - 1]));
    double sum = 0;
    long missed = 0;
    for (double g : gaps) {
        sum += g;
        missed += std::max(0L, std::lround(g / kTickMs) - 1);
    }
    std::sort(gaps.begin(), gaps.end());
    auto at = [&](double share) {
        if (gaps.empty()) return 0.0;
        const auto i = static_cast<std::size_t>(std::ceil(share * static_cast<double>(gaps.size()))) - 1;
        return gaps[std::min(i, gaps.size() - 1)];
    };
    const double first = probe.firstFrame ? Ms(*probe.firstFrame - launched) : -1;
    const double firstFromMain = probe.firstFrame ? Ms(*probe.firstFrame - mainStart) : -1;
    const double tickUs = probe.ticks.empty() ? 0 : 1000 * Ms(probe.working) / static_cast<double>(probe.ticks.size());
    const double presentUs =
        probe.presents == 0 ? 0 : 1000 * Ms(probe.presenting) / static_cast<double>(probe.presents);
    std::printf("{\"ticks\": %zu, \"mean_ms\": %.3f, \"median_ms\": %.3f, \"p99_ms\": %.3f, \"max_ms\": %.3f, "
                "\"missed\": %ld, \"first_frame_ms\": %.1f, \"first_frame_from_main_ms\": %.1f, "
                "\"tick_us\": %.1f, \"present_us\": %.1f}\n",
                probe.ticks.size(), gaps.empty() ? 0.0 : sum / static_cast<double>(gaps.size()), at(0.5), at(0.99),
                gaps.empty() ? 0.0 : gaps.back(), missed, first, firstFromMain, tickUs, presentUs);
}

} // namespace

int main(int argc, char** argv) {
    const auto mainStart = Clock::now();
    CLI::App app{"The saver for a fixed time, with its frame ticks timed"};
    double seconds = 30;
    long long launchedAt = -1;
    app.add_option("--seconds", seconds, "how long to run")->check(CLI::Range(0.1, 3600.0));
    app.add_option("--launched-at", launchedAt, "CLOCK_MONOTONIC ns just before the process was started");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    }
    const auto launched = launchedAt >= 0 ? Clock::time_point(std::chrono::nanoseconds(launchedAt)) : mainStart;
    // The desktop the saver picks: its own Wayland one where the session
    // names a compositor, else SDL's X11 one.
    auto run = [&](auto platform, const std::string& error) {
        if (!platform) {
            std::fprintf(stderr, "linesaver-pacing: cannot open a display: %s\n", error.c_str());
            return 1;
        }
        Saver saver(*platform);
        const auto mostTicks = static_cast<std::size_t>(seconds * 1000 / kTickMs) + 100;
        const auto end =
            Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
        Probe probe(saver, end, mostTicks, launched, mainStart);
        platform->SetPresentObserver([&probe] { probe.Presented(); });
        platform->Run(probe);
    };
    try {
        std::string error;
        const char* wayland = std::getenv("WAYLAND_DISPLAY");
        if (wayland && *wayland) return run(WaylandPlatform::Open(error), error);
        return run(SdlPlatform::Open(error), error);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "linesaver-pacing: %s\n", e.what());
        return 1;
    }
}
