// Helpers of the tick benchmarks: a drawing sink that counts, and a
// stand-in for the window that takes the canvas's changed rectangles after
// every tick, as the desktop platform does when it presents.
#pragma once

#include "platform/headless/headless_platform.h"
#include "platform/raster/pixel_canvas.h"

#include <cstdint>

namespace linesaver::bench {

struct DrawCounts {
    std::int64_t draws = 0;  // segments and circles drawn
    std::int64_t pixels = 0; // pixels presented
    std::int64_t rects = 0;  // rectangles presented
};

// Counts the segments and circles, and hands every call on to next (if any).
class CountingSink final : public DrawingSink {
public:
    explicit CountingSink(DrawingSink* next = nullptr) : next_(next) {}
    void Clear() override {
        if (next_) next_->Clear();
    }
    void Line(float x1, float y1, float x2, float y2, Colour c) override {
        ++draws;
        if (next_) next_->Line(x1, y1, x2, y2, c);
    }
    void Circle(float x, float y, float r, Colour c) override {
        ++draws;
        if (next_) next_->Circle(x, y, r, c);
    }
    std::int64_t draws = 0;

private:
    DrawingSink* next_;
};

// What a window would present after each tick: the changed rectangles,
// taken from the canvas and counted.
class Presenter {
public:
    void Take(PixelCanvas& canvas) {
        for (const PixelRect& r : canvas.TakeDirty()) {
            counts.pixels += static_cast<std::int64_t>(r.w) * r.h;
            ++counts.rects;
        }
    }
    DrawCounts counts;
};

} // namespace linesaver::bench
