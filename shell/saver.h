// The window object: start-up, the event handlers, and leaving on input.
#pragma once

#include "platform/platform.h"
#include "engine/saver_state.h"

namespace linesaver {

class Saver final : public FormHandlers {
public:
    explicit Saver(Platform& platform) : form_(platform) {}

    // Start-up. Runs once, before any tick or input event is handled.
    void Form_Load();

    void Form_MouseMove(int button, int shift, double x, double y) override;
    void Form_Click() override;
    void Form_KeyDown(int keyCode, int shift) override;
    void Form_QueryUnload(int& cancel, int unloadMode) override;
    void Timer1_Timer() override;
    void Timer2_Timer() override;

    // Show the cursor, stop the music and end the program. Never returns.
    [[noreturn]] void LeaveSaver();

    Form1& form() { return form_; }

private:
    Form1 form_;
};

// The square of the mouse step, in square twips, above which the saver ends.
inline constexpr double kMouseThreshold = 1000;

} // namespace linesaver
