// A long headless run that checks, after every tick, that the animation's
// state stays within the ranges its routines guarantee and that every
// drawing call gets finite coordinates.
#pragma once

#include "tools/render/headless_render.h"

#include <string>

namespace linesaver {

struct SoakResult {
    long ticks = 0;    // ticks run, up to and including a faulty one
    std::string fault; // empty when every tick was sound, else what broke
    long draws = 0;    // drawing calls checked
};

// What is wrong with the state record after a tick, or "" when nothing is.
std::string StateFault(const SaverState& f);

// Runs `ticks` ticks from start-up, stopping at the first fault.
SoakResult Soak(const RunSetup& setup, long ticks);

} // namespace linesaver
