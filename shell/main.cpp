// The saver: whatever the arguments, the full-screen saver runs until the
// user returns.
#include "platform/sdl_platform.h"
#include "shell/saver.h"

#include <cstdio>
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
            return end.status;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "linesaver: %s\n", e.what());
        return 1;
    }
}
