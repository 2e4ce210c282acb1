// How big a full-screen window's picture is in device pixels, and how the
// compositor is told to lay it over the window: from what the compositor
// has said of the window and of its output, values it may get wrong
// included. One canvas pixel is one device pixel, so the figures and their
// lines come out as on an X server of the output's device size.
#pragma once

namespace linesaver {

// The largest scale taken from a compositor, integer or fractional: a
// larger one is taken as this.
inline constexpr int kMostScale = 8;
// Fractional scales come in 120ths.
inline constexpr int kFractionalDenominator = 120;

// What the compositor has said. Sizes of 0 mean "not said".
struct SurfaceOffer {
    int configuredWidth = 0; // the window, logical pixels (its configure)
    int configuredHeight = 0;
    int outputScale = 1;       // the output's integer scale
    int preferredScale120 = 0; // the window's fractional scale in 120ths, 0 when none
    int modeWidth = 0;         // the output in device pixels, as the window sees it
    int modeHeight = 0;
    bool viewporter = false; // whether the compositor can lay a picture over any size
};

struct SurfacePlan {
    bool ok = false; // false: nothing says how big the window is
    int logicalWidth = 0;
    int logicalHeight = 0;
    int bufferWidth = 0; // the picture, device pixels
    int bufferHeight = 0;
    int bufferScale = 1;   // for wl_surface.set_buffer_scale
    bool viewport = false; // laid over the logical size by a viewport instead
    friend bool operator==(const SurfacePlan&, const SurfacePlan&) = default;
};

// The plan: the fractional scale through a viewport where the compositor
// offers both, else the output's integer scale as the buffer's scale. Bad
// values are made sane: a scale below 1 counts as 1 and one above
// kMostScale as kMostScale, a fractional scale of 0 or less as none; a
// window without a size takes its output's, a window larger than its
// output's device pixels is cut to them, and the scale is never more than
// needed to cover them.
SurfacePlan PlanSurface(const SurfaceOffer& offer);

} // namespace linesaver
