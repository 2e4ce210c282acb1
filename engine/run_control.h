// The life of a run and the colour of the drawing.
#pragma once

#include "engine/saver_state.h"

namespace linesaver {

// New anchor, new phase, clear, count the run, pick the motion mode.
void RestartRun(Form1& f);
// Retire the current pattern; the next tick chooses another.
void EndPattern(Form1& f);
// Step the three colour channels, set the fore colour, advance the phase.
void StepColour(Form1& f);

// How a pattern measures the length of its run.
enum class RunForm { Absolute, Relative, DoubledRelative };

// The run measure D of the given form.
double RunMeasure(const Form1& f, RunForm form);

// The first two steps of every pattern routine: if D > k * c1 the run is
// over and restarts; returns true when the pattern is retired as well and
// the routine must return at once without drawing.
bool EndOfRun(Form1& f, RunForm form, double k);

} // namespace linesaver
