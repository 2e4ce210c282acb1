// A persistent drawing canvas in twips, backed by a Cairo image surface.
// What is drawn stays until the next Clear. The canvas remembers the region
// that changed since it was last asked, so a window can present only that.
#pragma once

#include "platform/platform.h"

#include <memory>
#include <string>

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace linesaver {

struct PixelRect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
};

class CairoCanvas {
public:
    // widthPx x heightPx device pixels; pixelsPerTwip is 1/15 on an ordinary
    // display and more on a HiDPI one. Lines are one logical pixel wide.
    CairoCanvas(int widthPx, int heightPx, double pixelsPerTwip, double logicalPixelPx = 1.0);
    ~CairoCanvas();
    CairoCanvas(const CairoCanvas&) = delete;
    CairoCanvas& operator=(const CairoCanvas&) = delete;

    bool ok() const;
    void Clear(); // to black
    void Line(float x1, float y1, float x2, float y2, Colour c);
    void Circle(float x, float y, float r, Colour c);

    // Pixels, 32 bits each as 0x00RRGGBB in native byte order.
    const unsigned char* Data() const;
    int Stride() const;
    int Width() const { return width_; }
    int Height() const { return height_; }

    // The union of everything changed since the last call, clipped to the
    // canvas; false when nothing changed. whole is set after a Clear.
    bool TakeDirty(PixelRect& rect, bool& whole);

    bool WritePng(const std::string& path);
    cairo_t* context() const { return cr_.get(); }

private:
    void SetColour(Colour c);
    void Touch(double x0, double y0, double x1, double y1);

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
    double margin_; // half the pen plus anti-aliasing, in pixels
    Colour colour_ = -1;
    bool dirty_ = false;
    bool whole_ = false;
    double dx0_ = 0, dy0_ = 0, dx1_ = 0, dy1_ = 0;
};

} // namespace linesaver
