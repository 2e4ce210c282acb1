#include "patterns/common.h"

#include "engine/motion.h"

namespace linesaver {

bool BeginStep(SaverState& s, RunForm form, double share) {
    if (EndOfRun(s, form, share)) return false;
    StepColour(s);
    return true;
}

double Size(const SaverState& s, SizeLaw law) {
    switch (law) {
    case SizeLaw::Fixed:
        return s.lengthUnit * 2500;
    case SizeLaw::Breathing:
        return ((s.lengthUnit * 2500) * (std::sin(s.phase) + 1.2)) / 2;
    case SizeLaw::FastBreathing:
        return ((s.lengthUnit * 2500) * (std::sin(1.5 * s.phase) + 1.2)) / 2;
    }
    return 0;
}

void MoveAnchor(SaverState& s, Motion motion) {
    if (motion == Motion::Move) {
        MovePoint(s);
    } else {
        OrbitPoint(s);
    }
}

void DrawLine(SaverState& s, Point from, Point to) {
    s.platform->Line(static_cast<float>(from.x), static_cast<float>(from.y), static_cast<float>(to.x),
                     static_cast<float>(to.y), s.foreColour);
}

void DrawCircle(SaverState& s, Point centre, double r) {
    s.platform->Circle(static_cast<float>(centre.x), static_cast<float>(centre.y), static_cast<float>(r), s.foreColour);
}

void DrawPolygon(SaverState& s, const double* angles, int corners, double r) {
    for (int j = 0; j < corners; ++j) {
        const int next = (j + 1) % corners;
        DrawLine(s, P(s, angles[j], r), P(s, angles[next], r));
    }
}

} // namespace linesaver
