// XScreenSaver's hack: the saver's animation in the window the daemon, its
// settings dialog or the command line names, until the daemon stops it.
#include "platform/x11hack/hack_options.h"
#include "platform/x11hack/hack_platform.h"
#include "shell/saver.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    using namespace linesaver;
    try {
        std::string error;
        const auto options = ParseHackOptions(std::vector<std::string>(argv + 1, argv + argc),
                                              std::getenv("XSCREENSAVER_WINDOW"), error);
        if (!options) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        auto platform = HackPlatform::Open(*options, error);
        if (!platform) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        Saver saver(*platform);
        platform->Run(saver);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "linesaver: %s\n", e.what());
        return 1;
    }
}
