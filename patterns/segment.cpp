// Pattern 11: the lopsided segment turning about the anchor. It reaches R
// ahead of the anchor in the direction of the phase and R / 2 behind it.
#include "patterns/common.h"
#include "patterns/family.h"

namespace linesaver {
namespace {

struct SegmentRow {
    int number;
};

constexpr SegmentRow kRows[] = {{11}};

void LopsidedSegment(SaverState& s, const SegmentRow&) {
    if (!BeginStep(s, RunForm::Absolute, 1.0)) return;
    const double r = Size(s, SizeLaw::Fixed);
    MoveAnchor(s, Motion::Move);
    DrawLine(s, P(s, s.phase, r), P(s, s.phase, (-r) / 2));
    EndStep(s);
}

} // namespace

extern const PatternFamily kLopsidedSegment = FamilyOf<kRows, LopsidedSegment>();

} // namespace linesaver
