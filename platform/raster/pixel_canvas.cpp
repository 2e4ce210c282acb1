#include "platform/raster/pixel_canvas.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace linesaver {
namespace {

// The window's colour red + 256 * green + 65536 * blue as a 0x00RRGGBB pixel.
std::uint32_t Pixel(Colour c) {
    const auto v = static_cast<std::uint32_t>(c);
    return ((v & 0xff) << 16) | (v & 0xff00) | ((v >> 16) & 0xff);
}

// Black is all bits zero, so a row of it is a memset.
void FillRows(const PixelImage& image, int x, int y, int w, int h) {
    if (w <= 0 || h <= 0) return;
    unsigned char* row = image.data + static_cast<std::ptrdiff_t>(y) * image.stride + x * 4;
    for (int i = 0; i < h; ++i, row += image.stride) std::memset(row, 0, static_cast<std::size_t>(w) * 4);
}

} // namespace

PixelCanvas::PixelCanvas(int widthPx, int heightPx, double pixelsPerTwip, double logicalPixelPx, PixelImage image)
    : image_(image), scale_(pixelsPerTwip), pen_(logicalPixelPx), margin_(logicalPixelPx / 2 + 1.5),
      changed_(widthPx, heightPx), inked_(widthPx, heightPx) {}

PixelCanvas::PixelCanvas(int widthPx, int heightPx, double pixelsPerTwip, double logicalPixelPx)
    : PixelCanvas(widthPx, heightPx, pixelsPerTwip, logicalPixelPx, {}) {
    if (widthPx < 0 || heightPx < 0) return;
    try {
        // Zeros are black already.
        own_.resize(static_cast<std::size_t>(widthPx) * static_cast<std::size_t>(heightPx));
    } catch (const std::bad_alloc&) {
        return;
    }
    image_ = {reinterpret_cast<unsigned char*>(own_.data()), widthPx * 4, widthPx, heightPx};
    ok_ = true;
}

PixelCanvas::PixelCanvas(unsigned char* pixels, int stride, int widthPx, int heightPx, double pixelsPerTwip,
                         double logicalPixelPx, bool alreadyBlack)
    : PixelCanvas(widthPx, heightPx, pixelsPerTwip, logicalPixelPx, {}) {
    if (pixels == nullptr || widthPx < 0 || heightPx < 0 || stride % 4 != 0 || stride / 4 < widthPx) return;
    image_ = {pixels, stride, widthPx, heightPx};
    ok_ = true;
    if (alreadyBlack) return;
    inked_.MarkAll();
    Clear();
}

void PixelCanvas::FillBlack(const PixelRect& r) {
    FillRows(image_, r.x, r.y, r.w, r.h);
    changed_.MarkBox(r.x, r.y, r.x + r.w, r.y + r.h);
}

void PixelCanvas::Clear() {
    if (!ok_ || !inked_.Any()) return;
    for (const PixelRect& r : inked_.Take()) FillBlack(r);
}

void PixelCanvas::Line(float x1, float y1, float x2, float y2, Colour c) {
    if (!ok_) return;
    const double px1 = x1 * scale_, py1 = y1 * scale_, px2 = x2 * scale_, py2 = y2 * scale_;
    StrokeSegment(image_, px1, py1, px2, py2, pen_, Pixel(c));
    changed_.MarkSegment(px1, py1, px2, py2, margin_);
    inked_.MarkSegment(px1, py1, px2, py2, margin_);
}

void PixelCanvas::Circle(float x, float y, float r, Colour c) {
    if (!ok_) return;
    const double px = x * scale_, py = y * scale_, pr = std::fabs(r) * scale_;
    StrokeCircle(image_, px, py, pr, pen_, Pixel(c));
    changed_.MarkCircle(px, py, pr, margin_);
    inked_.MarkCircle(px, py, pr, margin_);
}

void PixelCanvas::CopyFrom(const PixelCanvas& other) {
    if (!ok_ || !other.ok_ || &other == this) return;
    const int w = std::min(Width(), other.Width());
    const int h = std::min(Height(), other.Height());
    const unsigned char* from = other.image_.data;
    unsigned char* to = image_.data;
    for (int y = 0; y < h; ++y, from += other.image_.stride, to += image_.stride) {
        std::memcpy(to, from, static_cast<std::size_t>(w) * 4);
        FillRows(image_, w, y, Width() - w, 1);
    }
    FillRows(image_, 0, h, Width(), Height() - h);
    changed_.MarkAll();
    inked_.MarkAll();
}

std::span<const PixelRect> PixelCanvas::TakeDirty() { return changed_.Take(); }

} // namespace linesaver
