// A saver on the recording platform, started up and then forced into a
// known state, for tests of the engine and of the pattern routines.
#pragma once

#include "engine/tick.h"
#include "platform/recording_platform.h"
#include "shell/saver.h"

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

} // namespace linesaver::testing
