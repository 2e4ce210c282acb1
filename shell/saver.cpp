#include "shell/saver.h"

#include "shell/tick.h"
#include "music/music.h"

namespace linesaver {

void Saver::Form_Load() {
    Form1& f = form_;
    Platform& pf = *f.pf;
    if (pf.PrevInstance()) pf.End();
    f.Randomize();
    pf.SetBackColor(0);
    pf.Maximize();
    f.aa = pf.ScreenWidth();
    f.bb = pf.ScreenHeight();
    f.a2 = 0;
    f.a0 = 0.03;
    f.c0 = f.aa / 15360;
    f.c1 = 31;
    f.q2 = 1;
    f.px[1] = f.aa * f.Rnd();
    f.py[1] = f.bb * f.Rnd();
    // Both components follow the width: the anchor starts right and down
    // at 45 degrees.
    f.px[2] = (f.aa * 0.13) * f.a0;
    f.py[2] = (f.aa * 0.13) * f.a0;
    for (int i = 1; i <= 3; ++i) f.col[i][1] = static_cast<int>(f.Rnd() * 256);
    for (int i = 1; i <= 3; ++i) f.col[i][2] = 1;
    f.p0 = 6.283184;
    f.q0 = 0;
    f.q1 = 0;
    f.q = 0;
    pf.ShowCursor(false);
    pf.SetTimerInterval(TimerId::Timer2, 100);
    StartRandomTrack(f);
}

void Saver::Form_MouseMove(int, int, double x, double y) {
    Form1& f = form_;
    if (f.zw == 1) {
        const double d = (f.xw - x) * (f.xw - x) + (f.yw - y) * (f.yw - y);
        if (d > kMouseThreshold) LeaveSaver();
    }
    f.xw = x;
    f.yw = y;
    f.zw = 1;
}

void Saver::Form_Click() { LeaveSaver(); }

void Saver::Form_KeyDown(int, int) { LeaveSaver(); }

// A close request is never refused, whatever its reason.
void Saver::Form_QueryUnload(int&, int) { LeaveSaver(); }

void Saver::Timer1_Timer() { linesaver::Timer1_Timer(form_); }

void Saver::Timer2_Timer() { linesaver::Timer2_Timer(form_); }

void Saver::LeaveSaver() {
    form_.pf->ShowCursor(true);
    StopMusic(form_);
    form_.pf->End();
}

} // namespace linesaver
