#include "platform/wayland/wayland_screens.h"

#include "platform/platform.h"
#include "platform/sdl/sdl_blank_windows.h"
#include "platform/wayland/mutter_primary.h"

#include <algorithm>

namespace linesaver {
namespace {

// How long mutter may take to say which monitor is primary.
constexpr std::chrono::milliseconds kBusLimit{500};

// The output the animation goes to: the one the compositor calls primary
// (KDE Plasma's word for it, else mutter's), else the first one.
const WaylandOutput* ChoosePrimary(const WaylandDisplay& display) {
    std::string name = display.KdePrimary();
    if (name.empty() && display.Mutter()) name = MutterPrimaryConnector(kBusLimit);
    const WaylandOutput* first = nullptr;
    for (const auto& output : display.Outputs()) {
        if (output->gone) continue;
        if (!name.empty() && output->name == name) return output.get();
        if (!first) first = output.get();
    }
    return first;
}

// An output's place and size among the others, logical pixels.
PixelRect Place(const WaylandOutput& output) {
    const int scale = std::max(output.scale, 1);
    return {output.x, output.y, output.logicalWidth > 0 ? output.logicalWidth : output.ViewWidth() / scale,
            output.logicalHeight > 0 ? output.logicalHeight : output.ViewHeight() / scale};
}

} // namespace

std::unique_ptr<WaylandScreens>
WaylandScreens::Open(WaylandDisplay& display, std::chrono::steady_clock::time_point deadline, std::string& error) {
    const WaylandOutput* primary = ChoosePrimary(display);
    if (!primary) {
        error = "the compositor has no outputs";
        return nullptr;
    }
    std::unique_ptr<WaylandScreens> self(new WaylandScreens(display));
    // A black window over every other output, but for one that shows part
    // of the primary output (a mirror) or of one already covered.
    std::vector<const WaylandOutput*> others;
    std::vector<PixelRect> places;
    for (const auto& output : display.Outputs()) {
        if (output.get() == primary || output->gone) continue;
        others.push_back(output.get());
        places.push_back(Place(*output));
    }
    const PixelRect home = Place(*primary);
    const std::vector<PixelRect> covered = DisplaysToCover(home, places);
    for (std::size_t i = 0; i < others.size(); ++i) {
        if (std::find(covered.begin(), covered.end(), places[i]) == covered.end()) continue;
        self->blanks_.push_back({std::make_unique<WaylandWindow>(display, *others[i], ""),
                                 nullptr,
                                 {places[i].x - home.x, places[i].y - home.y}});
    }
    // The animated window last, so that it takes the focus.
    self->window_ = std::make_unique<WaylandWindow>(display, *primary, "Form1");
    WaylandWindow& window = *self->window_;
    if (!display.DispatchUntil([&window] { return window.Configured(); }, deadline, error)) return nullptr;
    window.TakeChange();
    self->plan_ = PlanSurface(self->OfferFor(window));
    if (!self->plan_.ok) {
        error = "the compositor gives the window no size";
        return nullptr;
    }
    self->picture_ = WaylandPicture::Make(display.Shm(), self->plan_.bufferWidth, self->plan_.bufferHeight,
                                          1.0 / kTwipsPerPixel, error);
    if (!self->picture_) return nullptr;
    return self;
}

bool WaylandScreens::Settled() const {
    const PixelRect home = Place(window_->Output());
    return window_->ConfiguredWidth() == 0 || home.w <= 0 ||
           (window_->ConfiguredWidth() == home.w && window_->ConfiguredHeight() == home.h);
}

SurfaceOffer WaylandScreens::OfferFor(const WaylandWindow& window) const {
    // The output the window shows on, else the one it was asked to cover.
    const WaylandOutput* output = &window.Output();
    for (const auto& o : display_.Outputs())
        if (window.Entered() && o->handle.get() == window.Entered()) output = o.get();
    return {window.ConfiguredWidth(),    window.ConfiguredHeight(), output->scale,
            window.PreferredScale120(),  output->ViewWidth(),       output->ViewHeight(),
            window.Viewport() != nullptr};
}

void WaylandScreens::Lay(const WaylandWindow& window, const SurfacePlan& plan) {
    wl_surface_set_buffer_scale(window.Surface(), plan.bufferScale);
    if (window.Viewport())
        wp_viewport_set_destination(window.Viewport(), plan.viewport ? plan.logicalWidth : -1,
                                    plan.viewport ? plan.logicalHeight : -1);
}

void WaylandScreens::Show() {
    shown_ = true;
    whole_ = true;
    for (Blank& blank : blanks_)
        if (blank.window->TakeChange()) ShowBlank(blank);
    window_->Acknowledge();
    layPending_ = true;
}

void WaylandScreens::ShowBlank(Blank& blank) {
    WaylandWindow& window = *blank.window;
    SurfacePlan plan = PlanSurface(OfferFor(window));
    if (!plan.ok) return;
    // One black pixel laid over the whole window where the compositor can,
    // else black of the window's logical size: black needs no more.
    plan.bufferScale = 1;
    plan.viewport = window.Viewport() != nullptr;
    const int width = plan.viewport ? 1 : plan.logicalWidth;
    const int height = plan.viewport ? 1 : plan.logicalHeight;
    if (!blank.black || blank.black->Width() != width || blank.black->Height() != height) {
        std::string unused; // without memory the output stays uncovered
        blank.black = ShmBuffer::Make(display_.Shm(), width, height, unused);
    }
    window.Acknowledge();
    if (!blank.black) return;
    Lay(window, plan);
    blank.black->Attach(window.Surface());
    wl_surface_damage_buffer(window.Surface(), 0, 0, width, height);
    wl_surface_commit(window.Surface());
}

WaylandScreens::Outcome WaylandScreens::Present(std::string& error) {
    if (!shown_) return Outcome::Presented;
    for (Blank& blank : blanks_)
        if (blank.window->TakeChange()) ShowBlank(blank);
    Outcome outcome = Outcome::Presented;
    const bool configured = window_->TakeChange();
    if (configured) {
        const SurfacePlan plan = PlanSurface(OfferFor(*window_));
        // A plan without a size keeps the picture as it is.
        if (plan.ok && (plan.bufferWidth != picture_->Width() || plan.bufferHeight != picture_->Height())) {
            auto picture =
                WaylandPicture::Make(display_.Shm(), plan.bufferWidth, plan.bufferHeight, 1.0 / kTwipsPerPixel, error);
            if (!picture) return Outcome::Failed;
            picture_ = std::move(picture);
            outcome = Outcome::Resized;
        }
        if (plan.ok && !(plan == plan_)) {
            plan_ = plan;
            whole_ = true;
            layPending_ = true;
        }
        window_->Acknowledge();
    }
    // A picture goes once the compositor has shown the last one: no faster
    // than it shows them, so that it never holds more than one it has not
    // let go besides the one on the screen.
    if (!window_->FramePending() &&
        picture_->Present(window_->Surface(), whole_) == WaylandPicture::Presented::Attached) {
        // A new scale goes with the picture made for it, never with the old.
        if (layPending_) Lay(*window_, plan_);
        layPending_ = false;
        whole_ = false;
        window_->AskFrame();
        wl_surface_commit(window_->Surface());
    } else if (configured && !layPending_) {
        wl_surface_commit(window_->Surface()); // the acknowledgement alone
    }
    return outcome;
}

std::optional<SurfaceOffset> WaylandScreens::OffsetOf(const wl_surface* surface) const {
    if (surface == window_->Surface()) return SurfaceOffset{};
    for (const Blank& blank : blanks_)
        if (surface == blank.window->Surface()) return blank.offset;
    return std::nullopt;
}

bool WaylandScreens::CloseAsked() const {
    if (window_->CloseAsked()) return true;
    return std::any_of(blanks_.begin(), blanks_.end(), [](const Blank& b) { return b.window->CloseAsked(); });
}

bool WaylandScreens::PrimaryGone() {
    std::erase_if(blanks_, [](const Blank& b) { return b.window->Output().gone; });
    return window_->Output().gone;
}

void WaylandScreens::Close() {
    for (Blank& blank : blanks_) blank.window->Unmap();
    window_->Unmap();
}

} // namespace linesaver
