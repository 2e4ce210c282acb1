#include "patterns/common.h"

#include "engine/motion.h"

namespace linesaver {

bool BeginStep(Form1& f, RunForm form, double k) {
    if (EndOfRun(f, form, k)) return false;
    StepColour(f);
    return true;
}

double Size(const Form1& f, SizeLaw law) {
    switch (law) {
    case SizeLaw::Fixed:
        return f.c0 * 2500;
    case SizeLaw::Breathing:
        return ((f.c0 * 2500) * (std::sin(f.a1) + 1.2)) / 2;
    case SizeLaw::FastBreathing:
        return ((f.c0 * 2500) * (std::sin(1.5 * f.a1) + 1.2)) / 2;
    }
    return 0;
}

void MoveAnchor(Form1& f, Motion motion) {
    if (motion == Motion::Move) {
        MovePoint(f);
    } else {
        OrbitPoint(f);
    }
}

void DrawLine(Form1& f, Point from, Point to) {
    f.pf->Line(static_cast<float>(from.x), static_cast<float>(from.y), static_cast<float>(to.x),
               static_cast<float>(to.y), f.pf->ForeColor());
}

void DrawCircle(Form1& f, Point centre, double r) {
    f.pf->Circle(static_cast<float>(centre.x), static_cast<float>(centre.y), static_cast<float>(r),
                 f.pf->ForeColor());
}

void DrawPolygon(Form1& f, const double* angles, int corners, double r) {
    for (int j = 0; j < corners; ++j) {
        const int next = (j + 1) % corners;
        DrawLine(f, P(f, angles[j], r), P(f, angles[next], r));
    }
}

} // namespace linesaver
