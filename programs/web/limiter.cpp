// The desktop's look-ahead limiter for the page's synthesizer: the page
// puts each block of stereo frames (left and right interleaved) into the
// limiter's samples and has them limited in place.
#include "platform/fluidsynth/peak_limiter.h"
#include "platform/web/page_entry.h"

#include <new>
#include <vector>

namespace {

// The most frames one call takes.
constexpr int kBlockFrames = 16384;

struct Limiter {
    explicit Limiter(int sampleRate) : limiter(sampleRate), samples(2 * kBlockFrames) {}
    linesaver::PeakLimiter limiter;
    std::vector<float> samples;
};

} // namespace

extern "C" {

LINESAVER_PAGE_ENTRY Limiter* linesaver_limiter_open(int sampleRate) { return new (std::nothrow) Limiter(sampleRate); }

LINESAVER_PAGE_ENTRY float* linesaver_limiter_samples(Limiter* limiter) { return limiter->samples.data(); }

LINESAVER_PAGE_ENTRY int linesaver_limiter_block_frames() { return kBlockFrames; }

LINESAVER_PAGE_ENTRY void linesaver_limiter_run(Limiter* limiter, int frames) {
    limiter->limiter.Process(limiter->samples.data(), frames < kBlockFrames ? frames : kBlockFrames);
}

LINESAVER_PAGE_ENTRY void linesaver_limiter_release(Limiter* limiter) { delete limiter; }

} // extern "C"
