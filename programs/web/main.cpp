// The saver in a web page: the page opens a saver on one of its canvases,
// hands it its input and its clock's wake-ups through these functions,
// and releases it once it has left. Each call that may end in the saver's
// leaving is made by the page with its stack saved (see web_platform.h).
#include "patterns/table.h"
#include "platform/web/page_entry.h"
#include "platform/web/web_platform.h"
#include "shell/saver.h"

#include <new>

namespace {

using namespace linesaver;

// Keeps one pattern on the screen: whenever a run has ended, the next
// starts with the same pattern instead of a random one.
class PatternLoop final : public SaverEvents {
public:
    PatternLoop(Saver& saver, int pattern) : saver_(&saver), pattern_(pattern) {}
    void Start() override { saver_->Start(); }
    void MouseMoved(double x, double y) override { saver_->MouseMoved(x, y); }
    void Clicked() override { saver_->Clicked(); }
    void KeyPressed() override { saver_->KeyPressed(); }
    void CloseRequested() override { saver_->CloseRequested(); }
    void FrameTick() override {
        SaverState& s = saver_->State();
        if (!s.patternActive) {
            s.pattern = pattern_;
            s.patternActive = true;
            s.platform->Clear();
        }
        saver_->FrameTick();
    }
    void MusicPoll() override { saver_->MusicPoll(); }
    [[noreturn]] void Leave(int status) override { saver_->Leave(status); }

private:
    Saver* saver_;
    int pattern_;
};

struct Session {
    Session(const WebScreen& screen, std::optional<std::uint64_t> seed, const std::string& tracks, int pattern)
        : platform(screen, seed, tracks), saver(platform), loop(saver, pattern), pattern(pattern) {}
    WebPlatform platform;
    Saver saver;
    PatternLoop loop;
    int pattern;
};

} // namespace

extern "C" {

// A saver on the page's canvas `view`, not started yet; null when its
// picture cannot be made. The screen is screenWidth x screenHeight logical
// pixels. seed: "" for the clock, else a whole number. tracks: the music
// folder's names, one a line ("" for none). pattern: 0 for the saver's own
// choice, else the pattern kept on a loop.
LINESAVER_PAGE_ENTRY Session* linesaver_open(int view, int widthPx, int heightPx, double screenWidth,
                                             double screenHeight, double penPx, const char* seed, const char* tracks,
                                             int pattern) {
    const WebScreen screen{view, widthPx, heightPx, screenWidth, screenHeight, penPx};
    const std::string seedText = seed;
    auto* session = new (std::nothrow) Session(screen, seedText.empty() ? std::nullopt : ParseSeed(seedText), tracks,
                                               IsPattern(pattern) ? pattern : 0);
    if (session && !session->platform.Ok()) {
        delete session;
        return nullptr;
    }
    return session;
}

// Whether the text is a seed the page may pass.
LINESAVER_PAGE_ENTRY int linesaver_seed_ok(const char* seed) { return ParseSeed(seed).has_value(); }

LINESAVER_PAGE_ENTRY int linesaver_pattern_count() { return PatternCount(); }

LINESAVER_PAGE_ENTRY void linesaver_begin(Session* session) {
    if (session->pattern != 0)
        session->platform.Begin(session->loop);
    else
        session->platform.Begin(session->saver);
}

LINESAVER_PAGE_ENTRY int linesaver_run_due(Session* session) { return session->platform.RunClock(); }

LINESAVER_PAGE_ENTRY void linesaver_run_ticks(Session* session, double ticks) {
    session->platform.RunTicks(static_cast<long>(ticks));
}

LINESAVER_PAGE_ENTRY void linesaver_pointer(Session* session, double xCss, double yCss) {
    session->platform.PointerMoved(xCss, yCss);
}

LINESAVER_PAGE_ENTRY void linesaver_click(Session* session) { session->platform.Clicked(); }

LINESAVER_PAGE_ENTRY void linesaver_key(Session* session) { session->platform.KeyPressed(); }

LINESAVER_PAGE_ENTRY void linesaver_close(Session* session) { session->platform.CloseRequested(); }

LINESAVER_PAGE_ENTRY void linesaver_release(Session* session) { delete session; }

} // extern "C"
