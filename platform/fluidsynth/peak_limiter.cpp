#include "platform/fluidsynth/peak_limiter.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <iterator>

namespace linesaver {
namespace {

constexpr double kLookAheadSeconds = 0.005;
// The time constant of the gain's way back to 1.
constexpr double kReleaseSeconds = 0.2;
// A held gain this close to 1 (0.001 dB) is 1.
constexpr double kNearlyOne = 1 - 1e-4;

int Next(int slot, int slots) { return slot + 1 == slots ? 0 : slot + 1; }

// The largest magnitude among count samples, in eight lanes side by side
// so that the compares do not wait on one another.
float PeakOf(const float* samples, int count) {
    float lanes[8] = {};
    int i = 0;
    for (; i + 8 <= count; i += 8)
        for (int k = 0; k < 8; ++k) lanes[k] = std::max(lanes[k], std::fabs(samples[i + k]));
    for (; i < count; ++i) lanes[0] = std::max(lanes[0], std::fabs(samples[i]));
    return *std::max_element(std::begin(lanes), std::end(lanes));
}

} // namespace

PeakLimiter::PeakLimiter(int sampleRate)
    : lookAhead_(std::max(1, static_cast<int>(std::lround(kLookAheadSeconds * sampleRate)))),
      release_(1 - std::exp(-1 / (kReleaseSeconds * std::max(sampleRate, 1)))), perHeld_(1.0 / lookAhead_),
      delay_(2 * static_cast<std::size_t>(lookAhead_)), needs_(std::bit_ceil(static_cast<std::size_t>(lookAhead_) + 1)),
      held_(static_cast<std::size_t>(lookAhead_)) {
    Reset();
}

void PeakLimiter::Reset() noexcept {
    std::fill(delay_.begin(), delay_.end(), 0.0f);
    std::fill(held_.begin(), held_.end(), 1.0);
    heldSum_ = lookAhead_;
    needsFirst_ = needsEnd_ = 0;
    hold_ = 1;
    restingFor_ = lookAhead_;
    gain_ = 1;
}

// Nothing is held below 1, nor will be while the frames stay quiet.
bool PeakLimiter::Resting() const { return needsFirst_ == needsEnd_ && restingFor_ >= lookAhead_; }

void PeakLimiter::Process(float* samples, int frames) noexcept {
    if (Resting() && PeakOf(samples, 2 * frames) <= kLimiterCeiling) {
        // Through the delay a run of slots at a time.
        for (int done = 0; done < frames;) {
            const int run = std::min(frames - done, lookAhead_ - delayAt_);
            std::swap_ranges(samples + 2 * done, samples + 2 * (done + run),
                             &delay_[2 * static_cast<std::size_t>(delayAt_)]);
            done += run;
            delayAt_ = (delayAt_ + run) % lookAhead_;
        }
        frame_ += static_cast<std::uint64_t>(frames);
        return;
    }
    for (int i = 0; i < frames; ++i) Limit(samples + 2 * i);
}

// Swaps the frame coming in for the one leaving the delay.
void PeakLimiter::Delay(float* frame) noexcept {
    float* slot = &delay_[2 * static_cast<std::size_t>(delayAt_)];
    std::swap(frame[0], slot[0]);
    std::swap(frame[1], slot[1]);
    delayAt_ = Next(delayAt_, lookAhead_);
    ++frame_;
}

void PeakLimiter::Limit(float* frame) noexcept {
    // The oldest need goes once its frame has left the delay.
    while (needsFirst_ != needsEnd_ && NeedAt(needsFirst_).frame + lookAhead_ < frame_) ++needsFirst_;
    const float peak = std::max(std::fabs(frame[0]), std::fabs(frame[1]));
    if (peak > kLimiterCeiling) {
        const float need = kLimiterCeiling / peak;
        // A need at or above this one is met by meeting this one.
        while (needsEnd_ != needsFirst_ && NeedAt(needsEnd_ - 1).gain >= need) --needsEnd_;
        NeedAt(needsEnd_++) = {frame_, need};
    }
    const double least = needsFirst_ != needsEnd_ ? NeedAt(needsFirst_).gain : 1.0;
    hold_ = least <= hold_ ? least : hold_ + (least - hold_) * release_;
    if (least == 1 && hold_ > kNearlyOne) hold_ = 1;
    restingFor_ = hold_ < 1 ? 0 : std::min(restingFor_ + 1, lookAhead_);

    double& oldest = held_[static_cast<std::size_t>(heldAt_)];
    heldSum_ += hold_ - oldest;
    oldest = hold_;
    heldAt_ = Next(heldAt_, lookAhead_);
    if (restingFor_ >= lookAhead_) heldSum_ = lookAhead_; // every held gain is 1: no rounding left
    gain_ = restingFor_ >= lookAhead_ ? 1.0 : heldSum_ * perHeld_;

    Delay(frame);
    frame[0] = static_cast<float>(frame[0] * gain_);
    frame[1] = static_cast<float>(frame[1] * gain_);
}

} // namespace linesaver
