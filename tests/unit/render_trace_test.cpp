// The render tool's trace: the calls and the state in their printed form,
// and the same text whether it goes to a string or a file. The figures
// themselves are checked on the recording platform (tick_test.cpp).
#include "platform/headless_render.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

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
    s.set.mode = 1;
    s.set.colour = {{252, 3, 250}};
    s.set.directions = {{1, -1, 1}};
    EXPECT_EQ(Trace(s, 2),
              "tick 1\n"
              "circle 940.096 5760.000 2000.000 16711935\n" // 255, 0, 255
              "tick 2\n"
              "circle 1000.000 5760.000 2000.000 16123647\n" // 255, 6, 246
              "state a1=0.030000 a00=1.500000 q=4.000000 q0=1.000000 q1=0.000000 px1=1000.000000 "
              "py1=5760.000000 px2=59.904000 py2=0.000000 a4=1.000000 col=255,6,246/-1,1,-1\n");

    // A run that ends on the second tick: a line, then only a clear.
    s.set.pattern = 1;
    s.set.phase = 15.87;
    const std::string ending = Trace(s, 2);
    EXPECT_EQ(ending.rfind("tick 1\nline ", 0), 0u) << ending;
    EXPECT_NE(ending.find(" 16711935\ntick 2\ncls\nstate a1="), std::string::npos) << ending;
}

TEST(RenderTrace, AFileGetsTheSameTextAsAString) {
    // Long enough to pass the writer's block size several times.
    RunSetup s;
    s.set.pattern = 3;
    const std::string expected = Trace(s, 3000);
    ASSERT_GT(expected.size(), 100000u);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::tmpfile(), &std::fclose);
    ASSERT_NE(file, nullptr);
    {
        TraceWriter out(file.get());
        WriteTrace(s, 3000, out);
        EXPECT_TRUE(out.Flush());
    }
    std::rewind(file.get());
    std::string got(expected.size() + 1, '\0');
    got.resize(std::fread(got.data(), 1, got.size(), file.get()));
    EXPECT_EQ(got, expected);
}

} // namespace
} // namespace linesaver
