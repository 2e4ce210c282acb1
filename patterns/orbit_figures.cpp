// Patterns 34-38 and 61: one small rigid figure on the orbiting anchor,
// turning with the same phase that carries the anchor round the centre:
// a lopsided cross, three diameters, two circles, a chord turning twice
// as fast, and two chords of a third of a turn.
#include "patterns/common.h"
#include "patterns/patterns.h"

namespace linesaver {
namespace {

// The long bar lies along a1, on the line from the screen centre through
// the anchor, 3R long; the short bar crosses it, 2R long.
void LopsidedCross(Form1& f, double r) {
    DrawDiameter(f, f.a1, 1.5 * r);
    DrawDiameter(f, f.a1 + f.p0 / 4, r);
}

void ThreeDiameters(Form1& f, double r) {
    for (int k = 0; k <= 2; ++k) {
        const double theta = f.a1 + (f.p0 * k) / 3;
        DrawDiameter(f, theta, r);
    }
}

void Ring(Form1& f, double r) { DrawCircle(f, {f.px[1], f.py[1]}, r); }

// A quarter-turn chord whose ends sit at twice the phase.
void DoubleSpeedChord(Form1& f, double r) {
    DrawLine(f, P(f, 2 * f.a1, r), P(f, 2 * f.a1 + f.p0 / 4, r));
}

// Two chords of a third of a turn each, R * sqrt(3) long, sharing the
// corner at a1 + p0 / 3.
void TwoChords(Form1& f, double r) {
    const Point shared = P(f, f.a1 + f.p0 / 3, r);
    DrawLine(f, P(f, f.a1, r), shared);
    DrawLine(f, shared, P(f, f.a1 + (2 * f.p0) / 3, r));
}

struct OrbitRow {
    RunForm form;
    double k;
    SizeLaw law;
    void (*draw)(Form1&, double);
};

constexpr OrbitRow kRows[] = {
    {RunForm::DoubledRelative, 0.7, SizeLaw::Breathing, LopsidedCross}, // 34
    {RunForm::Relative, 0.4, SizeLaw::Fixed, ThreeDiameters},           // 35
    {RunForm::DoubledRelative, 0.7, SizeLaw::Breathing, Ring},          // 36
    {RunForm::DoubledRelative, 0.7, SizeLaw::Fixed, Ring},              // 37
    {RunForm::Relative, 0.4, SizeLaw::Fixed, DoubleSpeedChord},         // 38
    {RunForm::Relative, 0.4, SizeLaw::Fixed, TwoChords},                // 61
};

void OrbitFigure(Form1& f, const OrbitRow& row) {
    if (!BeginStep(f, row.form, row.k)) return;
    const double r = Size(f, row.law);
    MoveAnchor(f, Motion::Orbit);
    row.draw(f, r);
    EndStep(f);
}

} // namespace

void Pattern34(Form1& f) { OrbitFigure(f, kRows[0]); }
void Pattern35(Form1& f) { OrbitFigure(f, kRows[1]); }
void Pattern36(Form1& f) { OrbitFigure(f, kRows[2]); }
void Pattern37(Form1& f) { OrbitFigure(f, kRows[3]); }
void Pattern38(Form1& f) { OrbitFigure(f, kRows[4]); }
void Pattern61(Form1& f) { OrbitFigure(f, kRows[5]); }

} // namespace linesaver
