// Patterns 7-10 and 12-16: pulsing, turning and orbiting triangles and squares.
// Each tick draws one closed polygon whose corners lie on a circle of
// radius R about the anchor.
#include "patterns/common.h"
#include "patterns/family.h"

namespace linesaver {
namespace {

// The angle of corner j of an n-cornered figure.
using CornerAngle = double (*)(const SaverState& s, int j, int n);

// Corner 0 at the phase: the figure turns with it.
double Turning(const SaverState& s, int j, int n) { return s.phase + (j * s.fullTurn) / n; }
// Corner 0 at the fixed angle offset: the figure only pulses.
double Still(const SaverState& s, int j, int n) { return s.angleOffset + (j * s.fullTurn) / n; }
// As Still, tilted by a sixteenth of a turn.
double Tilted(const SaverState& s, int j, int n) { return (s.angleOffset + s.fullTurn / 16) + (j * s.fullTurn) / n; }
// Turning at twice the rate of the phase.
double Doubled(const SaverState& s, int j, int n) { return (s.phase * 2) + (j * s.fullTurn) / n; }

// Three corners travelling at 1, 1.4 and 1.8 times the rate of the phase:
// equilateral now and then, flat when the outer two meet across a
// diameter, a single point when all three meet.
double Uneven(const SaverState& s, int j, int) {
    switch (j) {
    case 0:
        return s.phase;
    case 1:
        return (1.4 * s.phase) + s.fullTurn / 3;
    default:
        return (1.8 * s.phase) + (2 * s.fullTurn) / 3;
    }
}

struct PolygonRow {
    int number;
    RunForm form;
    double share; // of the run limit
    SizeLaw size;
    Motion motion;
    int corners;
    CornerAngle angle;
};

constexpr int kMaxCorners = 4;

constexpr PolygonRow kRows[] = {
    {7, RunForm::Absolute, 1.0, SizeLaw::Breathing, Motion::Move, 3, Turning},
    {8, RunForm::Absolute, 1.0, SizeLaw::Breathing, Motion::Move, 4, Turning},
    {9, RunForm::Absolute, 1.0, SizeLaw::Breathing, Motion::Move, 3, Still},
    {10, RunForm::Absolute, 1.0, SizeLaw::Breathing, Motion::Move, 4, Tilted},
    {12, RunForm::Absolute, 1.0, SizeLaw::Fixed, Motion::Move, 3, Uneven},
    {13, RunForm::Relative, 0.4, SizeLaw::Fixed, Motion::Orbit, 3, Turning},
    {14, RunForm::Relative, 0.4, SizeLaw::Fixed, Motion::Orbit, 3, Doubled},
    {15, RunForm::Relative, 0.7, SizeLaw::FastBreathing, Motion::Orbit, 4, Turning},
    {16, RunForm::Relative, 0.7, SizeLaw::FastBreathing, Motion::Orbit, 3, Turning},
};

void Polygon(SaverState& s, const PolygonRow& row) {
    if (!BeginStep(s, row.form, row.share)) return;
    const double r = Size(s, row.size);
    MoveAnchor(s, row.motion);
    double angles[kMaxCorners];
    for (int j = 0; j < row.corners; ++j) angles[j] = row.angle(s, j, row.corners);
    DrawPolygon(s, angles, row.corners, r);
    EndStep(s);
}

} // namespace

extern const PatternFamily kPolygons = FamilyOf<kRows, Polygon>();

} // namespace linesaver
