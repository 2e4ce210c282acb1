// Patterns 23, 24: a bar through the drifting anchor and its point image
// through the screen centre, the same bar laid about (aa - px, bb - py).
// The two trails mirror each other across the centre.
#include "patterns/common.h"
#include "patterns/patterns.h"

namespace linesaver {
namespace {

struct MirrorRow {
    SizeLaw law;
};

constexpr MirrorRow kRows[] = {
    {SizeLaw::Fixed},     // 23
    {SizeLaw::Breathing}, // 24
};

void MirroredBars(Form1& f, const MirrorRow& row) {
    if (!BeginStep(f, RunForm::Absolute, 1)) return;
    const double r = Size(f, row.law);
    MoveAnchor(f, Motion::Move);
    const double c = std::cos(f.a1);
    const double s = std::sin(f.a1);
    DrawDiameter(f, f.a1, r);
    DrawLine(f, {((r * c) + f.aa) - f.px[1], ((r * s) + f.bb) - f.py[1]},
             {((-r * c) + f.aa) - f.px[1], ((-r * s) + f.bb) - f.py[1]});
    EndStep(f);
}

} // namespace

void Pattern23(Form1& f) { MirroredBars(f, kRows[0]); }
void Pattern24(Form1& f) { MirroredBars(f, kRows[1]); }

} // namespace linesaver
