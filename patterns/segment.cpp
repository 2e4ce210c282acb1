// Pattern 11: the lopsided segment turning about the anchor. It reaches R
// ahead of the anchor in the direction of the phase and R / 2 behind it.
#include "patterns/common.h"
#include "patterns/patterns.h"

namespace linesaver {

void Pattern11(Form1& f) {
    if (!BeginStep(f, RunForm::Absolute, 1.0)) return;
    const double r = Size(f, SizeLaw::Fixed);
    MoveAnchor(f, Motion::Move);
    DrawLine(f, P(f, f.a1, r), P(f, f.a1, (-r) / 2));
    EndStep(f);
}

} // namespace linesaver
