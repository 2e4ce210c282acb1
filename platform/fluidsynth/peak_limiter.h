// A look-ahead peak limiter for the synth's stereo output, so that no
// sample leaves above the ceiling whatever a MIDI file asks of the synth.
//
// The signal is delayed by the look-ahead. A frame louder than the ceiling
// needs the gain ceiling / peak; the gain moves down to it in a straight
// line over the look-ahead, so it is there when that frame comes out, holds
// while louder frames follow, and then returns towards 1 over a few hundred
// milliseconds. Both channels take the same gain. While no frame needs
// less than 1 and the gain has returned all the way, the output is the
// input, delayed, bit for bit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace linesaver {

// The loudest sample the limiter lets out: -1.1 dBFS, a little under the
// -1 dBFS promised, so that rounding never reaches it.
inline constexpr float kLimiterCeiling = 0.8810489f;

class PeakLimiter {
public:
    // Sized for sampleRate frames a second; allocates here and nowhere else.
    explicit PeakLimiter(int sampleRate);

    // Limits frames stereo frames (left and right interleaved) in place.
    // Each comes out LookAheadFrames() frames later than it went in.
    void Process(float* samples, int frames) noexcept;
    // Silence in the delay, the gain at 1: the next sound starts afresh.
    void Reset() noexcept;

    int LookAheadFrames() const { return lookAhead_; }
    // The gain of the last frame put out; 1 when nothing is being limited.
    double Gain() const { return gain_; }

private:
    // A frame that needs the gain at or below `gain`.
    struct Need {
        std::uint64_t frame;
        float gain;
    };

    bool Resting() const;
    void Delay(float* frame) noexcept;
    void Limit(float* frame) noexcept;
    Need& NeedAt(std::size_t index) { return needs_[index & (needs_.size() - 1)]; }

    const int lookAhead_;
    const double release_; // the share of the way back to 1 a frame goes
    const double perHeld_; // 1 / lookAhead_
    std::uint64_t frame_ = 0;
    // The delay line, one stereo frame a slot.
    std::vector<float> delay_;
    int delayAt_ = 0;
    // The needs of the frames still in the delay and the frame coming in,
    // each lower than the ones after it: needs_[first..end), counted on
    // without end and wrapped into a ring of a power of two slots, more
    // than lookAhead_.
    std::vector<Need> needs_;
    std::size_t needsFirst_ = 0;
    std::size_t needsEnd_ = 0;
    // The held gain over the last lookAhead_ frames, whose mean is the gain
    // applied; a ring, with its sum.
    std::vector<double> held_;
    int heldAt_ = 0;
    double heldSum_ = 0;
    double hold_ = 1;    // the held gain of the frame coming in
    int restingFor_ = 0; // frames since the held gain was last below 1
    double gain_ = 1;
};

} // namespace linesaver
