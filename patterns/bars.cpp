// Patterns 17, 20, 22, 30, 31: parallel bars. Two opposite sides of the
// square inscribed in a circle of radius R about the anchor, turned by the
// phase; 30 and 31 add the diameter midway between and parallel to them.
#include "patterns/common.h"
#include "patterns/family.h"

namespace linesaver {
namespace {

struct BarsRow {
    int number;
    RunForm form;
    double share; // of the run limit
    SizeLaw size;
    Motion motion;
    bool middle; // the diameter between the bars, drawn between bar 1 and bar 2
};

constexpr BarsRow kRows[] = {
    {17, RunForm::Relative, 0.7, SizeLaw::FastBreathing, Motion::Orbit, false},
    {20, RunForm::Absolute, 1.0, SizeLaw::Fixed, Motion::Move, false},
    {22, RunForm::Absolute, 1.0, SizeLaw::Breathing, Motion::Move, false},
    {30, RunForm::Absolute, 1.0, SizeLaw::Fixed, Motion::Move, true},
    {31, RunForm::Absolute, 1.0, SizeLaw::Breathing, Motion::Move, true},
};

void Bars(SaverState& s, const BarsRow& row) {
    if (!BeginStep(s, row.form, row.share)) return;
    const double r = Size(s, row.size);
    MoveAnchor(s, row.motion);
    const double phase = s.phase;
    const double turn = s.fullTurn;
    DrawLine(s, P(s, phase, r), P(s, phase + turn / 4, r));
    if (row.middle) DrawLine(s, P(s, phase - turn / 8, r), P(s, (phase + turn / 4) + turn / 8, r));
    DrawLine(s, P(s, phase + (2 * turn) / 4, r), P(s, phase + (3 * turn) / 4, r));
    EndStep(s);
}

} // namespace

extern const PatternFamily kParallelBars = FamilyOf<kRows, Bars>();

} // namespace linesaver
