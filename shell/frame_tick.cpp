#include "shell/frame_tick.h"

#include "patterns/table.h"

namespace linesaver {

void FrameTick(SaverState& s) {
    s.platform->SetTimerInterval(TimerId::FrameTick, 15);
    if (!s.patternActive) {
        s.pattern = static_cast<int>(s.Rnd() * PatternCount() + 1);
        s.patternActive = true;
        s.platform->Clear();
    }
    DrawPatternStep(s, s.pattern);
    s.platform->YieldToEvents();
}

} // namespace linesaver
