// The limiter on made-up stereo signals: what stays under the ceiling comes
// out bit for bit, only later; what goes over comes out under -1 dBFS, the
// gain moving in small steps, and afterwards the gain comes all the way
// back.
#include "platform/fluidsynth/peak_limiter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <vector>

namespace linesaver::testing {
namespace {

constexpr int kRate = 44100;
const float kMinus1Dbfs = 0.89125094f; // 10^(-1/20)

using Signal = std::vector<float>; // stereo frames, left and right interleaved

int Frames(double seconds) { return static_cast<int>(seconds * kRate); }

// level(frame) on both channels, a sine of hz under it when hz > 0.
Signal Make(double seconds, const std::function<float(int)>& level, double hz = 440) {
    Signal s;
    for (int i = 0; i < Frames(seconds); ++i) {
        const double wave = hz > 0 ? std::sin(2 * M_PI * hz * i / kRate) : 1;
        const float v = static_cast<float>(level(i) * wave);
        s.insert(s.end(), {v, -v});
    }
    return s;
}
Signal Sine(double seconds, float amplitude) {
    return Make(seconds, [=](int) { return amplitude; });
}
Signal Then(Signal a, const Signal& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct Limited {
    Signal out;
    std::vector<double> gains; // after each frame, when run a frame at a time
    int lookAhead = 0;
};

// The signal through a fresh limiter, block frames at a time; or through
// one that limited `before` and was then reset.
Limited Limit(Signal in, int block, Signal before = {}) {
    PeakLimiter limiter(kRate);
    if (!before.empty()) {
        limiter.Process(before.data(), static_cast<int>(before.size() / 2));
        limiter.Reset();
    }
    Limited run{in, {}, limiter.LookAheadFrames()};
    const int frames = static_cast<int>(in.size() / 2);
    for (int at = 0; at < frames; at += block) {
        limiter.Process(run.out.data() + 2 * at, std::min(block, frames - at));
        if (block == 1) run.gains.push_back(limiter.Gain());
    }
    return run;
}

float Peak(const Signal& s, std::size_t from = 0, std::size_t to = SIZE_MAX) {
    float peak = 0;
    for (std::size_t i = from; i < std::min(to, s.size()); ++i) peak = std::max(peak, std::fabs(s[i]));
    return peak;
}

// Also after a reset: nothing of what came before is left in the delay
// or the gain.
TEST(PeakLimiter, QuietSignalsComeOutBitForBitOnlyLater) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
    const struct {
        const char* what;
        Signal in;
        Signal before = {};
        // clang-format off
    } cases[] = {
        {"silence", Sine(0.5, 0)},
        {"a sine at -3 dBFS", Sine(1, 0.7079f)},
        {"a sine just under the ceiling", Sine(1, kLimiterCeiling)},
        {"noise at -6 dBFS", Make(1, [&](int) { return noise(random); }, 0)},
        {"a step from silence to -2 dBFS", Make(0.5, [](int i) { return i < 1000 ? 0.f : 0.794f; }, 0)},
        {"a sine at -6 dBFS after a loud one and a reset", Sine(0.1, 0.5), Sine(0.2, 8)},
    };
    // clang-format on
    for (const auto& c : cases) {
        const Limited run = Limit(c.in, 512, c.before);
        const std::size_t delay = 2 * static_cast<std::size_t>(run.lookAhead);
        EXPECT_EQ(Peak(run.out, 0, delay), 0) << c.what << ": the delay starts silent";
        EXPECT_TRUE(std::equal(c.in.begin(), c.in.end() - delay, run.out.begin() + delay)) << c.what;
    }
}

TEST(PeakLimiter, LoudSignalsStayUnderMinus1DbfsWithTheGainInSmallSteps) {
    std::mt19937 random(11);
    std::uniform_real_distribution<float> noise(-5, 5);
    const struct {
        const char* what;
        Signal in;
        // clang-format off
    } cases[] = {
        {"a step from -20 dBFS to 4x full scale", Make(1, [](int i) { return i < Frames(0.3) ? 0.1f : 4.f; })},
        {"one sample at 12x in a quiet sine",
         Make(1, [](int i) { return i == Frames(0.5) ? 12.f : 0.2f; }, 0)},
        {"a 50 ms burst at 3x", Make(1, [](int i) { return i >= Frames(0.4) && i < Frames(0.45) ? 3.f : 0.3f; })},
        {"noise at 5x", Make(0.5, [&](int) { return noise(random); }, 0)},
        {"a square wave at 12x", Make(0.5, [](int i) { return i % 100 < 50 ? 12.f : -12.f; }, 0)},
        {"bursts that grow", Make(1, [](int i) { return 1.f + static_cast<float>(i / Frames(0.1)); })},
    };
    // clang-format on
    for (const auto& c : cases) {
        const Limited run = Limit(c.in, 1);
        EXPECT_LT(Peak(run.out), kMinus1Dbfs) << c.what;
        EXPECT_GT(Peak(run.out), 0.7f * kMinus1Dbfs) << c.what << ": no more gain taken than needed";
        // Down to any gain over the look-ahead, no faster.
        double largestStep = 0;
        for (std::size_t i = 1; i < run.gains.size(); ++i)
            largestStep = std::max(largestStep, std::fabs(run.gains[i] - run.gains[i - 1]));
        EXPECT_LE(largestStep, 1.0 / run.lookAhead + 1e-9) << c.what;
    }
}

TEST(PeakLimiter, TheGainComesBackAfterALoudPassage) {
    const float quiet = 0.25f;
    const Signal in = Then(Sine(0.5, 4), Sine(2.5, quiet));
    const Limited run = Limit(in, 1);
    auto gainAfter = [&](double seconds) { return run.gains.at(run.lookAhead + Frames(0.5 + seconds)); };
    EXPECT_LT(gainAfter(0.02), 0.5) << "it lets go over a few hundred ms, not at once";
    EXPECT_GT(gainAfter(1.0), std::pow(10, -0.1 / 20)) << "within 0.1 dB a second later";
    EXPECT_EQ(gainAfter(2.0), 1.0) << "and all the way two seconds later";
    const std::size_t tail = 2 * static_cast<std::size_t>(Frames(0.3));
    EXPECT_TRUE(std::equal(in.end() - tail - 2 * run.lookAhead, in.end() - 2 * run.lookAhead, run.out.end() - tail))
        << "the quiet sine's end comes out untouched";
}

TEST(PeakLimiter, TheSameOutputWhateverTheBlocks) {
    const Signal in =
        Then(Then(Sine(0.3, 0.5), Make(0.2, [](int i) { return i % 3000 < 50 ? 6.f : 0.5f; })), Sine(2, 0.5));
    const Signal once = Limit(in, 1).out;
    for (int block : {7, 64, 2048, Frames(3)}) EXPECT_EQ(Limit(in, block).out, once) << "blocks of " << block;
}

} // namespace
} // namespace linesaver::testing
