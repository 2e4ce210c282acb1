// The frame tick: choose a pattern when none is current, dispatch, yield.
#pragma once

#include "engine/saver_state.h"

namespace linesaver {

void Timer1_Timer(Form1& f);

} // namespace linesaver
