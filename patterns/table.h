// The patterns by number, from the families' tables.
#pragma once

#include "engine/saver_state.h"

namespace linesaver {

// How many patterns there are; they are numbered 1..PatternCount().
int PatternCount();

// One tick of pattern `number`. A number that names no pattern draws
// nothing and changes nothing.
void DrawPatternStep(SaverState& s, int number);

// Whether `number` names a pattern.
bool IsPattern(int number);

} // namespace linesaver
