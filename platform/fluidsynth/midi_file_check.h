// Whether a Standard MIDI File holds together well enough to be played:
// its header, every track chunk it announces, and every event in those
// tracks, read the way FluidSynth's player reads them. Only the structure
// is checked; what the events say is the synthesizer's business.
#pragma once

#include <string_view>

namespace linesaver {

// The most tracks FluidSynth's player plays from one file; with more it
// plays none.
inline constexpr int kMostMidiTracks = 127;

// True when smf is a whole Standard MIDI File that FluidSynth's player can
// load: an "MThd" header of length 6, format 0, 1 or 2, 1 to kMostMidiTracks
// tracks and a division in ticks per quarter note (not SMPTE frames); then
// that many "MTrk" chunks, each within the file, one after the other; in
// each, events that end within the chunk: delta times of at most four bytes,
// channel messages with running status, system-exclusive (F0) and meta
// events of the lengths they claim, the meta events FluidSynth knows at
// their fixed lengths. A track ends at its end-of-track event or at the end
// of its chunk. What follows the last track is not read.
bool IsPlayableMidiFile(std::string_view smf);

} // namespace linesaver
