// The render tool's trace: the calls and the state in their printed form
// after a forced start (the traces of whole runs, written to a file, are
// pinned by their recorded digests). And the soak's state check: a sound
// state passes, and each way a field can leave its range is named.
#include "tools/render/headless_render.h"
#include "tools/render/headless_soak.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>

namespace linesaver {
namespace {

std::string Trace(const RunSetup& setup, long ticks) {
    std::string text;
    TraceWriter out(text);
    WriteTrace(setup, ticks, out);
    return text;
}

// Pattern 4 forced two ticks from phase -0.03: a circle of radius 2000
// about an anchor left of the middle band, moving left, which the band
// turns back; each colour step shows in the circle's colour.
TEST(RenderTrace, PrintsCallsAndStateInTheAgreedFormat) {
    RunSetup s;
    s.set.pattern = 4;
    s.set.phase = -0.03;
    s.set.runStart = 1.5;
    s.set.anchor = {{1000, 5760}};
    s.set.velocity = {{-59.904, 0}};
    s.set.mode = MotionMode::BounceInBand;
    s.set.colour = {{252, 3, 250}};
    s.set.directions = {{1, -1, 1}};
    EXPECT_EQ(Trace(s, 2),
              "tick 1\n"
              "circle 940.096 5760.000 2000.000 16711935\n" // 255, 0, 255
              "tick 2\n"
              "circle 1000.000 5760.000 2000.000 16123647\n" // 255, 6, 246
              "state a1=0.030000 a00=1.500000 q=4.000000 q0=1.000000 q1=0.000000 px1=1000.000000 "
              "py1=5760.000000 px2=59.904000 py2=0.000000 a4=1.000000 col=255,6,246/-1,1,-1\n");
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
    const SaverState sound = run.state();
    ASSERT_EQ(StateFault(sound), "");
    for (const auto& c : cases) {
        SaverState spoilt = sound;
        c.spoil(spoilt);
        EXPECT_EQ(StateFault(spoilt).rfind(c.named, 0), 0u) << c.named << ": " << StateFault(spoilt);
    }
}

} // namespace
} // namespace linesaver
