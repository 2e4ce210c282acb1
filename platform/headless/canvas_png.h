// A canvas's pixels through Cairo, for the pictures the render tool writes:
// as a surface to paint from, and as a PNG file.
#pragma once

#include <memory>
#include <string>

typedef struct _cairo_surface cairo_surface_t; // NOLINT(readability-identifier-naming): Cairo's own name

namespace linesaver {

class PixelCanvas;

struct CairoSurfaceDeleter {
    void operator()(cairo_surface_t* s) const;
};
using CairoSurface = std::unique_ptr<cairo_surface_t, CairoSurfaceDeleter>;

// An RGB24 image surface over the canvas's own pixels, to read from only
// and not beyond the canvas's life. Null when Cairo cannot take them.
CairoSurface SurfaceOver(const PixelCanvas& canvas);

// false when the file could not be written.
bool WritePng(const PixelCanvas& canvas, const std::string& path);

} // namespace linesaver
