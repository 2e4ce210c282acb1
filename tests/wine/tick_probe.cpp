// Measures the Windows desktop's frame timer: set to 15 ms from its own
// handler, as the saver does, for 400 ticks; prints the mean, the median
// and the 99th percentile of the intervals in milliseconds, then ends with
// status 0.
#include "platform/event_loop/desktop.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using namespace linesaver;

class TickProbe final : public SaverEvents {
public:
    explicit TickProbe(Platform& platform) : platform_(platform) { ticks_.reserve(kTicks); }
    void Start() override {}
    void MouseMoved(double, double) override {}
    void Clicked() override {}
    void KeyPressed() override {}
    void CloseRequested() override { Leave(0); }
    void MusicPoll() override {}
    void FrameTick() override {
        platform_.SetTimerInterval(TimerId::FrameTick, 15);
        ticks_.push_back(std::chrono::steady_clock::now());
        if (ticks_.size() == kTicks) Report();
        platform_.YieldToEvents();
    }
    void Leave(int status) override { platform_.End(status); }

private:
    static constexpr std::size_t kTicks = 400;

    void Report() {
        std::vector<double> intervals;
        for (std::size_t i = 1; i < ticks_.size(); ++i)
            intervals.push_back(std::chrono::duration<double, std::milli>(ticks_[i] - ticks_[i - 1]).count());
        const double mean = std::chrono::duration<double, std::milli>(ticks_.back() - ticks_.front()).count() /
                            static_cast<double>(intervals.size());
        std::sort(intervals.begin(), intervals.end());
        const double median = intervals[intervals.size() / 2];
        const double p99 = intervals[intervals.size() * 99 / 100];
        std::printf("%.2f %.2f %.2f\n", mean, median, p99);
        Leave(0);
    }

    Platform& platform_;
    std::vector<std::chrono::steady_clock::time_point> ticks_;
};

} // namespace

int main() {
    std::string error;
    auto desktop = OpenDesktop(error);
    if (!desktop) {
        std::fprintf(stderr, "tick_probe: %s\n", error.c_str());
        return 1;
    }
    TickProbe probe(*desktop);
    desktop->Run(probe);
}
