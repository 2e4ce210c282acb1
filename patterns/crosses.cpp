// Patterns 18, 19, 25, 27, 32, 33: crosses of two perpendicular diameters
// through the anchor, turned by the phase. In 25 and 27 the first diameter
// is half as long again as the second.
#include "patterns/common.h"
#include "patterns/patterns.h"

namespace linesaver {
namespace {

struct CrossRow {
    RunForm form;
    double k;
    SizeLaw size;
    Motion motion;
    double first; // length of the first diameter's arms, in units of R
};

constexpr CrossRow kPattern18 = {RunForm::Absolute, 0.7, SizeLaw::Fixed, Motion::Move, 1.0};
constexpr CrossRow kPattern19 = {RunForm::Absolute, 1.0, SizeLaw::Breathing, Motion::Move, 1.0};
constexpr CrossRow kPattern25 = {RunForm::Absolute, 0.7, SizeLaw::Fixed, Motion::Move, 1.5};
constexpr CrossRow kPattern27 = {RunForm::Absolute, 1.0, SizeLaw::Breathing, Motion::Move, 1.5};
constexpr CrossRow kPattern32 = {RunForm::Relative, 0.4, SizeLaw::Fixed, Motion::Orbit, 1.0};
constexpr CrossRow kPattern33 = {RunForm::Relative, 0.7, SizeLaw::FastBreathing, Motion::Orbit, 1.0};

void Cross(Form1& f, const CrossRow& row) {
    if (!BeginStep(f, row.form, row.k)) return;
    const double r = Size(f, row.size);
    MoveAnchor(f, row.motion);
    const double arm = row.first * r;
    const double across = f.a1 + f.p0 / 4;
    DrawDiameter(f, f.a1, arm);
    DrawDiameter(f, across, r);
    EndStep(f);
}

} // namespace

void Pattern18(Form1& f) { Cross(f, kPattern18); }
void Pattern19(Form1& f) { Cross(f, kPattern19); }
void Pattern25(Form1& f) { Cross(f, kPattern25); }
void Pattern27(Form1& f) { Cross(f, kPattern27); }
void Pattern32(Form1& f) { Cross(f, kPattern32); }
void Pattern33(Form1& f) { Cross(f, kPattern33); }

} // namespace linesaver
