// Patterns 34-38 and 61: one small rigid figure on the orbiting anchor,
// turning with the same phase that carries the anchor round the centre:
// a lopsided cross, three diameters, two circles, a chord turning twice
// as fast, and two chords of a third of a turn.
#include "patterns/common.h"
#include "patterns/family.h"

namespace linesaver {
namespace {

// The long bar lies along the phase, on the line from the screen centre through
// the anchor, 3R long; the short bar crosses it, 2R long.
void LopsidedCross(SaverState& s, double r) {
    DrawDiameter(s, s.phase, 1.5 * r);
    DrawDiameter(s, s.phase + s.fullTurn / 4, r);
}

void ThreeDiameters(SaverState& s, double r) {
    for (int k = 0; k <= 2; ++k) {
        const double theta = s.phase + (s.fullTurn * k) / 3;
        DrawDiameter(s, theta, r);
    }
}

void Ring(SaverState& s, double r) { DrawCircle(s, {s.anchor.x, s.anchor.y}, r); }

// A quarter-turn chord whose ends sit at twice the phase.
void DoubleSpeedChord(SaverState& s, double r) {
    DrawLine(s, P(s, 2 * s.phase, r), P(s, 2 * s.phase + s.fullTurn / 4, r));
}

// Two chords of a third of a turn each, R * sqrt(3) long, sharing the
// corner a third of a turn past the phase.
void TwoChords(SaverState& s, double r) {
    const Point shared = P(s, s.phase + s.fullTurn / 3, r);
    DrawLine(s, P(s, s.phase, r), shared);
    DrawLine(s, shared, P(s, s.phase + (2 * s.fullTurn) / 3, r));
}

struct OrbitRow {
    int number;
    RunForm form;
    double share; // of the run limit
    SizeLaw law;
    void (*draw)(SaverState&, double);
};

constexpr OrbitRow kRows[] = {
    {34, RunForm::DoubledRelative, 0.7, SizeLaw::Breathing, LopsidedCross},
    {35, RunForm::Relative, 0.4, SizeLaw::Fixed, ThreeDiameters},
    {36, RunForm::DoubledRelative, 0.7, SizeLaw::Breathing, Ring},
    {37, RunForm::DoubledRelative, 0.7, SizeLaw::Fixed, Ring},
    {38, RunForm::Relative, 0.4, SizeLaw::Fixed, DoubleSpeedChord},
    {61, RunForm::Relative, 0.4, SizeLaw::Fixed, TwoChords},
};

void OrbitFigure(SaverState& s, const OrbitRow& row) {
    if (!BeginStep(s, row.form, row.share)) return;
    const double r = Size(s, row.law);
    MoveAnchor(s, Motion::Orbit);
    row.draw(s, r);
    EndStep(s);
}

} // namespace

extern const PatternFamily kOrbitFigures = FamilyOf<kRows, OrbitFigure>();

} // namespace linesaver
