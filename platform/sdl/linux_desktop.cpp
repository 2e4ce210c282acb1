#include "platform/sdl/linux_desktop.h"

#include "platform/fluidsynth/mci_player.h"
#include "platform/posix/dos_files.h"
#include "platform/posix/program_folder.h"
#include "platform/posix/runtime_dir.h"
#include "platform/sdl/bus_autolaunch.h"
#include "platform/sdl/sdl_audio.h"

#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/lsan_interface.h>
#endif
#include <cstdio>
#include <cstdlib>

namespace linesaver {
namespace {

std::string LockPath() {
    auto dir = RuntimeDir();
    return dir ? *dir + "/instance.lock" : std::string();
}

} // namespace

LinuxDesktop::LinuxDesktop() : Desktop(ExecutableFolder()), lock_(LockPath()) {}

bool LinuxDesktop::Open(std::string& error) {
    // A second copy ends at start-up: no window, the cursor untouched.
    if (lock_.HeldElsewhere()) return true;
    // SDL reaches for the session bus, for its sound too.
    PreventBusAutolaunch();
    // The display server may take the connection and never answer while
    // the windows are being opened. Until they are open nothing of the
    // saver is on the screen or on disk, and a close signal ends the
    // process at once.
    signals_.Start([this] { CloseSignalled(); });
    const bool opened = OpenWindows(error);
    {
        const std::lock_guard lock(openingMutex_);
        opening_ = false;
    }
    if (!opened) return false;
    // Without a private drive there is nowhere to put the music's copy:
    // the saver then runs silent.
    if (auto drive = RuntimeSubdir("c")) {
        auto files = std::make_unique<DosFiles>(*drive);
        auto player = std::make_unique<MciPlayer>(*files, MakeSdlAudioOutput);
        OpenDrive(std::move(files), std::move(player));
    }
    return true;
}

void LinuxDesktop::CloseSignalled() {
    const std::lock_guard lock(openingMutex_);
    // Held to the end: the windows cannot be opened meanwhile.
    if (opening_) std::_Exit(0);
    CloseAsked();
}

void LinuxDesktop::StopMusicAndSignals() {
    CloseDrive();
    signals_.Stop();
}

void LinuxDesktop::ExitProcess(int status) {
    std::fflush(nullptr);
#ifdef __SANITIZE_ADDRESS__
    __lsan_do_leak_check(); // _Exit skips the check at exit
#endif
    std::_Exit(status);
}

} // namespace linesaver
