// The render tool's runs: the saver started on the headless platform,
// forced into a chosen state and ticked, its drawing traced as text or
// drawn on a canvas and written as PNG.
#pragma once

#include "platform/headless/headless_platform.h"
#include "shell/saver.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace linesaver {

// Start-up values a run may override; what is unset keeps the value
// start-up gave it.
struct Overrides {
    std::optional<int> pattern;                    // already active, so the first tick draws it
    std::optional<double> phase;                   // also the run's start
    std::optional<double> runStart;                // set after the phase
    std::optional<std::array<double, 2>> anchor;   // twips
    std::optional<std::array<double, 2>> velocity; // twips per tick
    std::optional<MotionMode> mode;
    std::optional<std::array<int, 3>> colour;     // red, green, blue levels
    std::optional<std::array<int, 3>> directions; // +1 or -1 each
};

struct RunSetup {
    int width = 1024; // screen, pixels; 15 twips each
    int height = 768;
    std::uint64_t seed = 1;
    bool fixedSeed = false; // the seed as the desktop takes LINESAVER_SEED
    Overrides set;
};

// The saver started up on the headless platform with the overrides applied.
class HeadlessSaver {
public:
    HeadlessSaver(const RunSetup& setup, DrawingSink& sink);
    SaverState& State() { return saver_.State(); }
    void Tick() { saver_.FrameTick(); }

private:
    HeadlessPlatform platform_;
    Saver saver_;
};

// `ticks` frame ticks, each announced by its "tick N" line, then the state.
void WriteTrace(const RunSetup& setup, long ticks, TraceWriter& out);

// Ticks pattern `pattern` until its run ends (or maxTicks have run) and
// leaves on the canvas what the screen showed just before the run's final
// clear. The canvas's scale maps the setup's screen onto it. Returns the
// number of ticks run.
long DrawRun(int pattern, const RunSetup& setup, long maxTicks, PixelCanvas& canvas);

// Enough ticks for the longest run of any pattern.
inline constexpr long kRunTickLimit = 1000;

// One run on a canvas of the screen's size, written as PNG. On failure
// returns false and says why in `error`.
bool RenderPattern(int pattern, const RunSetup& setup, long maxTicks, const std::string& path, std::string& error);

// The picture after `ticks` frame ticks from start-up, with the saver's own
// choices from the seed as the desktop takes LINESAVER_SEED, written as PNG.
bool RenderFrame(const RunSetup& setup, long ticks, const std::string& path, std::string& error);

// A contact sheet of one run of every pattern, each tile labelled with its
// number.
bool RenderGallery(std::uint64_t seed, const std::string& path, std::string& error);

} // namespace linesaver
