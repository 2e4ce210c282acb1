// A persistent drawing canvas in twips, backed by a Cairo image surface.
// Segments and circles are drawn by thin_strokes, clears and copies by
// Cairo. What is drawn stays until the next Clear. The canvas remembers, tile by
// tile, what changed since it was last asked, so a window can present only
// that; and what was drawn since the last clear, so a clear touches only
// that.
#pragma once

#include "platform/raster/dirty_tiles.h"
#include "platform/platform.h"
#include "platform/raster/thin_strokes.h"

#include <memory>
#include <span>
#include <string>

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace linesaver {

class CairoCanvas {
public:
    // widthPx x heightPx device pixels of its own, black; pixelsPerTwip is
    // 1/15 on an ordinary display and more on a HiDPI one. Lines are one
    // logical pixel wide.
    CairoCanvas(int widthPx, int heightPx, double pixelsPerTwip, double logicalPixelPx = 1.0);
    // The same over pixels someone else owns and keeps alive longer (a
    // window's image): 32 bits each as 0x00RRGGBB in native byte order, rows
    // stride bytes apart. They are cleared to black and count as changed.
    CairoCanvas(unsigned char* pixels, int stride, int widthPx, int heightPx, double pixelsPerTwip,
                double logicalPixelPx = 1.0);
    ~CairoCanvas();
    CairoCanvas(const CairoCanvas&) = delete;
    CairoCanvas& operator=(const CairoCanvas&) = delete;

    bool ok() const;
    // To black. Only what was drawn since the last clear is touched, so
    // clearing a clear canvas changes nothing.
    void Clear();
    void Line(float x1, float y1, float x2, float y2, Colour c);
    void Circle(float x, float y, float r, Colour c);
    // other's pixels at the top left, the rest black; all of it changed.
    void CopyFrom(const CairoCanvas& other);

    // Pixels, 32 bits each as 0x00RRGGBB in native byte order.
    const unsigned char* Data() const;
    int Stride() const;
    int Width() const { return width_; }
    int Height() const { return height_; }

    // What changed since the last call, as rectangles clipped to the
    // canvas; none when nothing changed. Valid until the next call.
    std::span<const PixelRect> TakeDirty();

    bool WritePng(const std::string& path);
    // Drawing straight through the context (in twips) is neither tracked
    // nor cleared.
    cairo_t* context() const { return cr_.get(); }

private:
    void Start(cairo_surface_t* surface);
    // Before and after drawing on the pixels behind Cairo's back.
    void BeginDirect();
    void EndDirect();

    struct SurfaceDeleter {
        void operator()(cairo_surface_t* s) const;
    };
    struct ContextDeleter {
        void operator()(cairo_t* c) const;
    };
    std::unique_ptr<cairo_surface_t, SurfaceDeleter> surface_;
    std::unique_ptr<cairo_t, ContextDeleter> cr_;
    int width_;
    int height_;
    double scale_;  // device pixels per twip
    double pen_;    // line width in device pixels
    double margin_; // half the pen plus anti-aliasing, in pixels
    PixelImage image_;
    DirtyTiles changed_; // since the last TakeDirty
    DirtyTiles inked_;   // since the last Clear
};

} // namespace linesaver
