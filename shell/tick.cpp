#include "shell/tick.h"

#include "patterns/table.h"

namespace linesaver {

void Timer1_Timer(Form1& f) {
    f.pf->SetTimerInterval(TimerId::Timer1, 15);
    if (f.q0 == 0) {
        f.q = static_cast<int>(f.Rnd() * 61 + 1);
        f.q0 = 1;
        f.pf->Cls();
    }
    if (PatternRoutine routine = FindPattern(f.q)) routine(f);
    f.pf->DoEvents();
}

} // namespace linesaver
