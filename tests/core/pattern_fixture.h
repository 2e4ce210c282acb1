// A saver on the recording platform, started up and then forced into a
// known state, for tests of the engine and of the pattern routines.
#pragma once

#include "shell/frame_tick.h"
#include "tests/recording_platform.h"
#include "shell/saver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <vector>

namespace linesaver::testing {

// A line from (x1, y1) to (x2, y2), or a circle about (x1, y1) of radius x2.
struct Segment {
    float x1, y1, x2, y2;
    bool circle = false;
};

inline Segment Ring(float x, float y, float r) { return {x, y, r, 0, true}; }

// On a 1024 x 768 screen (15360 x 11520 twips, length unit 1) unless told.
struct Rig {
    explicit Rig(double widthPx = 1024, double heightPx = 768)
            : pf(widthPx * 15, heightPx * 15), saver(pf), s(saver.state()) {
        saver.Start();
        pf.calls.clear();
    }

    // The pattern is current, the phase is as given (also the run's
    // start), the anchor stands still at (x, y).
    void Force(int pattern, double phase, double x = 7680, double y = 5760) {
        s.pattern = pattern;
        s.patternActive = true;
        s.phase = s.runStart = phase;
        s.anchor = {x, y};
        s.velocity = {0, 0};
        s.motionMode = MotionMode::BounceAtEdges;
    }

    // One frame tick; returns the lines and circles it drew, in order.
    std::vector<Segment> Tick() {
        pf.calls.clear();
        FrameTick(s);
        std::vector<Segment> out;
        for (const Call& c : pf.calls)
            if (c.kind == Call::Kind::Line || c.kind == Call::Kind::Circle)
                out.push_back({float(c.v[0]), float(c.v[1]), float(c.v[2]),
                               c.kind == Call::Kind::Line ? float(c.v[3]) : 0, c.kind == Call::Kind::Circle});
        return out;
    }

    RecordingPlatform pf;
    Saver saver;
    SaverState& s;
};

// Whether a tick drew exactly the wanted figure, in order, each value
// within tolerance twips of the wanted one.
inline ::testing::AssertionResult SameFigure(const std::vector<Segment>& got, const std::vector<Segment>& want,
                                             double tolerance = 0.05) {
    if (got.size() != want.size())
        return ::testing::AssertionFailure() << "drew " << got.size() << " items, wanted " << want.size();
    const auto show = [](const Segment& s) {
        return ::testing::Message() << (s.circle ? "circle " : "line ") << s.x1 << " " << s.y1 << " " << s.x2 << " "
                                    << s.y2;
    };
    for (std::size_t i = 0; i < got.size(); ++i) {
        const Segment &g = got[i], &w = want[i];
        if (g.circle != w.circle || std::abs(g.x1 - w.x1) > tolerance || std::abs(g.y1 - w.y1) > tolerance ||
            std::abs(g.x2 - w.x2) > tolerance || std::abs(g.y2 - w.y2) > tolerance)
            return ::testing::AssertionFailure() << "item " << i << ": drew " << show(g) << ", wanted " << show(w);
    }
    return ::testing::AssertionSuccess();
}

// One figure of a table of figures: the pattern drawn at the phase (after
// the colour step) about the screen's centre, or the anchor given, unless it
// places the anchor itself, on a screen widthPx wide and 3/4 as high draws
// these, in this order.
struct FigureCase {
    const char* what;
    int pattern;
    double phase;
    std::vector<Segment> drawn;
    double widthPx = 1024;
    double x = NAN, y = NAN; // the anchor, when not the centre
};

inline void ExpectFigures(const std::vector<FigureCase>& cases) {
    for (const FigureCase& c : cases) {
        Rig rig(c.widthPx, c.widthPx * 0.75);
        const double x = std::isnan(c.x) ? rig.s.screenWidth / 2 : c.x;
        const double y = std::isnan(c.y) ? rig.s.screenHeight / 2 : c.y;
        rig.Force(c.pattern, c.phase - rig.s.phaseStep, x, y); // the colour step brings it to c.phase
        EXPECT_TRUE(SameFigure(rig.Tick(), c.drawn)) << c.what;
    }
}

// A run of the pattern that starts at the phase draws on this many ticks;
// the tick that ends it draws nothing, steps no colour and leaves the next
// run's phase as the restart set it.
struct RunCase {
    int pattern;
    double phase;
    int ticks;
};

inline void ExpectRunLengths(const std::vector<RunCase>& cases) {
    for (const RunCase& c : cases) {
        Rig rig;
        rig.Force(c.pattern, c.phase);
        int drawn = 0;
        Colour colourBefore = rig.s.foreColour;
        for (int i = 0; i < 2000 && rig.s.patternActive; ++i) {
            colourBefore = rig.s.foreColour;
            if (!rig.Tick().empty()) ++drawn;
        }
        EXPECT_EQ(drawn, c.ticks) << "pattern " << c.pattern << " from " << c.phase;
        EXPECT_EQ(rig.s.foreColour, colourBefore) << "pattern " << c.pattern << ": colour stepped";
        EXPECT_EQ(rig.s.phase, rig.s.runStart) << "pattern " << c.pattern << ": the phase advanced";
    }
}

} // namespace linesaver::testing
