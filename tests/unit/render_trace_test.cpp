// The render tool's trace: forced runs of the simple patterns against
// figures worked out by hand, the tick that ends a run, the state line and
// reproducibility by seed.
#include "platform/headless_render.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <sstream>
#include <vector>

namespace linesaver {
namespace {

struct Item {
    std::string kind; // tick, cls, line, circle, state
    std::vector<double> v;
    std::string rest; // the state line after "state "
};

std::vector<Item> Parse(const std::string& text) {
    std::vector<Item> items;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        Item item;
        words >> item.kind;
        if (item.kind == "state") {
            item.rest = line.substr(6);
        } else {
            for (double x; words >> x;) item.v.push_back(x);
        }
        items.push_back(item);
    }
    return items;
}

std::string Trace(const RunSetup& setup, long ticks) {
    std::string text;
    TraceWriter out(text);
    WriteTrace(setup, ticks, out);
    return text;
}

// Pattern n already running at phase a1 - 0.03, so that this tick's colour
// step brings it to a1; the anchor stands still at the screen's centre.
RunSetup Forced(int pattern, double a1, int width = 1024, int height = 768) {
    RunSetup s;
    s.width = width;
    s.height = height;
    s.set.pattern = pattern;
    s.set.phase = a1 - 0.03;
    s.set.anchor = {{width * 7.5, height * 7.5}};
    s.set.velocity = {{0, 0}};
    s.set.colour = {{10, 20, 30}};
    return s;
}

// After one step the levels are 13, 26, 39.
constexpr double kColour = 13 + 256 * 26 + 65536 * 39;

struct FigureCase {
    const char* name;
    RunSetup setup;
    std::vector<Item> drawn;
};

Item L(double x1, double y1, double x2, double y2) { return {"line", {x1, y1, x2, y2, kColour}, {}}; }
Item C(double x, double y, double r) { return {"circle", {x, y, r, kColour}, {}}; }

TEST(RenderTrace, FirstTickOfEachSimplePatternDrawsTheHandWorkedFigure) {
    const double h = 2500 * std::sqrt(3.0) / 2; // 2165.06
    RunSetup moving = Forced(1, 0);
    moving.set.velocity = {{64, -48}};
    const FigureCase cases[] = {
        {"segment", Forced(1, 0), {L(10180, 5760, 5180, 5760)}},
        {"segment at c0 = 2", Forced(1, 0, 2048, 1536), {L(20360, 11520, 10360, 11520)}},
        {"segment after the anchor moves", moving, {L(10244, 5712, 5244, 5712)}},
        {"triangle",
         Forced(2, 0),
         {L(10180, 5760, 6430, 5760 + h), L(6430, 5760 + h, 6430, 5760 - h), L(6430, 5760 - h, 10180, 5760)}},
        {"square",
         Forced(3, 0),
         {L(10180, 5760, 7680, 8260), L(7680, 8260, 5180, 5760), L(5180, 5760, 7680, 3260),
          L(7680, 3260, 10180, 5760)}},
        {"circle", Forced(4, 0), {C(7680, 5760, 2000)}},
        {"pulsing circle, middle", Forced(5, 0), {C(7680, 5760, 1500)}},
        {"pulsing circle, widest", Forced(5, M_PI / 2), {C(7680, 5760, 2750)}},
        {"pulsing circle, narrowest", Forced(5, 3 * M_PI / 2), {C(7680, 5760, 250)}},
        {"pulsing segment", Forced(6, 0), {L(9180, 5760, 6180, 5760)}},
    };
    for (const FigureCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<Item> items = Parse(Trace(c.setup, 1));
        ASSERT_EQ(items.size(), c.drawn.size() + 2);
        EXPECT_EQ(items.front().kind, "tick");
        EXPECT_EQ(items.back().kind, "state");
        for (std::size_t i = 0; i < c.drawn.size(); ++i) {
            const Item& got = items[i + 1];
            EXPECT_EQ(got.kind, c.drawn[i].kind) << "item " << i;
            ASSERT_EQ(got.v.size(), c.drawn[i].v.size()) << "item " << i;
            for (std::size_t j = 0; j < got.v.size(); ++j)
                EXPECT_NEAR(got.v[j], c.drawn[i].v[j], 0.01) << "item " << i << " value " << j;
        }
    }
}

TEST(RenderTrace, PrintsCallsAndStateInTheAgreedFormat) {
    RunSetup s = Forced(1, 0);
    s.set.colour = {{252, 3, 250}};
    s.set.directions = {{1, -1, 1}};
    s.set.runStart = 1.5;
    EXPECT_EQ(Trace(s, 1),
              "tick 1\n"
              "line 10180.000 5760.000 5180.000 5760.000 16711935\n"
              "state a1=0.000000 a00=1.500000 q=1.000000 q0=1.000000 q1=0.000000 px1=7680.000000 "
              "py1=5760.000000 px2=0.000000 py2=0.000000 a4=0.000000 col=255,0,255/1,1,-1\n");
}

TEST(RenderTrace, ModeAndVelocityReachTheMotion) {
    // In the middle band an anchor left of it that moves left turns back.
    RunSetup s = Forced(4, 0);
    s.set.anchor = {{1000, 5760}};
    s.set.velocity = {{-59.904, 0}};
    s.set.mode = 1;
    const std::vector<Item> items = Parse(Trace(s, 1));
    ASSERT_EQ(items.size(), 3u);
    EXPECT_NEAR(items[1].v[0], 940.096, 0.001);
    EXPECT_NE(items[2].rest.find("px1=940.096000 py1=5760.000000 px2=59.904000 py2=0.000000 a4=1.000000"),
              std::string::npos)
        << items[2].rest;
}

struct RunCase {
    int pattern;
    int drawnTicks;  // a run from phase 0
    int callsPerTick;
};

TEST(RenderTrace, ARunFromPhaseZeroDrawsItsTicksThenEndsWithOnlyAClear) {
    const RunCase cases[] = {{1, 530, 1}, {2, 371, 3}, {3, 371, 4}, {4, 371, 1}, {5, 530, 1}, {6, 530, 1}};
    for (const RunCase& c : cases) {
        SCOPED_TRACE(c.pattern);
        RunSetup s;
        s.set.pattern = c.pattern;
        const std::vector<Item> items = Parse(Trace(s, c.drawnTicks + 1));
        std::vector<int> perTick;
        std::vector<std::string> lastTick;
        for (const Item& item : items) {
            if (item.kind == "tick") {
                EXPECT_EQ(item.v.at(0), perTick.size() + 1);
                perTick.push_back(0);
                lastTick.clear();
            } else if (item.kind != "state") {
                ++perTick.back();
                lastTick.push_back(item.kind);
            }
        }
        ASSERT_EQ(perTick.size(), static_cast<std::size_t>(c.drawnTicks + 1));
        for (int t = 0; t < c.drawnTicks; ++t) ASSERT_EQ(perTick[t], c.callsPerTick) << "tick " << t + 1;
        EXPECT_EQ(lastTick, std::vector<std::string>{"cls"});

        // The run has ended: a new random phase that is also the run's start.
        double a1 = -1, a00 = -2, q0 = -1, q1 = -1;
        ASSERT_EQ(std::sscanf(items.back().rest.c_str(), "a1=%lf a00=%lf q=%*f q0=%lf q1=%lf", &a1, &a00, &q0, &q1), 4);
        EXPECT_EQ(a1, a00);
        EXPECT_GE(a1, 0);
        EXPECT_LT(a1, 6.283184);
        EXPECT_EQ(q0, 0);
        EXPECT_EQ(q1, 0);
    }
}

TEST(RenderTrace, TheSeedAloneDecidesTheTrace) {
    RunSetup one;
    one.seed = 1;
    RunSetup two;
    two.seed = 2;
    const std::string first = Trace(one, 1200);
    EXPECT_EQ(first, Trace(one, 1200));
    EXPECT_NE(first, Trace(two, 1200));
    // Over 1200 ticks at least one run has ended and the next has begun.
    EXPECT_GE(Parse(first).size(), 1200u);
    EXPECT_NE(first.find("cls\n", first.find("cls\n") + 1), std::string::npos);
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
