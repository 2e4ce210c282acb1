// What every pattern routine shares: the start of its step, the size laws,
// the point about the anchor, the motion choice and the drawing calls.
#pragma once

#include "engine/run_control.h"
#include "engine/saver_state.h"

#include <cmath>

namespace linesaver {

// The run-length test and the colour step, the first steps of every
// pattern routine. Returns false when the run has ended and the routine
// must return without drawing.
bool BeginStep(SaverState& s, RunForm form, double share);

// The size laws, read after the colour step has advanced the phase.
enum class SizeLaw { Fixed, Breathing, FastBreathing };
double Size(const SaverState& s, SizeLaw law);

enum class Motion { Move, Orbit };
void MoveAnchor(SaverState& s, Motion motion);

// The point at angle theta and distance r from the anchor.
inline Point P(const SaverState& s, double theta, double r) {
    return {(r * std::cos(theta)) + s.anchor.x, (r * std::sin(theta)) + s.anchor.y};
}

// Draw in the fore colour; coordinates go over in single precision.
void DrawLine(SaverState& s, Point from, Point to);
void DrawCircle(SaverState& s, Point centre, double r);

// The diameter through the anchor in direction theta, from P(theta, h)
// to P(theta, -h).
inline void DrawDiameter(SaverState& s, double theta, double h) { DrawLine(s, P(s, theta, h), P(s, theta, -h)); }

// A closed polygon with corners at P(angle[j], r), sides drawn from corner
// j to corner j + 1 and last from the final corner back to the first.
void DrawPolygon(SaverState& s, const double* angles, int corners, double r);

// The end of every pattern routine that has drawn.
inline void EndStep(SaverState& s) { s.platform->YieldToEvents(); }

} // namespace linesaver
