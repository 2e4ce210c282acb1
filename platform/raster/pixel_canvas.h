// A persistent drawing canvas in twips over plain 32-bit pixels. Segments
// and circles are drawn by thin_strokes; clears and copies are plain
// fills and row copies. What is drawn stays until the next Clear. The
// canvas remembers, tile by tile, what changed since it was last asked, so
// a window can present only that; and what was drawn since the last clear,
// so a clear touches only that.
#pragma once

#include "platform/platform.h"
#include "platform/raster/dirty_tiles.h"
#include "platform/raster/thin_strokes.h"

#include <cstdint>
#include <span>
#include <vector>

namespace linesaver {

class PixelCanvas {
public:
    // widthPx x heightPx device pixels of its own, black; pixelsPerTwip is
    // 1/15 on an ordinary display and more on a HiDPI one. Lines are one
    // logical pixel wide.
    PixelCanvas(int widthPx, int heightPx, double pixelsPerTwip, double logicalPixelPx = 1.0);
    // The same over pixels someone else owns and keeps alive longer (a
    // window's image): 32 bits each as 0x00RRGGBB in native byte order, rows
    // stride bytes apart. They are cleared to black and count as changed,
    // unless the owner knows them black already (memory fresh from the
    // system): then nothing is touched, and nothing counts as changed.
    PixelCanvas(unsigned char* pixels, int stride, int widthPx, int heightPx, double pixelsPerTwip,
                double logicalPixelPx = 1.0, bool alreadyBlack = false);
    PixelCanvas(const PixelCanvas&) = delete;
    PixelCanvas& operator=(const PixelCanvas&) = delete;

    // false when the pixels could not be had; such a canvas draws nothing.
    bool Ok() const { return ok_; }
    // To black. Only what was drawn since the last clear is touched, so
    // clearing a clear canvas changes nothing.
    void Clear();
    void Line(float x1, float y1, float x2, float y2, Colour c);
    void Circle(float x, float y, float r, Colour c);
    // other's pixels at the top left, the rest black; all of it changed.
    void CopyFrom(const PixelCanvas& other);

    // Pixels, 32 bits each as 0x00RRGGBB in native byte order.
    const unsigned char* Data() const { return image_.data; }
    int Stride() const { return image_.stride; }
    int Width() const { return image_.width; }
    int Height() const { return image_.height; }

    // Draws from now on over other pixels of the same size and layout,
    // which hold the same picture already (a second buffer brought up to
    // date): nothing counts as changed.
    void MoveTo(unsigned char* pixels) {
        if (ok_ && pixels && own_.empty()) image_.data = pixels;
    }

    // What changed since the last call, as rectangles clipped to the
    // canvas; none when nothing changed. Valid until the next call.
    std::span<const PixelRect> TakeDirty();
    // Counts all that is not black as changed: what a window whose
    // exposed parts its server paints black lacks.
    void MarkDrawnChanged() { changed_.Add(inked_); }

private:
    PixelCanvas(int widthPx, int heightPx, double pixelsPerTwip, double logicalPixelPx, PixelImage image);
    void FillBlack(const PixelRect& r);

    std::vector<std::uint32_t> own_; // the pixels, unless someone else's
    PixelImage image_;
    bool ok_ = false;
    double scale_;       // device pixels per twip
    double pen_;         // line width in device pixels
    double margin_;      // half the pen plus anti-aliasing, in pixels
    DirtyTiles changed_; // since the last TakeDirty
    DirtyTiles inked_;   // since the last Clear
};

} // namespace linesaver
