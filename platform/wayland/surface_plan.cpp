#include "platform/wayland/surface_plan.h"

#include <algorithm>
#include <cmath>

namespace linesaver {
namespace {

// The longest side of a picture, in device pixels, when the output does not
// say how many it has: twice that of the largest screens sold.
constexpr int kMostSide = 16384;

} // namespace

SurfacePlan PlanSurface(const SurfaceOffer& offer) {
    const bool modeKnown = offer.modeWidth > 0 && offer.modeHeight > 0;
    const int mostWidth = modeKnown ? std::min(offer.modeWidth, kMostSide) : kMostSide;
    const int mostHeight = modeKnown ? std::min(offer.modeHeight, kMostSide) : kMostSide;
    const bool fractional = offer.viewporter && offer.preferredScale120 > 0;
    // The scale in 120ths, for the sizes the compositor leaves to us.
    const int scale120 =
        fractional ? std::clamp(offer.preferredScale120, kFractionalDenominator, kMostScale * kFractionalDenominator)
                   : std::clamp(offer.outputScale, 1, kMostScale) * kFractionalDenominator;
    auto logical = [&](int configured, int mode) {
        if (configured > 0) return std::min(configured, kMostSide);
        return modeKnown ? mode * kFractionalDenominator / scale120 : 0;
    };
    SurfacePlan plan;
    plan.logicalWidth = std::min(logical(offer.configuredWidth, offer.modeWidth), mostWidth);
    plan.logicalHeight = std::min(logical(offer.configuredHeight, offer.modeHeight), mostHeight);
    if (plan.logicalWidth <= 0 || plan.logicalHeight <= 0) return {};
    plan.ok = true;
    if (fractional) {
        auto device = [&](int side, int most) {
            const double exact = static_cast<double>(side) * scale120 / kFractionalDenominator;
            return std::clamp(static_cast<int>(std::lround(exact)), 1, most);
        };
        plan.bufferWidth = device(plan.logicalWidth, mostWidth);
        plan.bufferHeight = device(plan.logicalHeight, mostHeight);
        plan.viewport = true;
        return plan;
    }
    // A buffer's scale divides its size: the scale is lowered to the
    // smallest that covers the output's device pixels (sway, at a
    // fractional scale, asks for the next whole one and scales the picture
    // down), and to one that keeps the picture within the longest side when
    // the output does not say how many pixels it has.
    auto most = [modeKnown](int side, int logical) {
        return modeKnown ? (side + logical - 1) / logical : side / logical;
    };
    plan.bufferScale = std::clamp(std::min({scale120 / kFractionalDenominator, most(mostWidth, plan.logicalWidth),
                                            most(mostHeight, plan.logicalHeight)}),
                                  1, kMostScale);
    plan.bufferWidth = plan.logicalWidth * plan.bufferScale;
    plan.bufferHeight = plan.logicalHeight * plan.bufferScale;
    return plan;
}

} // namespace linesaver
