// The saver's state: everything that outlives one event lives in this one
// record. Every routine of the saver works on it; nothing else holds
// mutable state.
#pragma once

#include "platform/platform.h"

#include <array>
#include <cstdint>
#include <random>
#include <string>

namespace linesaver {

// The one random generator of the program. Next() is uniform in [0, 1).
class Generator {
public:
    void Seed(std::uint64_t seed) { engine_.seed(seed); }
    double Next() { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }

private:
    std::mt19937_64 engine_{0};
};

// A position or a velocity in twips (per tick).
struct Point {
    double x = 0;
    double y = 0;
};

// How the anchor drifts during a run.
enum class MotionMode {
    BounceAtEdges, // reflected at the screen's edges
    BounceInBand,  // reflected at the edges of the middle band, 1/6 .. 5/6
};

// The three colour channels, in this order.
inline constexpr int kChannels = 3; // red, green, blue

struct SaverState {
    explicit SaverState(Platform& machine) : platform(&machine) {}

    Platform* platform; // the window, timers, event loop, files and player

    // Music.
    std::string trackPath;                        // the chosen track in the music folder
    std::string copyPath;                         // its temporary copy, which the player opens
    std::array<char, kReplyLength> reply{};       // the player's reply to open, status and stop
    std::array<char, kReplyLength> secondReply{}; // and to play and close

    // The mouse at its previous move, twips.
    double lastMouseX = 0;
    double lastMouseY = 0;
    bool mouseSeen = false; // a first move has been recorded

    // The screen and the lengths that follow from it.
    double screenWidth = 0;  // twips
    double screenHeight = 0; // twips
    double lengthUnit = 0;   // screenWidth / 15360: every figure's size is a multiple
    double fullTurn = 0;     // the full turn as the figures use it, 6.283184

    // The phase and the run.
    double phase = 0;       // radians; grows by phaseStep on every drawn tick
    double phaseStep = 0;   // 0.03
    double runStart = 0;    // the phase when the run began
    double angleOffset = 0; // a fixed angle some figures start from; stays 0
    double runLimit = 0;    // how far a run goes, 31 (see RunMeasure)
    MotionMode motionMode = MotionMode::BounceAtEdges;

    // The pattern.
    int pattern = 0;            // the current pattern's number once chosen
    bool patternActive = false; // false: the next tick chooses a pattern
    int runsDone = 0;           // runs the current pattern has completed
    int runsPerPattern = 0;     // 1

    // The colour: each channel's level 0..255 and its direction, +1 or -1.
    std::array<int, kChannels> colourLevel{};
    std::array<int, kChannels> colourDirection{};
    Colour foreColour = 0; // red + 256 * green + 65536 * blue, what the figures draw in

    // The anchor every figure is drawn about, and its velocity per tick.
    Point anchor;
    Point velocity;

    Generator random; // shared by the animation and the music

    double Rnd() { return random.Next(); }
    void Randomize() { random.Seed(platform->ClockSeed()); }
};

} // namespace linesaver
