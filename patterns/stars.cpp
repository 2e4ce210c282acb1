// Patterns 21, 26, 28, 29: six-armed stars, three diameters through the
// drifting anchor one third of a turn apart (as lines, one sixth). In 21
// and 29 all arms are R long; in 26 and 28 the diameters grow 2R/3, R,
// 4R/3 along the loop, which makes the star lopsided.
#include "patterns/common.h"
#include "patterns/patterns.h"

namespace linesaver {
namespace {

enum class Arms { Equal, Graded };

struct StarRow {
    SizeLaw law;
    int first; // the loop runs first .. first + 2
    Arms arms; // Equal: half-length R; Graded: (R * k) / 3
};

constexpr StarRow kRows[] = {
    {SizeLaw::Fixed, 0, Arms::Equal},      // 21
    {SizeLaw::Fixed, 2, Arms::Graded},     // 26
    {SizeLaw::Breathing, 2, Arms::Graded}, // 28
    {SizeLaw::Breathing, 0, Arms::Equal},  // 29
};

void Star(Form1& f, const StarRow& row) {
    if (!BeginStep(f, RunForm::Absolute, 0.7)) return;
    const double r = Size(f, row.law);
    MoveAnchor(f, Motion::Move);
    for (int k = row.first; k <= row.first + 2; ++k) {
        const double theta = f.a1 + (f.p0 * k) / 3;
        const double h = row.arms == Arms::Equal ? r : (r * k) / 3;
        DrawDiameter(f, theta, h);
    }
    EndStep(f);
}

} // namespace

void Pattern21(Form1& f) { Star(f, kRows[0]); }
void Pattern26(Form1& f) { Star(f, kRows[1]); }
void Pattern28(Form1& f) { Star(f, kRows[2]); }
void Pattern29(Form1& f) { Star(f, kRows[3]); }

} // namespace linesaver
