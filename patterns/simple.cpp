// Patterns 1-6: one segment, polygon or circle about the drifting anchor.
#include "patterns/common.h"
#include "patterns/patterns.h"

namespace linesaver {
namespace {

enum class Figure { Diameter, Triangle, Square, Circle };

struct SimpleRow {
    double k;        // run-length factor, absolute form
    double scale;    // R = c0 * scale, or the breathing law of c0 * 2500
    bool breathing;
    Figure figure;
};

constexpr SimpleRow kRows[] = {
    {1.0, 2500, false, Figure::Diameter}, // 1
    {0.7, 2500, false, Figure::Triangle}, // 2
    {0.7, 2500, false, Figure::Square},   // 3
    {0.7, 2000, false, Figure::Circle},   // 4
    {1.0, 2500, true, Figure::Circle},    // 5
    {1.0, 2500, true, Figure::Diameter},  // 6
};

void Simple(Form1& f, const SimpleRow& row) {
    if (!BeginStep(f, RunForm::Absolute, row.k)) return;
    const double r = row.breathing ? Size(f, SizeLaw::Breathing) : f.c0 * row.scale;
    MoveAnchor(f, Motion::Move);
    switch (row.figure) {
    case Figure::Diameter:
        DrawDiameter(f, f.a1, r);
        break;
    case Figure::Triangle: {
        const double angles[] = {f.a1, f.a1 + f.p0 / 3, f.a1 + (2 * f.p0) / 3};
        DrawPolygon(f, angles, 3, r);
        break;
    }
    case Figure::Square: {
        const double angles[] = {f.a1, f.a1 + f.p0 / 4, f.a1 + (2 * f.p0) / 4, f.a1 + (3 * f.p0) / 4};
        DrawPolygon(f, angles, 4, r);
        break;
    }
    case Figure::Circle:
        DrawCircle(f, {f.px[1], f.py[1]}, r);
        break;
    }
    EndStep(f);
}

} // namespace

void Pattern1(Form1& f) { Simple(f, kRows[0]); }
void Pattern2(Form1& f) { Simple(f, kRows[1]); }
void Pattern3(Form1& f) { Simple(f, kRows[2]); }
void Pattern4(Form1& f) { Simple(f, kRows[3]); }
void Pattern5(Form1& f) { Simple(f, kRows[4]); }
void Pattern6(Form1& f) { Simple(f, kRows[5]); }

} // namespace linesaver
