// How the anchor moves: drifting and bouncing, or orbiting the centre.
#pragma once

#include "engine/saver_state.h"

namespace linesaver {

// Drift one step by the run's motion mode a4.
void MovePoint(Form1& f);
// Drift one step, bouncing at the screen edges.
void BounceFull(Form1& f);
// Drift one step, bouncing inside the middle band (1/6 .. 5/6).
void BounceInner(Form1& f);
// Place the anchor on the circle of radius bb/4 about the centre at angle a1.
void OrbitPoint(Form1& f);

} // namespace linesaver
