// Background music: a random MIDI file from the program's music folder,
// copied to the temporary path and played through the player's command
// strings; a poll starts the next track when one has stopped.
#pragma once

#include "engine/saver_state.h"

namespace linesaver {

// Choose, copy, open and play a track.
void StartRandomTrack(SaverState& s);
// The music poll: when the player has stopped, close it and go on.
void PollMusic(SaverState& s);
// Stop and close the player and delete the temporary copy.
void StopMusic(SaverState& s);

} // namespace linesaver
