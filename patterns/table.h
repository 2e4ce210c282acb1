// The table from pattern number to routine.
#pragma once

#include "engine/saver_state.h"

namespace linesaver {

using PatternRoutine = void (*)(Form1&);

// The highest number the table answers for; 62 and above are empty.
inline constexpr int kPatternSlots = 70;
// How many numbers draw a figure; the tick chooses among 1..kPatterns.
inline constexpr int kPatterns = 61;

// The routine for pattern number q, or nullptr when q is not a whole
// number in 1..kPatternSlots.
PatternRoutine FindPattern(double q);

} // namespace linesaver
