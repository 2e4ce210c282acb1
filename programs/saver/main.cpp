// The saver: whatever the arguments, the full-screen saver runs until the
// user returns.
#include "platform/sdl/sdl_platform.h"
#include "shell/saver.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/lsan_interface.h>
#endif

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
            // its copy deleted. The window goes now; the audio device, SDL
            // and the lock go with the process, since closing the device
            // would keep the process alive while SDL waits out its buffers.
            platform->CloseWindow();
            std::fflush(nullptr);
#ifdef __SANITIZE_ADDRESS__
            __lsan_do_leak_check(); // _Exit skips the check at exit
#endif
            std::_Exit(end.status);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "linesaver: %s\n", e.what());
        return 1;
    }
}
