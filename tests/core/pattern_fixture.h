// A saver on the recording platform, started up and then forced into a
// known state.
#pragma once

#include "shell/frame_tick.h"
#include "shell/saver.h"
#include "tests/recording_platform.h"

namespace linesaver::testing {

// On a 1024 x 768 screen (15360 x 11520 twips, length unit 1).
struct Rig {
    Rig() : pf(1024 * 15, 768 * 15), saver(pf), s(saver.State()) {
        saver.Start();
        pf.calls.clear();
    }
    // The pattern is current at the phase, the anchor still at the centre.
    void Force(int pattern, double phase) {
        s.pattern = pattern;
        s.patternActive = true;
        s.phase = s.runStart = phase;
        s.anchor = {7680, 5760};
        s.velocity = {0, 0};
        s.motionMode = MotionMode::BounceAtEdges;
    }
    // One frame tick.
    void Tick() {
        pf.calls.clear();
        FrameTick(s);
    }

    RecordingPlatform pf;
    Saver saver;
    SaverState& s;
};

} // namespace linesaver::testing
