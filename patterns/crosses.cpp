// Patterns 18, 19, 25, 27, 32, 33: crosses of two perpendicular diameters
// through the anchor, turned by the phase. In 25 and 27 the first diameter
// is half as long again as the second.
#include "patterns/common.h"
#include "patterns/family.h"

namespace linesaver {
namespace {

struct CrossRow {
    int number;
    RunForm form;
    double share; // of the run limit
    SizeLaw size;
    Motion motion;
    double first; // length of the first diameter's arms, in units of R
};

constexpr CrossRow kRows[] = {
    {18, RunForm::Absolute, 0.7, SizeLaw::Fixed, Motion::Move, 1.0},
    {19, RunForm::Absolute, 1.0, SizeLaw::Breathing, Motion::Move, 1.0},
    {25, RunForm::Absolute, 0.7, SizeLaw::Fixed, Motion::Move, 1.5},
    {27, RunForm::Absolute, 1.0, SizeLaw::Breathing, Motion::Move, 1.5},
    {32, RunForm::Relative, 0.4, SizeLaw::Fixed, Motion::Orbit, 1.0},
    {33, RunForm::Relative, 0.7, SizeLaw::FastBreathing, Motion::Orbit, 1.0},
};

void Cross(SaverState& s, const CrossRow& row) {
    if (!BeginStep(s, row.form, row.share)) return;
    const double r = Size(s, row.size);
    MoveAnchor(s, row.motion);
    const double arm = row.first * r;
    const double across = s.phase + s.fullTurn / 4;
    DrawDiameter(s, s.phase, arm);
    DrawDiameter(s, across, r);
    EndStep(s);
}

} // namespace

extern const PatternFamily kCrosses = FamilyOf<kRows, Cross>();

} // namespace linesaver
