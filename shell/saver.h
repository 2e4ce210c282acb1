// The saver as the platform sees it: start-up, the two timers' handlers,
// and leaving on input.
#pragma once

#include "engine/saver_state.h"
#include "platform/platform.h"

namespace linesaver {

class Saver final : public SaverEvents {
public:
    explicit Saver(Platform& platform) : state_(platform) {}

    // Runs once, before any tick or input event is handled.
    void Start() override;

    void MouseMoved(double x, double y) override;
    void Clicked() override;
    void KeyPressed() override;
    void CloseRequested() override;
    void FrameTick() override;
    void MusicPoll() override;
    // The animation starts again at the window's new size; the music plays on.
    void WindowResized() override;

    // Show the cursor, stop the music and end the program with the status.
    // Runs once: a second call (an error while leaving) ends at once.
    [[noreturn]] void Leave(int status) override;

    SaverState& State() { return state_; }

private:
    SaverState state_;
    bool leaving_ = false;
};

// The square of the mouse step, in square twips, above which the saver ends.
inline constexpr double kMouseThreshold = 1000;

} // namespace linesaver
