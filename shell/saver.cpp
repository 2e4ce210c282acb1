#include "shell/saver.h"

#include "music/music.h"
#include "shell/frame_tick.h"

namespace linesaver {

namespace {

// The animation's first values at the window's present size: the next tick
// chooses a pattern and clears the window.
void StartAnimation(SaverState& s) {
    Platform& platform = *s.platform;
    s.screenWidth = platform.ScreenWidth();
    s.screenHeight = platform.ScreenHeight();
    s.angleOffset = 0;
    s.phaseStep = 0.03;
    s.lengthUnit = s.screenWidth / 15360;
    s.runLimit = 31;
    s.runsPerPattern = 1;
    s.anchor.x = s.screenWidth * s.Rnd();
    s.anchor.y = s.screenHeight * s.Rnd();
    // Both components follow the width: the anchor starts right and down
    // at 45 degrees.
    s.velocity.x = (s.screenWidth * 0.13) * s.phaseStep;
    s.velocity.y = (s.screenWidth * 0.13) * s.phaseStep;
    for (int& level : s.colourLevel) level = static_cast<int>(s.Rnd() * 256);
    s.colourDirection = {1, 1, 1};
    s.fullTurn = 6.283184;
    s.patternActive = false;
    s.runsDone = 0;
    s.pattern = 0;
}

} // namespace

void Saver::Start() {
    SaverState& s = state_;
    Platform& platform = *s.platform;
    if (platform.AnotherInstanceRunning()) platform.End(0);
    s.Randomize();
    StartAnimation(s);
    platform.ShowCursor(false);
    platform.SetTimerInterval(TimerId::MusicPoll, 100);
    StartRandomTrack(s);
}

void Saver::WindowResized() {
    // A new run from the beginning, not a pattern carried over half drawn.
    state_.phase = 0;
    state_.runStart = 0;
    StartAnimation(state_);
}

// The first move only records where the pointer is; after that, a step of
// more than the threshold between two moves ends the saver, however slowly
// the pointer may drift in smaller steps.
void Saver::MouseMoved(double x, double y) {
    SaverState& s = state_;
    if (s.mouseSeen) {
        const double dx = s.lastMouseX - x;
        const double dy = s.lastMouseY - y;
        if (dx * dx + dy * dy > kMouseThreshold) Leave(0);
    }
    s.lastMouseX = x;
    s.lastMouseY = y;
    s.mouseSeen = true;
}

void Saver::Clicked() { Leave(0); }

void Saver::KeyPressed() { Leave(0); }

// A close request is never refused, whatever its reason.
void Saver::CloseRequested() { Leave(0); }

void Saver::FrameTick() { linesaver::FrameTick(state_); }

void Saver::MusicPoll() { PollMusic(state_); }

void Saver::Leave(int status) {
    Platform& platform = *state_.platform;
    if (leaving_) platform.End(status);
    leaving_ = true;
    platform.ShowCursor(true);
    StopMusic(state_);
    platform.End(status);
}

} // namespace linesaver
