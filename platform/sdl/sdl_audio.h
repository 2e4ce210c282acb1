// The music's sound card through SDL's audio subsystem.
#pragma once

#include "platform/audio_output.h"

#include <memory>

namespace linesaver {

// Starts SDL's audio subsystem, held while the output lives; null when it
// cannot start. Its streams ask for 44100 Hz and take what the device
// offers.
std::unique_ptr<AudioOutput> MakeSdlAudioOutput();

} // namespace linesaver
