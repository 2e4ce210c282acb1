// Patterns 1-6: one segment, polygon or circle about the drifting anchor.
#include "patterns/common.h"
#include "patterns/family.h"

namespace linesaver {
namespace {

enum class Figure { Diameter, Triangle, Square, Circle };

struct SimpleRow {
    int number;
    double share; // of the run limit, absolute form
    double scale; // R = lengthUnit * scale, or the breathing law of lengthUnit * 2500
    bool breathing;
    Figure figure;
};

// clang-format off
constexpr SimpleRow kRows[] = {
    {1, 1.0, 2500, false, Figure::Diameter},
    {2, 0.7, 2500, false, Figure::Triangle},
    {3, 0.7, 2500, false, Figure::Square},
    {4, 0.7, 2000, false, Figure::Circle},
    {5, 1.0, 2500, true, Figure::Circle},
    {6, 1.0, 2500, true, Figure::Diameter},
};
// clang-format on

void Simple(SaverState& s, const SimpleRow& row) {
    if (!BeginStep(s, RunForm::Absolute, row.share)) return;
    const double r = row.breathing ? Size(s, SizeLaw::Breathing) : s.lengthUnit * row.scale;
    MoveAnchor(s, Motion::Move);
    const double phase = s.phase;
    const double turn = s.fullTurn;
    switch (row.figure) {
    case Figure::Diameter:
        DrawDiameter(s, phase, r);
        break;
    case Figure::Triangle: {
        const double angles[] = {phase, phase + turn / 3, phase + (2 * turn) / 3};
        DrawPolygon(s, angles, 3, r);
        break;
    }
    case Figure::Square: {
        const double angles[] = {phase, phase + turn / 4, phase + (2 * turn) / 4, phase + (3 * turn) / 4};
        DrawPolygon(s, angles, 4, r);
        break;
    }
    case Figure::Circle:
        DrawCircle(s, s.anchor, r);
        break;
    }
    EndStep(s);
}

} // namespace

extern const PatternFamily kSimpleFigures = FamilyOf<kRows, Simple>();

} // namespace linesaver
