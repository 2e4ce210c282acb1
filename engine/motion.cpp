#include "engine/motion.h"

#include <cmath>

namespace linesaver {
namespace {

// Move one axis and reverse its velocity when it is beyond a limit and
// still heading outward. The position is never clamped.
void Drift(double& position, double& velocity, double low, double high) {
    position = position + velocity;
    if (position > high && velocity > 0) velocity = -velocity;
    if (position < low && velocity < 0) velocity = -velocity;
}

} // namespace

void MovePoint(SaverState& s) {
    switch (s.motionMode) {
    case MotionMode::BounceAtEdges:
        BounceAtEdges(s);
        break;
    case MotionMode::BounceInBand:
        BounceInBand(s);
        break;
    }
}

void BounceAtEdges(SaverState& s) {
    Drift(s.anchor.x, s.velocity.x, 0, s.screenWidth);
    Drift(s.anchor.y, s.velocity.y, 0, s.screenHeight);
    s.platform->YieldToEvents();
}

void BounceInBand(SaverState& s) {
    Drift(s.anchor.x, s.velocity.x, (1.0 / 6) * s.screenWidth, (5.0 / 6) * s.screenWidth);
    Drift(s.anchor.y, s.velocity.y, (1.0 / 6) * s.screenHeight, (5.0 / 6) * s.screenHeight);
    s.platform->YieldToEvents();
}

void OrbitPoint(SaverState& s) {
    s.anchor.x = s.screenWidth / 2 + (s.screenHeight / 4) * std::cos(s.phase);
    s.anchor.y = s.screenHeight / 2 + (s.screenHeight / 4) * std::sin(s.phase);
    s.platform->YieldToEvents();
}

} // namespace linesaver
