// Patterns 7-10 and 12-16: pulsing, turning and orbiting triangles and squares.
// Each tick draws one closed polygon whose corners lie on a circle of
// radius R about the anchor.
#include "patterns/common.h"
#include "patterns/patterns.h"

namespace linesaver {
namespace {

// The angle of corner j of an n-cornered figure.
using CornerAngle = double (*)(const Form1& f, int j, int n);

// Corner 0 at the phase: the figure turns with it.
double Turning(const Form1& f, int j, int n) { return f.a1 + (j * f.p0) / n; }
// Corner 0 at the fixed offset a2: the figure only pulses.
double Still(const Form1& f, int j, int n) { return f.a2 + (j * f.p0) / n; }
// As Still, tilted by a sixteenth of a turn.
double Tilted(const Form1& f, int j, int n) { return (f.a2 + f.p0 / 16) + (j * f.p0) / n; }
// Turning at twice the rate of the phase.
double Doubled(const Form1& f, int j, int n) { return (f.a1 * 2) + (j * f.p0) / n; }

// Three corners travelling at 1, 1.4 and 1.8 times the rate of the phase:
// equilateral now and then, flat when the outer two meet across a
// diameter, a single point when all three meet.
double Uneven(const Form1& f, int j, int) {
    switch (j) {
    case 0:
        return f.a1;
    case 1:
        return (1.4 * f.a1) + f.p0 / 3;
    default:
        return (1.8 * f.a1) + (2 * f.p0) / 3;
    }
}

struct PolygonRow {
    RunForm form;
    double k;
    SizeLaw size;
    Motion motion;
    int corners;
    CornerAngle angle;
};

constexpr int kMaxCorners = 4;

constexpr PolygonRow kPattern7 = {RunForm::Absolute, 1.0, SizeLaw::Breathing, Motion::Move, 3, Turning};
constexpr PolygonRow kPattern8 = {RunForm::Absolute, 1.0, SizeLaw::Breathing, Motion::Move, 4, Turning};
constexpr PolygonRow kPattern9 = {RunForm::Absolute, 1.0, SizeLaw::Breathing, Motion::Move, 3, Still};
constexpr PolygonRow kPattern10 = {RunForm::Absolute, 1.0, SizeLaw::Breathing, Motion::Move, 4, Tilted};
constexpr PolygonRow kPattern12 = {RunForm::Absolute, 1.0, SizeLaw::Fixed, Motion::Move, 3, Uneven};
constexpr PolygonRow kPattern13 = {RunForm::Relative, 0.4, SizeLaw::Fixed, Motion::Orbit, 3, Turning};
constexpr PolygonRow kPattern14 = {RunForm::Relative, 0.4, SizeLaw::Fixed, Motion::Orbit, 3, Doubled};
constexpr PolygonRow kPattern15 = {RunForm::Relative, 0.7, SizeLaw::FastBreathing, Motion::Orbit, 4, Turning};
constexpr PolygonRow kPattern16 = {RunForm::Relative, 0.7, SizeLaw::FastBreathing, Motion::Orbit, 3, Turning};

void Polygon(Form1& f, const PolygonRow& row) {
    if (!BeginStep(f, row.form, row.k)) return;
    const double r = Size(f, row.size);
    MoveAnchor(f, row.motion);
    double angles[kMaxCorners];
    for (int j = 0; j < row.corners; ++j) angles[j] = row.angle(f, j, row.corners);
    DrawPolygon(f, angles, row.corners, r);
    EndStep(f);
}

} // namespace

void Pattern7(Form1& f) { Polygon(f, kPattern7); }
void Pattern8(Form1& f) { Polygon(f, kPattern8); }
void Pattern9(Form1& f) { Polygon(f, kPattern9); }
void Pattern10(Form1& f) { Polygon(f, kPattern10); }
void Pattern12(Form1& f) { Polygon(f, kPattern12); }
void Pattern13(Form1& f) { Polygon(f, kPattern13); }
void Pattern14(Form1& f) { Polygon(f, kPattern14); }
void Pattern15(Form1& f) { Polygon(f, kPattern15); }
void Pattern16(Form1& f) { Polygon(f, kPattern16); }

} // namespace linesaver
