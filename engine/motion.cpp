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

void MovePoint(Form1& f) {
    if (f.a4 == 0) BounceFull(f);
    if (f.a4 == 1) BounceInner(f);
}

void BounceFull(Form1& f) {
    Drift(f.px[1], f.px[2], 0, f.aa);
    Drift(f.py[1], f.py[2], 0, f.bb);
    f.pf->DoEvents();
}

void BounceInner(Form1& f) {
    Drift(f.px[1], f.px[2], (1.0 / 6) * f.aa, (5.0 / 6) * f.aa);
    Drift(f.py[1], f.py[2], (1.0 / 6) * f.bb, (5.0 / 6) * f.bb);
    f.pf->DoEvents();
}

void OrbitPoint(Form1& f) {
    f.px[1] = f.aa / 2 + (f.bb / 4) * std::cos(f.a1);
    f.py[1] = f.bb / 2 + (f.bb / 4) * std::sin(f.a1);
    f.pf->DoEvents();
}

} // namespace linesaver
