// How the anchor moves: drifting and bouncing, or orbiting the centre.
#pragma once

#include "engine/saver_state.h"

namespace linesaver {

// Drift one step by the run's motion mode.
void MovePoint(SaverState& s);
// Drift one step, bouncing at the screen edges.
void BounceAtEdges(SaverState& s);
// Drift one step, bouncing inside the middle band (1/6 .. 5/6).
void BounceInBand(SaverState& s);
// Place the anchor on the circle of radius screenHeight / 4 about the
// centre, at the phase.
void OrbitPoint(SaverState& s);

} // namespace linesaver
