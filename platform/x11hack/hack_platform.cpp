#include "platform/x11hack/hack_platform.h"

#include "platform/fluidsynth/mci_player.h"
#include "platform/posix/dos_files.h"
#include "platform/posix/program_folder.h"
#include "platform/posix/runtime_dir.h"
#include "platform/raster/pixel_canvas.h"
#include "platform/sdl/sdl_audio.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace linesaver {
namespace {

constexpr double kTwipsPerPixel = 15;
// How often a yield reads the connection's socket.
constexpr std::chrono::milliseconds kLookInterval{1};

TimerSchedule::TimePoint Now() { return TimerSchedule::Clock::now(); }

int TimerIndex(TimerId timer) { return timer == TimerId::FrameTick ? 0 : 1; }

} // namespace

std::unique_ptr<HackPlatform> HackPlatform::Open(const HackOptions& options, std::string& error) {
    std::unique_ptr<HackPlatform> platform(new HackPlatform());
    platform->window_ = HackWindow::Open(options, error);
    if (!platform->window_) return nullptr;
    if (options.music) platform->StartMusic();
    HackPlatform* self = platform.get();
    self->signals_.Start([self] {
        self->closeSignalled_ = true;
        const std::uint64_t one = 1;
        while (::write(self->wake_.get(), &one, sizeof one) < 0 && errno == EINTR) {
        }
    });
    return platform;
}

HackPlatform::HackPlatform()
    : wake_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)), programFolder_(SaverFolderOf(ExecutableFolder())) {}

HackPlatform::~HackPlatform() {
    player_.reset();
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
        files_ = std::make_unique<DosFiles>(*drive);
        player_ = std::make_unique<MciPlayer>(*files_, MakeSdlAudioOutput);
    }
}

void HackPlatform::EndProcess(int status) {
    saver_ = nullptr; // nothing more is delivered
    signals_.Stop();
    std::fflush(nullptr);
    std::_Exit(status);
}

std::uint64_t HackPlatform::ClockSeed() {
    const auto wall = std::chrono::system_clock::now().time_since_epoch().count();
    const auto mono = std::chrono::steady_clock::now().time_since_epoch().count();
    return static_cast<std::uint64_t>(wall) * 0x9E3779B97F4A7C15ULL ^ static_cast<std::uint64_t>(mono);
}

double HackPlatform::ScreenWidth() { return window_->Width() * kTwipsPerPixel; }
double HackPlatform::ScreenHeight() { return window_->Height() * kTwipsPerPixel; }
void HackPlatform::Clear() { window_->Canvas().Clear(); }
void HackPlatform::Line(float x1, float y1, float x2, float y2, Colour c) { window_->Canvas().Line(x1, y1, x2, y2, c); }
void HackPlatform::Circle(float x, float y, float r, Colour c) { window_->Canvas().Circle(x, y, r, c); }

void HackPlatform::SetTimerInterval(TimerId timer, int milliseconds) {
    timers_.Set(TimerIndex(timer), milliseconds, Now());
}

void HackPlatform::Run(SaverEvents& saver) {
    saver_ = &saver;
    timers_.Set(TimerIndex(TimerId::FrameTick), 10, Now());
    timers_.Set(TimerIndex(TimerId::MusicPoll), 0, Now());
    Deliver([&saver] { saver.Start(); });
    window_->Repaint();
    for (;;) {
        YieldToEvents();
        Settle();
        window_->Present();
        Wait();
        Look(true);
    }
}

template <class Handler>
void HackPlatform::Deliver(Handler handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        Fail(e.what());
    } catch (...) {
        Fail("unexpected error");
    }
}

void HackPlatform::Fail(const char* what) {
    std::fprintf(stderr, "linesaver: %s\n", what);
    if (saver_) {
        try {
            saver_->Leave(1);
        } catch (...) {
            // The leaving sequence itself failed: end without it.
        }
    }
    End(1);
}

void HackPlatform::YieldToEvents() {
    if (!Live()) return;
    // The yields of a tick come microseconds apart: the socket is read at
    // most once a millisecond.
    Look(Now() - lastLook_ >= kLookInterval);
    RunDueTimers();
}

void HackPlatform::Look(bool fromSocket) {
    if (!Live()) return;
    if (fromSocket) lastLook_ = Now();
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

void HackPlatform::Wait() {
    int timeout = -1;
    if (auto due = timers_.NextDue()) {
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*due - Now()).count();
        timeout = static_cast<int>(std::max<decltype(wait)>(wait, 0));
    }
    pollfd fds[2] = {{window_->Socket(), POLLIN, 0}, {wake_.get(), POLLIN, 0}};
    while (::poll(fds, 2, timeout) < 0 && errno == EINTR) {
    }
}

void HackPlatform::RunDueTimers() {
    const auto now = Now();
    for (int timer; Live() && (timer = timers_.Start(now)) >= 0;) {
        // Marks the timer idle again however its handler leaves.
        struct Finish {
            TimerSchedule& timers;
            int timer;
            ~Finish() { timers.Finish(timer); }
        } finish{timers_, timer};
        if (timer == 0)
            Deliver([this] { saver_->FrameTick(); });
        else
            Deliver([this] { saver_->MusicPoll(); });
    }
}

std::string HackPlatform::FirstFileName(const std::string& pattern) {
    return files_ ? files_->FirstFileName(pattern) : std::string();
}
std::string HackPlatform::NextFileName() { return files_ ? files_->NextFileName() : std::string(); }
bool HackPlatform::RemoveFile(const std::string& path) { return files_ && files_->RemoveFile(path); }
bool HackPlatform::CopyFileTo(const std::string& from, const std::string& to) {
    return files_ && files_->CopyFileTo(from, to);
}

long HackPlatform::SendPlayerCommand(const std::string& command, char* reply, int replyLength) {
    if (player_) return player_->Send(command, reply, replyLength);
    if (reply && replyLength > 0) reply[0] = '\0';
    return 1;
}

} // namespace linesaver
