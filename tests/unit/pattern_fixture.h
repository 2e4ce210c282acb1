// A saver on the recording platform, started up and then forced into a
// known state, for tests of the engine and of the pattern routines.
#pragma once

#include "engine/tick.h"
#include "platform/recording_platform.h"
#include "shell/saver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <initializer_list>
#include <vector>

namespace linesaver::testing {

struct Segment {
    float x1, y1, x2, y2;
};

// On a 1024 x 768 screen (aa = 15360, bb = 11520, c0 = 1) unless told.
struct Rig {
    explicit Rig(double widthPx = 1024, double heightPx = 768)
        : pf(widthPx * 15, heightPx * 15), saver(pf), f(saver.form()) {
        saver.Form_Load();
        pf.calls.clear();
    }

    // Pattern q is current, the phase is a1 (also the run's start), the
    // anchor stands still at (x, y).
    void Force(int pattern, double a1, double x = 7680, double y = 5760) {
        f.q = pattern;
        f.q0 = 1;
        f.a1 = a1;
        f.a00 = a1;
        f.px[1] = x;
        f.py[1] = y;
        f.px[2] = 0;
        f.py[2] = 0;
        f.a4 = 0;
    }

    // One frame tick; returns the segments it drew.
    std::vector<Segment> Tick() {
        pf.calls.clear();
        Timer1_Timer(f);
        std::vector<Segment> out;
        for (const Call& c : pf.Only(Call::Kind::Line))
            out.push_back({float(c.v[0]), float(c.v[1]), float(c.v[2]), float(c.v[3])});
        return out;
    }

    // Ticks until the current pattern retires; returns how many ticks drew.
    int RunLength(int limit = 2000) {
        int drawn = 0;
        for (int i = 0; i < limit && f.q0 == 1; ++i) {
            pf.calls.clear();
            Timer1_Timer(f);
            if (!pf.Only(Call::Kind::ForeColor).empty()) ++drawn;
        }
        return drawn;
    }

    RecordingPlatform pf;
    Saver saver;
    Form1& f;
};

// Whether a tick drew exactly the wanted segments, in order, each end
// within tolerance twips of the wanted one.
inline ::testing::AssertionResult SameFigure(const std::vector<Segment>& got,
                                             const std::vector<Segment>& want,
                                             double tolerance = 0.05) {
    if (got.size() != want.size())
        return ::testing::AssertionFailure()
               << "drew " << got.size() << " segments, wanted " << want.size();
    for (std::size_t i = 0; i < got.size(); ++i) {
        const Segment& g = got[i];
        const Segment& w = want[i];
        const bool near = std::abs(g.x1 - w.x1) <= tolerance && std::abs(g.y1 - w.y1) <= tolerance &&
                          std::abs(g.x2 - w.x2) <= tolerance && std::abs(g.y2 - w.y2) <= tolerance;
        if (!near)
            return ::testing::AssertionFailure()
                   << "segment " << i << ": drew (" << g.x1 << ", " << g.y1 << ")-(" << g.x2 << ", "
                   << g.y2 << "), wanted (" << w.x1 << ", " << w.y1 << ")-(" << w.x2 << ", " << w.y2
                   << ")";
    }
    return ::testing::AssertionSuccess();
}

// One tick of the pattern, forced so that it draws with phase a1 (after
// the colour step) about the anchor (x, y) unless it places the anchor
// itself.
inline std::vector<Segment> DrawnAt(Rig& rig, int pattern, double a1, double x = 7680,
                                    double y = 5760) {
    rig.Force(pattern, a1 - rig.f.a0, x, y);
    return rig.Tick();
}

// The tick on which the pattern's run is over by every measure retires it
// and does nothing else: no drawing, no colour step, and the next run's
// phase as the restart left it.
inline ::testing::AssertionResult RetiresQuietly(Rig& rig, int pattern) {
    rig.Force(pattern, 20);
    rig.f.a00 = 0;
    rig.pf.calls.clear();
    Timer1_Timer(rig.f);
    if (rig.f.q0 != 0) return ::testing::AssertionFailure() << "the pattern is still current";
    if (!rig.pf.Only(Call::Kind::Line).empty() || !rig.pf.Only(Call::Kind::Circle).empty())
        return ::testing::AssertionFailure() << "it drew";
    if (!rig.pf.Only(Call::Kind::ForeColor).empty())
        return ::testing::AssertionFailure() << "the colour stepped";
    if (rig.f.a1 != rig.f.a00) return ::testing::AssertionFailure() << "the phase advanced";
    return ::testing::AssertionSuccess();
}

// One figure of a table of figures: the pattern drawn at phase a1 about
// the anchor (7680, 5760) (or wherever it places the anchor itself) on a
// 1024 x 768 screen draws these lines, in this order.
struct FigureCase {
    const char* what;
    int pattern;
    double a1;
    std::vector<Segment> lines;
};

inline void ExpectFigures(std::initializer_list<FigureCase> cases) {
    for (const FigureCase& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig;
        EXPECT_TRUE(SameFigure(DrawnAt(rig, c.pattern, c.a1), c.lines));
    }
}

// A run of the pattern that starts at phase a1 draws on this many ticks.
struct RunCase {
    int pattern;
    double a1;
    int ticks;
};

inline void ExpectRunLengths(std::initializer_list<RunCase> cases) {
    for (const RunCase& c : cases) {
        Rig rig;
        rig.Force(c.pattern, c.a1);
        EXPECT_EQ(rig.RunLength(), c.ticks) << "pattern " << c.pattern << " from " << c.a1;
    }
}

inline void ExpectRetireQuietly(std::initializer_list<int> patterns) {
    for (int pattern : patterns) {
        Rig rig;
        EXPECT_TRUE(RetiresQuietly(rig, pattern)) << "pattern " << pattern;
    }
}

} // namespace linesaver::testing
