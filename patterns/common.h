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
bool BeginStep(Form1& f, RunForm form, double k);

// The size laws, read after the colour step has advanced a1.
enum class SizeLaw { Fixed, Breathing, FastBreathing };
double Size(const Form1& f, SizeLaw law);

enum class Motion { Move, Orbit };
void MoveAnchor(Form1& f, Motion motion);

struct Point {
    double x;
    double y;
};

// The point at angle theta and distance r from the anchor.
inline Point P(const Form1& f, double theta, double r) {
    return {(r * std::cos(theta)) + f.px[1], (r * std::sin(theta)) + f.py[1]};
}

// Draw in the current fore colour; coordinates go over in single precision.
void DrawLine(Form1& f, Point from, Point to);
void DrawCircle(Form1& f, Point centre, double r);

// The diameter through the anchor in direction theta, from P(theta, h)
// to P(theta, -h).
inline void DrawDiameter(Form1& f, double theta, double h) { DrawLine(f, P(f, theta, h), P(f, theta, -h)); }

// A closed polygon with corners at P(angle[j], r), sides drawn from corner
// j to corner j + 1 and last from the final corner back to the first.
void DrawPolygon(Form1& f, const double* angles, int corners, double r);

// The end of every pattern routine that has drawn.
inline void EndStep(Form1& f) { f.pf->DoEvents(); }

} // namespace linesaver
