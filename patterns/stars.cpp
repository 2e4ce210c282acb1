// Patterns 21, 26, 28, 29: six-armed stars, three diameters through the
// drifting anchor one third of a turn apart (as lines, one sixth). In 21
// and 29 all arms are R long; in 26 and 28 the diameters grow 2R/3, R,
// 4R/3 along the loop, which makes the star lopsided.
#include "patterns/common.h"
#include "patterns/family.h"

namespace linesaver {
namespace {

enum class Arms { Equal, Graded };

struct StarRow {
    int number;
    SizeLaw law;
    int first; // the loop runs first .. first + 2
    Arms arms; // Equal: half-length R; Graded: (R * k) / 3
};

constexpr StarRow kRows[] = {
    {21, SizeLaw::Fixed, 0, Arms::Equal},
    {26, SizeLaw::Fixed, 2, Arms::Graded},
    {28, SizeLaw::Breathing, 2, Arms::Graded},
    {29, SizeLaw::Breathing, 0, Arms::Equal},
};

void Star(SaverState& s, const StarRow& row) {
    if (!BeginStep(s, RunForm::Absolute, 0.7)) return;
    const double r = Size(s, row.law);
    MoveAnchor(s, Motion::Move);
    for (int k = row.first; k <= row.first + 2; ++k) {
        const double theta = s.phase + (s.fullTurn * k) / 3;
        const double h = row.arms == Arms::Equal ? r : (r * k) / 3;
        DrawDiameter(s, theta, h);
    }
    EndStep(s);
}

} // namespace

extern const PatternFamily kStars = FamilyOf<kRows, Star>();

} // namespace linesaver
