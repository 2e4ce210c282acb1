// The saver: whatever the arguments, the full-screen saver runs until the
// user returns.
#include "platform/event_loop/desktop.h"
#include "shell/saver.h"

#include <cstdio>
#include <exception>

int main() {
    using namespace linesaver;
    try {
        std::string error;
        auto desktop = OpenDesktop(error);
        if (!desktop) {
            std::fprintf(stderr, "linesaver: cannot open a display: %s\n", error.c_str());
            return 1;
        }
        Saver saver(*desktop);
        desktop->Run(saver);
    } catch (const std::exception& e) {
        // Before the saver has started: nothing to undo yet.
        std::fprintf(stderr, "linesaver: %s\n", e.what());
        return 1;
    }
}
