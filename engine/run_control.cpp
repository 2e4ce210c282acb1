#include "engine/run_control.h"

namespace linesaver {

void RestartRun(Form1& f) {
    f.Randomize();
    f.px[1] = f.aa * f.Rnd();
    f.py[1] = f.bb * f.Rnd();
    f.a1 = f.p0 * f.Rnd();
    f.a00 = f.a1;
    f.pf->Cls();
    f.q1 = f.q1 + 1;
    f.a4 = static_cast<int>(2 * f.Rnd());
}

void EndPattern(Form1& f) {
    f.q1 = 0;
    f.q0 = 0;
}

void StepColour(Form1& f) {
    for (int i = 1; i <= 3; ++i) {
        f.col[i][1] = f.col[i][1] + f.col[i][2] * i * 3;
        // A level that lands on 0 turns at once; one that lands on 255
        // turns only after it overshoots on the next step.
        if (f.col[i][1] < 1) {
            f.col[i][1] = 0;
            f.col[i][2] = 1;
        }
        if (f.col[i][1] > 255) {
            f.col[i][1] = 255;
            f.col[i][2] = -1;
        }
    }
    const auto level = [&f](int i) { return static_cast<Colour>(f.col[i][1]); };
    f.pf->SetForeColor(level(1) + 256 * level(2) + 65536 * level(3));
    f.a1 = f.a1 + f.a0;
    f.pf->DoEvents();
}

double RunMeasure(const Form1& f, RunForm form) {
    switch (form) {
    case RunForm::Absolute:
        return (f.a1 * 30000) / 15360;
    case RunForm::Relative:
        return ((f.a1 - f.a00) * 30000) / 15360;
    case RunForm::DoubledRelative:
        return (((f.a1 - f.a00) * 30000) / 15360) * 2;
    }
    return 0;
}

bool EndOfRun(Form1& f, RunForm form, double k) {
    if (!(RunMeasure(f, form) > k * f.c1)) return false;
    RestartRun(f);
    if (f.q1 == f.q2) {
        EndPattern(f);
        return true;
    }
    return false;
}

} // namespace linesaver
