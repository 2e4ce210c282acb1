// The state record: everything that outlives one event lives here, in the
// fields of the window object Form1. Every routine of the saver works on
// this one struct; nothing else holds mutable state.
#pragma once

#include "platform/platform.h"

#include <array>
#include <cstdint>
#include <random>
#include <string>

namespace linesaver {

// The one random generator of the program. Rnd() is uniform in [0, 1).
class Generator {
public:
    void Seed(std::uint64_t seed) { engine_.seed(seed); }
    double Rnd() { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }

private:
    std::mt19937_64 engine_{0};
};

struct Form1 {
    explicit Form1(Platform& platform) : pf(&platform) {}

    Platform* pf; // the window, timers, event loop and files

    // Fields, in declaration order. Every numeric field is a real number.
    std::string strFileFrom; // full path of the current MIDI file
    std::string strFileTo;   // the temporary copy
    double xw = 0;  // mouse x at the previous mouse-move event, twips
    double yw = 0;  // mouse y at the previous mouse-move event, twips
    double zw = 0;  // 1 once a first mouse-move event has been seen
    double aa = 0;  // screen width, twips
    double bb = 0;  // screen height, twips
    double a00 = 0; // the phase at the start of the current run
    double a0 = 0;  // phase step per tick, radians
    double a1 = 0;  // the phase, radians
    double a2 = 0;  // fixed angle offset
    double a4 = 0;  // motion mode: 0 screen edges, 1 middle band
    double c0 = 0;  // length scale aa / 15360
    double c1 = 0;  // run-length limit
    double p0 = 0;  // the full turn as stored, 6.283184
    double q = 0;   // current pattern
    double q0 = 0;  // pattern-active flag
    double q1 = 0;  // runs completed by the current pattern
    double q2 = 0;  // runs per pattern
    std::array<char, kReplyLength> mciReturnA{}; // player reply buffer
    std::array<char, kReplyLength> mciReturnB{}; // second reply buffer
    double col[4][3] = {}; // col[i][1] level, col[i][2] direction; i = 1..3
    double px[5] = {};     // px[1] anchor x, px[2] its velocity
    double py[5] = {};     // py[1] anchor y, py[2] its velocity

    Generator rng; // the one generator shared by animation and music

    double Rnd() { return rng.Rnd(); }
    void Randomize() { rng.Seed(pf->ClockSeed()); }
};

} // namespace linesaver
