#include "engine/run_control.h"

namespace linesaver {

void RestartRun(SaverState& s) {
    s.Randomize();
    s.anchor.x = s.screenWidth * s.Rnd();
    s.anchor.y = s.screenHeight * s.Rnd();
    s.phase = s.fullTurn * s.Rnd();
    s.runStart = s.phase;
    s.platform->Clear();
    s.runsDone = s.runsDone + 1;
    s.motionMode = static_cast<int>(2 * s.Rnd()) == 0 ? MotionMode::BounceAtEdges : MotionMode::BounceInBand;
}

void EndPattern(SaverState& s) {
    s.runsDone = 0;
    s.patternActive = false;
}

void StepColour(SaverState& s) {
    for (int channel = 0; channel < kChannels; ++channel) {
        int& level = s.colourLevel[channel];
        int& direction = s.colourDirection[channel];
        // Red moves 3 levels a step, green 6, blue 9.
        level = level + direction * (channel + 1) * 3;
        // A level that lands on 0 turns at once; one that lands on 255
        // turns only after it overshoots on the next step.
        if (level < 1) {
            level = 0;
            direction = 1;
        }
        if (level > 255) {
            level = 255;
            direction = -1;
        }
    }
    s.foreColour = s.colourLevel[0] + 256 * s.colourLevel[1] + 65536 * s.colourLevel[2];
    s.phase = s.phase + s.phaseStep;
    s.platform->YieldToEvents();
}

double RunMeasure(const SaverState& s, RunForm form) {
    switch (form) {
    case RunForm::Absolute:
        return (s.phase * 30000) / 15360;
    case RunForm::Relative:
        return ((s.phase - s.runStart) * 30000) / 15360;
    case RunForm::DoubledRelative:
        return (((s.phase - s.runStart) * 30000) / 15360) * 2;
    }
    return 0;
}

bool EndOfRun(SaverState& s, RunForm form, double share) {
    if (!(RunMeasure(s, form) > share * s.runLimit)) return false;
    RestartRun(s);
    if (s.runsDone == s.runsPerPattern) {
        EndPattern(s);
        return true;
    }
    return false;
}

} // namespace linesaver
