#include "platform/headless/canvas_png.h"

#include "platform/raster/pixel_canvas.h"

#include <cairo.h>

namespace linesaver {

void CairoSurfaceDeleter::operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }

CairoSurface SurfaceOver(const PixelCanvas& canvas) {
    if (!canvas.Ok()) return nullptr;
    // Cairo's RGB24 is the canvas's 0x00RRGGBB. Cairo only reads a surface
    // it paints from or writes out, so the pixels stay as they are.
    CairoSurface surface(cairo_image_surface_create_for_data(const_cast<unsigned char*>(canvas.Data()),
                                                             CAIRO_FORMAT_RGB24, canvas.Width(), canvas.Height(),
                                                             canvas.Stride()));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
    return surface;
}

bool WritePng(const PixelCanvas& canvas, const std::string& path) {
    const CairoSurface surface = SurfaceOver(canvas);
    return surface && cairo_surface_write_to_png(surface.get(), path.c_str()) == CAIRO_STATUS_SUCCESS;
}

} // namespace linesaver
