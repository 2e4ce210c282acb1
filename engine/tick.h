// The frame tick: choose a pattern when none is current, dispatch, yield.
#pragma once

#include "shell/form1.h"

namespace linesaver {

void Timer1_Timer(Form1& f);

} // namespace linesaver
