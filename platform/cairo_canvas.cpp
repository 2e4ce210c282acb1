#include "platform/cairo_canvas.h"

#include <algorithm>
#include <cairo.h>
#include <cmath>

namespace linesaver {

void CairoCanvas::SurfaceDeleter::operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
void CairoCanvas::ContextDeleter::operator()(cairo_t* c) const { cairo_destroy(c); }

CairoCanvas::CairoCanvas(int widthPx, int heightPx, double pixelsPerTwip, double logicalPixelPx)
    : width_(widthPx), height_(heightPx), scale_(pixelsPerTwip), margin_(logicalPixelPx / 2 + 1.5) {
    std::unique_ptr<cairo_surface_t, SurfaceDeleter> surface(
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, widthPx, heightPx));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return;
    std::unique_ptr<cairo_t, ContextDeleter> cr(cairo_create(surface.get()));
    if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) return;
    cairo_scale(cr.get(), scale_, scale_);
    cairo_set_line_width(cr.get(), logicalPixelPx / scale_);
    cairo_set_antialias(cr.get(), CAIRO_ANTIALIAS_DEFAULT);
    surface_ = std::move(surface);
    cr_ = std::move(cr);
    Clear();
}

CairoCanvas::~CairoCanvas() = default;

bool CairoCanvas::ok() const { return cr_ != nullptr; }

void CairoCanvas::Clear() {
    if (!cr_) return;
    cairo_save(cr_.get());
    cairo_identity_matrix(cr_.get());
    cairo_set_source_rgb(cr_.get(), 0, 0, 0);
    cairo_paint(cr_.get());
    cairo_restore(cr_.get());
    colour_ = -1;
    dirty_ = true;
    whole_ = true;
}

void CairoCanvas::SetColour(Colour c) {
    if (c == colour_) return;
    colour_ = c;
    cairo_set_source_rgb(cr_.get(), (c & 0xff) / 255.0, ((c >> 8) & 0xff) / 255.0, ((c >> 16) & 0xff) / 255.0);
}

void CairoCanvas::Touch(double x0, double y0, double x1, double y1) {
    if (!dirty_) {
        dx0_ = x0, dy0_ = y0, dx1_ = x1, dy1_ = y1;
        dirty_ = true;
        return;
    }
    dx0_ = std::min(dx0_, x0), dy0_ = std::min(dy0_, y0);
    dx1_ = std::max(dx1_, x1), dy1_ = std::max(dy1_, y1);
}

void CairoCanvas::Line(float x1, float y1, float x2, float y2, Colour c) {
    if (!cr_) return;
    SetColour(c);
    cairo_move_to(cr_.get(), x1, y1);
    cairo_line_to(cr_.get(), x2, y2);
    cairo_stroke(cr_.get());
    Touch(std::min(x1, x2) * scale_ - margin_, std::min(y1, y2) * scale_ - margin_,
          std::max(x1, x2) * scale_ + margin_, std::max(y1, y2) * scale_ + margin_);
}

void CairoCanvas::Circle(float x, float y, float r, Colour c) {
    if (!cr_) return;
    SetColour(c);
    cairo_new_sub_path(cr_.get());
    cairo_arc(cr_.get(), x, y, std::fabs(r), 0, 2 * M_PI);
    cairo_stroke(cr_.get());
    const double rr = std::fabs(r);
    Touch((x - rr) * scale_ - margin_, (y - rr) * scale_ - margin_, (x + rr) * scale_ + margin_,
          (y + rr) * scale_ + margin_);
}

const unsigned char* CairoCanvas::Data() const {
    if (!surface_) return nullptr;
    cairo_surface_flush(surface_.get());
    return cairo_image_surface_get_data(surface_.get());
}

int CairoCanvas::Stride() const { return surface_ ? cairo_image_surface_get_stride(surface_.get()) : 0; }

bool CairoCanvas::TakeDirty(PixelRect& rect, bool& whole) {
    if (!dirty_) return false;
    dirty_ = false;
    whole = whole_;
    whole_ = false;
    if (whole) {
        rect = {0, 0, width_, height_};
        return true;
    }
    const int x0 = std::clamp(static_cast<int>(std::floor(dx0_)), 0, width_);
    const int y0 = std::clamp(static_cast<int>(std::floor(dy0_)), 0, height_);
    const int x1 = std::clamp(static_cast<int>(std::ceil(dx1_)), 0, width_);
    const int y1 = std::clamp(static_cast<int>(std::ceil(dy1_)), 0, height_);
    if (x1 <= x0 || y1 <= y0) return false; // drawn wholly off the canvas
    rect = {x0, y0, x1 - x0, y1 - y0};
    return true;
}

bool CairoCanvas::WritePng(const std::string& path) {
    if (!surface_) return false;
    cairo_surface_flush(surface_.get());
    return cairo_surface_write_to_png(surface_.get(), path.c_str()) == CAIRO_STATUS_SUCCESS;
}

} // namespace linesaver
