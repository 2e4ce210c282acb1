// Where the render tool stops a run (what it draws, and the traces' form,
// are pinned by the recorded digests and the gallery). And the soak's state
// check: a sound state passes, and each way a field can leave its range is
// named.
#include "platform/raster/pixel_canvas.h"
#include "tools/render/headless_render.h"
#include "tools/render/headless_soak.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

namespace linesaver {
namespace {

// A whole run of pattern 4 standing still is 371 circles and the tick that
// ends it; a run stops after the ticks asked for, or at the limit when
// nothing ends it, as in an empty slot. What it draws, the gallery pins.
TEST(DrawRun, StopsAtTheRunsEndOrWhereTold) {
    RunSetup s;
    s.set.anchor = {{7680, 5760}};
    s.set.velocity = {{0, 0}};
    PixelCanvas canvas(320, 240, 320.0 / 15360);
    EXPECT_EQ(DrawRun(4, s, kRunTickLimit, canvas), 372);
    EXPECT_EQ(DrawRun(1, s, 10, canvas), 10);
    EXPECT_EQ(DrawRun(62, s, kRunTickLimit, canvas), kRunTickLimit);
}

class NullSink final : public DrawingSink {
public:
    void Clear() override {}
    void Line(float, float, float, float, Colour) override {}
    void Circle(float, float, float, Colour) override {}
};

TEST(SoakState, EachFieldOutOfItsRangeIsNamed) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* named;
        std::function<void(SaverState&)> spoil;
    };
    const Case cases[] = {
        {"red level", [](SaverState& s) { s.colourLevel[0] = 256; }},
        {"green level", [](SaverState& s) { s.colourLevel[1] = -3; }},
        {"green direction", [](SaverState& s) { s.colourDirection[1] = 0; }},
        {"pattern", [](SaverState& s) { s.pattern = 0; }},
        {"pattern", [](SaverState& s) { s.pattern = 62; }},
        {"runs done", [](SaverState& s) { s.runsDone = 2; }},
        {"phase", [nan](SaverState& s) { s.phase = nan; }},
        {"phase", [](SaverState& s) { s.phase = -0.01; }},
        {"phase", [](SaverState& s) { s.phase = s.fullTurn + 31 * 15360.0 / 30000 + 0.03; }},
        {"anchor x", [inf](SaverState& s) { s.anchor.x = inf; }},
        {"velocity y", [nan](SaverState& s) { s.velocity.y = nan; }},
    };
    NullSink sink;
    RunSetup setup;
    setup.set.pattern = 1;
    HeadlessSaver run(setup, sink);
    run.Tick();
    const SaverState sound = run.State();
    ASSERT_EQ(StateFault(sound), "");
    for (const auto& c : cases) {
        SaverState spoilt = sound;
        c.spoil(spoilt);
        EXPECT_EQ(StateFault(spoilt).rfind(c.named, 0), 0u) << c.named << ": " << StateFault(spoilt);
    }
}

} // namespace
} // namespace linesaver
