// Patterns 17, 20, 22, 30, 31: parallel bars. Two opposite sides of the
// square inscribed in a circle of radius R about the anchor, turned by the
// phase; 30 and 31 add the diameter midway between and parallel to them.
#include "patterns/common.h"
#include "patterns/patterns.h"

namespace linesaver {
namespace {

struct BarsRow {
    RunForm form;
    double k;
    SizeLaw size;
    Motion motion;
    bool middle; // the diameter between the bars, drawn between bar 1 and bar 2
};

constexpr BarsRow kPattern17 = {RunForm::Relative, 0.7, SizeLaw::FastBreathing, Motion::Orbit, false};
constexpr BarsRow kPattern20 = {RunForm::Absolute, 1.0, SizeLaw::Fixed, Motion::Move, false};
constexpr BarsRow kPattern22 = {RunForm::Absolute, 1.0, SizeLaw::Breathing, Motion::Move, false};
constexpr BarsRow kPattern30 = {RunForm::Absolute, 1.0, SizeLaw::Fixed, Motion::Move, true};
constexpr BarsRow kPattern31 = {RunForm::Absolute, 1.0, SizeLaw::Breathing, Motion::Move, true};

void Bars(Form1& f, const BarsRow& row) {
    if (!BeginStep(f, row.form, row.k)) return;
    const double r = Size(f, row.size);
    MoveAnchor(f, row.motion);
    const double a1 = f.a1;
    const double p0 = f.p0;
    DrawLine(f, P(f, a1, r), P(f, a1 + p0 / 4, r));
    if (row.middle) DrawLine(f, P(f, a1 - p0 / 8, r), P(f, (a1 + p0 / 4) + p0 / 8, r));
    DrawLine(f, P(f, a1 + (2 * p0) / 4, r), P(f, a1 + (3 * p0) / 4, r));
    EndStep(f);
}

} // namespace

void Pattern17(Form1& f) { Bars(f, kPattern17); }
void Pattern20(Form1& f) { Bars(f, kPattern20); }
void Pattern22(Form1& f) { Bars(f, kPattern22); }
void Pattern30(Form1& f) { Bars(f, kPattern30); }
void Pattern31(Form1& f) { Bars(f, kPattern31); }

} // namespace linesaver
