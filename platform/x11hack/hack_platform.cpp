#include "platform/x11hack/hack_platform.h"

#include "platform/fluidsynth/mci_player.h"
#include "platform/posix/dos_files.h"
#include "platform/posix/poll_wait.h"
#include "platform/posix/program_folder.h"
#include "platform/posix/runtime_dir.h"
#include "platform/raster/pixel_canvas.h"
#include "platform/sdl/bus_autolaunch.h"
#include "platform/sdl/sdl_audio.h"

#include <cstdio>
#include <cstdlib>
#include <poll.h>

namespace linesaver {
std::unique_ptr<HackPlatform> HackPlatform::Open(const HackOptions& options, std::string& error) {
    PreventBusAutolaunch(); // the music's SDL would otherwise start a bus
    std::unique_ptr<HackPlatform> platform(new HackPlatform());
    platform->window_ = HackWindow::Open(options, error);
    if (!platform->window_) return nullptr;
    if (options.music) platform->StartMusic();
    HackPlatform* self = platform.get();
    self->signals_.Start([self] { self->closeSignalled_ = true; });
    return platform;
}

HackPlatform::HackPlatform() : Desktop(SaverFolderOf(ExecutableFolder())) {}

HackPlatform::~HackPlatform() {
    CloseDrive();
    signals_.Stop();
}

void HackPlatform::StartMusic() {
    // One hack plays: whichever holds the lock. The others draw in silence.
    const auto dir = RuntimeDir();
    if (!dir) return;
    musicLock_ = std::make_unique<InstanceLock>(*dir + "/music.lock");
    if (!musicLock_->Held()) return;
    // A drive of the hacks' own, apart from the saver's.
    if (auto drive = RuntimeSubdir("hack")) {
        auto files = std::make_unique<DosFiles>(*drive);
        auto player = std::make_unique<MciPlayer>(*files, MakeSdlAudioOutput);
        OpenDrive(std::move(files), std::move(player));
    }
}

void HackPlatform::EndProcess(int status) {
    saver_ = nullptr; // nothing more is delivered
    signals_.Stop();
    std::fflush(nullptr);
    std::_Exit(status);
}

EventDesktop::WindowSurface HackPlatform::Surface() {
    return {&window_->Canvas(), double(window_->Width()), double(window_->Height())};
}

void HackPlatform::Run(SaverEvents& saver) {
    Begin(saver);
    window_->Repaint();
    for (;;) {
        YieldToEvents();
        Settle();
        window_->Present();
        Look(Wait());
    }
}

void HackPlatform::Look(bool fromSocket) {
    if (!Live()) return;
    window_->Read(news_, fromSocket);
    if (window_->Lost()) {
        std::fprintf(stderr, "linesaver: the display has gone\n");
        Deliver([this] { saver_->Leave(1); });
    }
    // The preview closed, or the daemon's window gone: nothing left to do.
    if (news_.gone) Deliver([this] { saver_->Leave(0); });
    if (closeSignalled_ || news_.closeRequested) Deliver([this] { saver_->CloseRequested(); });
}

void HackPlatform::Settle() {
    if (news_.resized) {
        news_.resized = false;
        std::string error;
        if (!window_->Remake(error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            Deliver([this] { saver_->Leave(1); });
        }
        Deliver([this] { saver_->WindowResized(); });
        news_.exposed = true;
    }
    if (news_.exposed) {
        news_.exposed = false;
        window_->Repaint();
    }
}

bool HackPlatform::Wait() {
    pollfd fds[2] = {{window_->Socket(), POLLIN, 0}, {signals_.NoticeFd(), POLLIN, 0}};
    PollFor(fds, 2, TimeToNextTimer());
    if (fds[1].revents != 0) signals_.TakeNotice();
    Looked(); // the socket has just been looked at
    return fds[0].revents != 0;
}

} // namespace linesaver
