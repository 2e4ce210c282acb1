// The soak's state check: a sound state passes, and each way a field can
// leave its range is named.
#include "platform/headless_soak.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

namespace linesaver {
namespace {

class NullSink final : public DrawingSink {
public:
    void Cls() override {}
    void Line(float, float, float, float, Colour) override {}
    void Circle(float, float, float, Colour) override {}
};

TEST(SoakState, EachFieldOutOfItsRangeIsNamed) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* named;
        std::function<void(Form1&)> spoil;
    };
    const Case cases[] = {
        {"col(1,1)", [](Form1& f) { f.col[1][1] = 256; }},
        {"col(2,1)", [](Form1& f) { f.col[2][1] = -3; }},
        {"col(3,1)", [](Form1& f) { f.col[3][1] = 7.5; }},
        {"col(2,2)", [](Form1& f) { f.col[2][2] = 0; }},
        {"q =", [](Form1& f) { f.q = 0; }},
        {"q =", [](Form1& f) { f.q = 62; }},
        {"q =", [](Form1& f) { f.q = 1.5; }},
        {"q0", [](Form1& f) { f.q0 = 2; }},
        {"q1", [](Form1& f) { f.q1 = 2; }},
        {"a4", [](Form1& f) { f.a4 = 0.5; }},
        {"a1", [nan](Form1& f) { f.a1 = nan; }},
        {"a1", [](Form1& f) { f.a1 = -0.01; }},
        {"a1", [](Form1& f) { f.a1 = f.p0 + 31 * 15360.0 / 30000 + 0.03; }},
        {"px(1)", [inf](Form1& f) { f.px[1] = inf; }},
        {"py(2)", [nan](Form1& f) { f.py[2] = nan; }},
    };
    NullSink sink;
    RunSetup setup;
    setup.set.pattern = 1;
    HeadlessSaver run(setup, sink);
    run.Tick();
    const Form1 sound = run.form();
    ASSERT_EQ(StateFault(sound), "");
    for (const auto& c : cases) {
        Form1 f = sound;
        c.spoil(f);
        EXPECT_EQ(StateFault(f).rfind(c.named, 0), 0u) << c.named << ": " << StateFault(f);
    }
}

} // namespace
} // namespace linesaver
