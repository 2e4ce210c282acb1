// The frame tick: choose a pattern when none is current, dispatch, yield.
#pragma once

#include "engine/saver_state.h"

namespace linesaver {

void FrameTick(SaverState& s);

} // namespace linesaver
