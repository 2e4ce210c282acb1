// Patterns 23, 24: a bar through the drifting anchor and its point image
// through the screen centre, the same bar laid about (screen width - x, screen height - y).
// The two trails mirror each other across the centre.
#include "patterns/common.h"
#include "patterns/family.h"

namespace linesaver {
namespace {

struct MirrorRow {
    int number;
    SizeLaw law;
};

constexpr MirrorRow kRows[] = {
    {23, SizeLaw::Fixed},
    {24, SizeLaw::Breathing},
};

void MirroredBars(SaverState& s, const MirrorRow& row) {
    if (!BeginStep(s, RunForm::Absolute, 1)) return;
    const double r = Size(s, row.law);
    MoveAnchor(s, Motion::Move);
    const double cosine = std::cos(s.phase);
    const double sine = std::sin(s.phase);
    DrawDiameter(s, s.phase, r);
    DrawLine(s, {((r * cosine) + s.screenWidth) - s.anchor.x, ((r * sine) + s.screenHeight) - s.anchor.y},
             {((-r * cosine) + s.screenWidth) - s.anchor.x, ((-r * sine) + s.screenHeight) - s.anchor.y});
    EndStep(s);
}

} // namespace

extern const PatternFamily kMirroredBars = FamilyOf<kRows, MirroredBars>();

} // namespace linesaver
