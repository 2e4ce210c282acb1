// Patterns 39-60: fans of spokes from the orbiting anchor. Spoke k of n
// lies k full turns / division past the phase; its length is fixed or pulses with the
// phase, and may be cut into steps along the fan. Lengths are absolute
// twips, the same on every screen.
//
// The spokes measure their angle from straight down towards the right (x
// takes the sine, y the cosine), so the fan turns against the anchor's
// travel round its orbit.
#include "patterns/common.h"
#include "patterns/family.h"

#include <cmath>

namespace linesaver {
namespace {

struct FanRow {
    int number;
    int spokes;
    int division;  // neighbours are fullTurn / division apart
    double length; // twips
    bool pulsing;  // the length pulses: (sin(pulseRate * phase) + 1.2) * length / 2
    double pulseRate;
    bool stepped; // spoke k is floor(k / 2 + 1) / 4 of the length
};

// clang-format off
constexpr FanRow kRows[] = {
    {39, 3, 3, 4000, false, 1, false},
    {40, 2, 2, 4000, false, 1, false},
    {41, 4, 4, 4000, false, 1, false},
    {42, 6, 6, 4000, false, 1, false},
    {43, 2, 6, 4000, false, 1, false},
    {44, 3, 6, 4000, false, 1, false},
    {45, 4, 4, 6000, false, 1, true},
    {46, 2, 2, 4000, true, 1, false},
    {47, 3, 3, 4000, true, 1, false},
    {48, 4, 4, 4000, true, 1, false},
    {49, 6, 6, 4000, true, 1, false},
    {50, 2, 2, 4000, true, 2, false},
    {51, 2, 2, 4000, true, 0.5, false},
    {52, 3, 3, 4000, true, 2, false},
    {53, 3, 3, 4000, true, 0.5, false},
    {54, 4, 4, 4000, true, 2, false},
    {55, 4, 4, 4000, true, 0.5, false},
    {56, 6, 6, 4000, true, 2, false},
    {57, 6, 6, 4000, true, 0.5, false},
    {58, 4, 4, 6000, true, 1, true},
    {59, 4, 4, 6000, true, 2, true},
    {60, 4, 4, 6000, true, 0.5, true},
};
// clang-format on

void Fan(SaverState& s, const FanRow& row) {
    if (!BeginStep(s, RunForm::Relative, 0.4)) return;
    const double length = row.pulsing ? ((std::sin(row.pulseRate * s.phase) + 1.2) * row.length) / 2 : row.length;
    MoveAnchor(s, Motion::Orbit);
    const Point anchor = s.anchor;
    for (int k = 1; k <= row.spokes; ++k) {
        const double theta = (k * s.fullTurn) / row.division + s.phase;
        const double spoke = row.stepped ? (length * std::floor(k / 2.0 + 1)) / 4 : length;
        DrawLine(s, anchor, {s.anchor.x + spoke * std::sin(theta), s.anchor.y + spoke * std::cos(theta)});
    }
    EndStep(s);
}

} // namespace

extern const PatternFamily kSpokeFans = FamilyOf<kRows, Fan>();

} // namespace linesaver
