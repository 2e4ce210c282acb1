#include "music/music.h"

namespace linesaver {

// The music is not built yet: start-up ends without a track, the poll finds
// nothing to do and leaving has nothing to stop.
void StartRandomTrack(Form1&) {}
void Timer2_Timer(Form1& f) { f.pf->SetTimerInterval(TimerId::Timer2, 1000); }
void StopMusic(Form1&) {}

} // namespace linesaver
