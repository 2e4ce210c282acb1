// A platform without a display, for the render tool. Drawing goes to a
// sink (a text trace or a canvas); the clock seed comes from a fixed seed
// so every run is reproducible; the event loop has nothing to deliver; the
// file system is empty and the music player refuses every command, so the
// music never starts.
#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace linesaver {

class PixelCanvas;

// Where the window's drawing calls go.
class DrawingSink {
public:
    virtual ~DrawingSink() = default;
    virtual void Clear() = 0;
    virtual void Line(float x1, float y1, float x2, float y2, Colour c) = 0;
    virtual void Circle(float x, float y, float r, Colour c) = 0;
};

class HeadlessPlatform final : public Platform {
public:
    // With fixedSeed the clock's seed is the seed itself every time, as
    // the desktop's is under LINESAVER_SEED.
    HeadlessPlatform(double widthTwips, double heightTwips, std::uint64_t seed, DrawingSink& sink,
                     bool fixedSeed = false)
        : width_(widthTwips), height_(heightTwips), seed_(seed), fixedSeed_(fixedSeed), sink_(&sink) {}

    bool AnotherInstanceRunning() override { return false; }
    std::string ProgramFolder() override { return {}; }
    // The n-th seed of a run with seed S: the same S always gives the same
    // sequence, and different S give unrelated ones.
    std::uint64_t ClockSeed() override;

    double ScreenWidth() override { return width_; }
    double ScreenHeight() override { return height_; }
    void Clear() override { sink_->Clear(); }
    void Line(float x1, float y1, float x2, float y2, Colour c) override { sink_->Line(x1, y1, x2, y2, c); }
    void Circle(float x, float y, float r, Colour c) override { sink_->Circle(x, y, r, c); }

    // The caller drives the ticks itself; nothing else ever comes due.
    void SetTimerInterval(TimerId, int) override {}
    void YieldToEvents() override {}
    void ShowCursor(bool) override {}

    std::string FirstFileName(const std::string&) override { return {}; }
    std::string NextFileName() override { return {}; }
    bool RemoveFile(const std::string&) override { return false; }
    bool CopyFileTo(const std::string&, const std::string&) override { return false; }
    long SendPlayerCommand(const std::string& command, char* reply, int replyLength) override;

protected:
    // Nothing ends a headless run from inside: there is no input.
    void EndProcess(int status) override {
        std::fflush(nullptr);
        std::_Exit(status);
    }

private:
    double width_;
    double height_;
    std::uint64_t seed_;
    bool fixedSeed_;
    std::uint64_t seedsGiven_ = 0;
    DrawingSink* sink_;
};

// Writes the drawing calls as text, one line each:
//   tick N | cls | line X1 Y1 X2 Y2 C | circle X Y R C | state ...
// Lines collect in a buffer that goes to the file in large blocks.
class TraceWriter final : public DrawingSink {
public:
    explicit TraceWriter(std::FILE* out);
    explicit TraceWriter(std::string& out);
    ~TraceWriter() override;
    TraceWriter(const TraceWriter&) = delete;
    TraceWriter& operator=(const TraceWriter&) = delete;

    void Tick(long n);
    void Clear() override;
    void Line(float x1, float y1, float x2, float y2, Colour c) override;
    void Circle(float x, float y, float r, Colour c) override;

    // Hands the buffer to the file; false when the file refused it.
    bool Flush();

    // Any other line, formatted as by printf.
    void Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));

private:
    std::FILE* file_ = nullptr;
    std::string own_;
    std::string* text_;
    bool failed_ = false;
};

// Draws on a canvas. With holdClears the canvas is never cleared, so it
// keeps what a run drew after the run has ended.
class CanvasSink final : public DrawingSink {
public:
    CanvasSink(PixelCanvas& canvas, bool holdClears) : canvas_(&canvas), holdClears_(holdClears) {}
    void Clear() override;
    void Line(float x1, float y1, float x2, float y2, Colour c) override;
    void Circle(float x, float y, float r, Colour c) override;

private:
    PixelCanvas* canvas_;
    bool holdClears_;
};

} // namespace linesaver
