// Background music: a random MIDI file from the program's music folder,
// copied to the temporary path and played through the player's command
// strings; a poll starts the next track when one has stopped.
#pragma once

#include "engine/saver_state.h"

namespace linesaver {

// Choose, copy, open and play a track.
void StartRandomTrack(Form1& f);
// The poll of Timer2: when the player has stopped, close it and go on.
void Timer2_Timer(Form1& f);
// Stop and close the player and delete the temporary copy.
void StopMusic(Form1& f);

} // namespace linesaver
