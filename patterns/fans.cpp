// Patterns 39-60: fans of spokes from the orbiting anchor. Spoke k of n
// lies k * p0 / d past the phase; its length is fixed or pulses with the
// phase, and may be cut into steps along the fan. Lengths are absolute
// twips, the same on every screen.
//
// The spokes measure their angle from straight down towards the right (x
// takes the sine, y the cosine), so the fan turns against the anchor's
// travel round its orbit.
#include "patterns/common.h"
#include "patterns/patterns.h"

#include <cmath>

namespace linesaver {
namespace {

struct FanRow {
    int n;        // spokes
    int d;        // neighbours are p0 / d apart
    double F;     // length constant, twips
    bool pulsing; // B = (sin(m * a1) + 1.2) * F / 2, else B = F
    double m;     // pulse rate
    bool stepped; // spoke k is B * floor(k / 2 + 1) / 4 long
};

constexpr FanRow kRows[] = {
    {3, 3, 4000, false, 1, false},  // 39
    {2, 2, 4000, false, 1, false},  // 40
    {4, 4, 4000, false, 1, false},  // 41
    {6, 6, 4000, false, 1, false},  // 42
    {2, 6, 4000, false, 1, false},  // 43
    {3, 6, 4000, false, 1, false},  // 44
    {4, 4, 6000, false, 1, true},   // 45
    {2, 2, 4000, true, 1, false},   // 46
    {3, 3, 4000, true, 1, false},   // 47
    {4, 4, 4000, true, 1, false},   // 48
    {6, 6, 4000, true, 1, false},   // 49
    {2, 2, 4000, true, 2, false},   // 50
    {2, 2, 4000, true, 0.5, false}, // 51
    {3, 3, 4000, true, 2, false},   // 52
    {3, 3, 4000, true, 0.5, false}, // 53
    {4, 4, 4000, true, 2, false},   // 54
    {4, 4, 4000, true, 0.5, false}, // 55
    {6, 6, 4000, true, 2, false},   // 56
    {6, 6, 4000, true, 0.5, false}, // 57
    {4, 4, 6000, true, 1, true},    // 58
    {4, 4, 6000, true, 2, true},    // 59
    {4, 4, 6000, true, 0.5, true},  // 60
};

void Fan(Form1& f, const FanRow& row) {
    if (!BeginStep(f, RunForm::Relative, 0.4)) return;
    const double b = row.pulsing ? ((std::sin(row.m * f.a1) + 1.2) * row.F) / 2 : row.F;
    MoveAnchor(f, Motion::Orbit);
    const Point anchor{f.px[1], f.py[1]};
    for (int k = 1; k <= row.n; ++k) {
        const double theta = (k * f.p0) / row.d + f.a1;
        const double len = row.stepped ? (b * std::floor(k / 2.0 + 1)) / 4 : b;
        DrawLine(f, anchor, {f.px[1] + len * std::sin(theta), f.py[1] + len * std::cos(theta)});
    }
    EndStep(f);
}

} // namespace

void Pattern39(Form1& f) { Fan(f, kRows[0]); }
void Pattern40(Form1& f) { Fan(f, kRows[1]); }
void Pattern41(Form1& f) { Fan(f, kRows[2]); }
void Pattern42(Form1& f) { Fan(f, kRows[3]); }
void Pattern43(Form1& f) { Fan(f, kRows[4]); }
void Pattern44(Form1& f) { Fan(f, kRows[5]); }
void Pattern45(Form1& f) { Fan(f, kRows[6]); }
void Pattern46(Form1& f) { Fan(f, kRows[7]); }
void Pattern47(Form1& f) { Fan(f, kRows[8]); }
void Pattern48(Form1& f) { Fan(f, kRows[9]); }
void Pattern49(Form1& f) { Fan(f, kRows[10]); }
void Pattern50(Form1& f) { Fan(f, kRows[11]); }
void Pattern51(Form1& f) { Fan(f, kRows[12]); }
void Pattern52(Form1& f) { Fan(f, kRows[13]); }
void Pattern53(Form1& f) { Fan(f, kRows[14]); }
void Pattern54(Form1& f) { Fan(f, kRows[15]); }
void Pattern55(Form1& f) { Fan(f, kRows[16]); }
void Pattern56(Form1& f) { Fan(f, kRows[17]); }
void Pattern57(Form1& f) { Fan(f, kRows[18]); }
void Pattern58(Form1& f) { Fan(f, kRows[19]); }
void Pattern59(Form1& f) { Fan(f, kRows[20]); }
void Pattern60(Form1& f) { Fan(f, kRows[21]); }

} // namespace linesaver
