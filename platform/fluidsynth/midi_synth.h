// The synthesizer behind the MIDI player: FluidSynth playing Standard MIDI
// Files, rendered on the audio output's thread and held under -1 dBFS by a
// peak limiter.
//
// Construction returns at once: a loader thread opens the audio stream and
// loads the soundfont, then hands the finished synth over. A track started
// before that waits and begins when the synth is ready. Only the stream's
// thread renders; every call here takes the stream's lock.
#pragma once

#include "platform/audio_output.h"

#include <memory>
#include <string>

namespace linesaver {

// Debian's General MIDI soundfont (a link to the one installed).
inline constexpr const char* kDefaultSoundfont = "/usr/share/sounds/sf2/default-GM.sf2";

class MidiSynth {
public:
    enum class Mode {
        NotReady, // loading, waiting to start, or unable to play at all
        Playing,
        Stopped, // the track has ended, or there is none
    };

    // Plays on output (none: nothing will ever play).
    MidiSynth(std::unique_ptr<AudioOutput> output, std::string soundfont);
    // Waits for the loader (a fraction of a second at most) and closes the
    // audio stream.
    ~MidiSynth();
    MidiSynth(const MidiSynth&) = delete;
    MidiSynth& operator=(const MidiSynth&) = delete;

    // The soundfont or the audio stream could not be had: nothing will
    // ever play.
    bool Failed() const;
    // Plays the Standard MIDI File smf from its start, in place of any
    // track before it.
    void Play(const std::string& smf);
    // Silences and drops the current track.
    void Stop();
    Mode TrackMode() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace linesaver
