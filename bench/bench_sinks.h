// Helpers of the tick benchmarks: a drawing sink that counts, and a
// stand-in for the window that copies out the canvas's changed rectangle
// after every tick, as the desktop platform does before it presents.
#pragma once

#include "platform/cairo_canvas.h"
#include "platform/headless_platform.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace linesaver::bench {

struct DrawCounts {
    std::int64_t draws = 0;  // segments and circles drawn
    std::int64_t pixels = 0; // pixels copied to the window
};

// Counts the segments and circles, and hands every call on to next (if any).
class CountingSink final : public DrawingSink {
public:
    explicit CountingSink(DrawingSink* next = nullptr) : next_(next) {}
    void Cls() override {
        if (next_) next_->Cls();
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

class WindowCopy {
public:
    WindowCopy(int width, int height) : stride_(static_cast<std::size_t>(width) * 4), pixels_(stride_ * height) {}

    // Copies what changed since the last call into the window's pixels.
    void Take(CairoCanvas& canvas) {
        PixelRect r;
        bool whole = false;
        if (!canvas.TakeDirty(r, whole)) return;
        const unsigned char* from = canvas.Data();
        const auto canvasStride = static_cast<std::size_t>(canvas.Stride());
        const auto rowBytes = static_cast<std::size_t>(r.w) * 4;
        for (int y = r.y; y < r.y + r.h; ++y)
            std::memcpy(&pixels_[y * stride_ + r.x * 4], from + y * canvasStride + r.x * 4, rowBytes);
        counts.pixels += static_cast<std::int64_t>(r.w) * r.h;
    }

    DrawCounts counts;

private:
    std::size_t stride_;
    std::vector<unsigned char> pixels_;
};

} // namespace linesaver::bench
