// The saver: whatever the arguments, the full-screen saver runs until the
// user returns.
#include "platform/sdl_platform.h"
#include "shell/saver.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

int main() {
    using namespace linesaver;
    try {
        std::string error;
        auto platform = SdlPlatform::Open(error);
        if (!platform) {
            std::fprintf(stderr, "linesaver: cannot open a display: %s\n", error.c_str());
            return 1;
        }
        Saver saver(*platform);
        try {
            platform->Run(saver);
        } catch (const EndProgram& end) {
            // The saver has left: the cursor is shown, the music stopped and
            // its copy deleted. The window, its image, the audio device and
            // the lock go with the process: closing them one by one would
            // keep it on screen for a quarter of a second, as SDL waits out
            // the audio buffers and the window manager.
            std::fflush(nullptr);
            std::_Exit(end.status);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "linesaver: %s\n", e.what());
        return 1;
    }
}
