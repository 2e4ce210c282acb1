// linesaver-bench-ticks: the cost of one frame tick in-process.
//
//   Tick/null/W/H     engine and patterns alone, drawing to a sink that only
//                     counts, patterns chosen at random as the saver does
//   Tick/canvas/W/H   the same on the real canvas at W x H pixels, with the
//                     changed rectangles taken as a window presents them
//   Tick/cold/W/H     the same with the caches and address translations
//                     emptied before every tick, as the running saver finds
//                     them after 15 ms of other programs and the X server
//   Pattern/N         pattern N alone on the 1920 x 1080 canvas, run after
//                     run, so the dearest figures stand out
#include "bench/bench_sinks.h"
#include "patterns/table.h"
#include "platform/headless/headless_platform.h"
#include "platform/raster/pixel_canvas.h"
#include "tools/render/headless_render.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstddef>
#include <vector>

namespace linesaver::bench {
namespace {

constexpr double kTwips = 15;

// The saver started on the headless platform at widthPx x heightPx,
// drawing into sink.
struct Bench {
    Bench(int widthPx, int heightPx, DrawingSink& sink)
        : platform(widthPx * kTwips, heightPx * kTwips, 1, sink), saver(platform), f(saver.State()) {
        saver.Start();
    }
    HeadlessPlatform platform;
    Saver saver;
    SaverState& f;
};

void SetTickCounters(benchmark::State& state, const DrawCounts& counts) {
    const auto ticks = static_cast<double>(state.iterations());
    state.counters["draws/tick"] = benchmark::Counter(static_cast<double>(counts.draws) / ticks);
    state.counters["px/tick"] = benchmark::Counter(static_cast<double>(counts.pixels) / ticks);
    state.counters["rects/tick"] = benchmark::Counter(static_cast<double>(counts.rects) / ticks);
}

void TickNull(benchmark::State& state) {
    CountingSink sink;
    Bench b(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), sink);
    for (auto _ : state) b.saver.FrameTick();
    SetTickCounters(state, {sink.draws, 0, 0});
}

// Memory larger than the last-level cache, written a cache line at a time
// so that neither the canvas's lines nor its pages' translations stay.
class CacheFlusher {
public:
    CacheFlusher() : junk_(std::size_t{64} << 20) {}
    void Flush() {
        for (std::size_t i = 0; i < junk_.size(); i += 64) junk_[i] = static_cast<unsigned char>(junk_[i] + 1);
        benchmark::DoNotOptimize(junk_.data());
        benchmark::ClobberMemory();
    }

private:
    std::vector<unsigned char> junk_;
};

// Ticks the saver on a real canvas of w x h pixels, taking the changed
// rectangles after every tick. pattern > 0 keeps that pattern current: a
// retired run starts again at once. A flusher empties the caches before
// every tick, and only the ticks are timed.
void RunOnCanvas(benchmark::State& state, int w, int h, int pattern, CacheFlusher* flusher = nullptr) {
    PixelCanvas canvas(w, h, 1 / kTwips);
    if (!canvas.Ok()) {
        state.SkipWithError("no canvas");
        return;
    }
    CanvasSink canvasSink(canvas, false);
    CountingSink sink(&canvasSink);
    Bench b(w, h, sink);
    Presenter window;
    for (auto _ : state) {
        if (pattern > 0 && b.f.patternActive == 0) {
            b.f.pattern = pattern;
            b.f.patternActive = 1;
        }
        if (flusher == nullptr) {
            b.saver.FrameTick();
            window.Take(canvas);
            continue;
        }
        flusher->Flush();
        const auto start = std::chrono::steady_clock::now();
        b.saver.FrameTick();
        window.Take(canvas);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    window.counts.draws = sink.draws;
    SetTickCounters(state, window.counts);
}

void TickCanvas(benchmark::State& state) {
    RunOnCanvas(state, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), 0);
}

void TickCold(benchmark::State& state) {
    CacheFlusher flusher;
    RunOnCanvas(state, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), 0, &flusher);
}

void PatternCanvas(benchmark::State& state) { RunOnCanvas(state, 1920, 1080, static_cast<int>(state.range(0))); }

void Sizes(benchmark::internal::Benchmark* b) {
    b->Args({1920, 1080})->Args({3840, 2160})->ArgNames({"w", "h"})->Unit(benchmark::kMicrosecond);
}

BENCHMARK(TickNull)->Name("Tick/null")->Args({1920, 1080})->ArgNames({"w", "h"})->Unit(benchmark::kMicrosecond);
BENCHMARK(TickCanvas)->Name("Tick/canvas")->Apply(Sizes)->MinTime(2.0);
BENCHMARK(TickCold)->Name("Tick/cold")->Apply(Sizes)->UseManualTime()->Iterations(3000);
BENCHMARK(PatternCanvas)->Name("Pattern")->DenseRange(1, PatternCount())->MinTime(0.1)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace linesaver::bench

BENCHMARK_MAIN();
