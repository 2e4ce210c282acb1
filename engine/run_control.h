// The life of a run and the colour of the drawing.
#pragma once

#include "engine/saver_state.h"

namespace linesaver {

// New anchor, new phase, clear, count the run, pick the motion mode.
void RestartRun(SaverState& s);
// Retire the current pattern; the next tick chooses another.
void EndPattern(SaverState& s);
// Step the three colour channels, set the fore colour, advance the phase.
void StepColour(SaverState& s);

// How a pattern measures the length of its run.
enum class RunForm { Absolute, Relative, DoubledRelative };

// How far the run has gone, in the units of the run limit.
double RunMeasure(const SaverState& s, RunForm form);

// The first two steps of every pattern routine: if the run measure is
// beyond share * runLimit the run is over and restarts; returns true when
// the pattern is retired as well and the routine must return at once
// without drawing.
bool EndOfRun(SaverState& s, RunForm form, double share);

} // namespace linesaver
