#include "platform/cairo_canvas.h"

#include <algorithm>
#include <cairo.h>
#include <cmath>

namespace linesaver {

void CairoCanvas::SurfaceDeleter::operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
void CairoCanvas::ContextDeleter::operator()(cairo_t* c) const { cairo_destroy(c); }

CairoCanvas::CairoCanvas(int widthPx, int heightPx, double pixelsPerTwip, double logicalPixelPx)
    : width_(widthPx), height_(heightPx), scale_(pixelsPerTwip), margin_(logicalPixelPx / 2 + 1.5),
      changed_(widthPx, heightPx), inked_(widthPx, heightPx) {
    // A new image surface is black already.
    Start(cairo_image_surface_create(CAIRO_FORMAT_RGB24, widthPx, heightPx), logicalPixelPx);
}

CairoCanvas::CairoCanvas(unsigned char* pixels, int stride, int widthPx, int heightPx, double pixelsPerTwip,
                         double logicalPixelPx)
    : width_(widthPx), height_(heightPx), scale_(pixelsPerTwip), margin_(logicalPixelPx / 2 + 1.5),
      changed_(widthPx, heightPx), inked_(widthPx, heightPx) {
    Start(cairo_image_surface_create_for_data(pixels, CAIRO_FORMAT_RGB24, widthPx, heightPx, stride),
          logicalPixelPx);
    inked_.MarkAll();
    Clear();
}

void CairoCanvas::Start(cairo_surface_t* made, double logicalPixelPx) {
    std::unique_ptr<cairo_surface_t, SurfaceDeleter> surface(made);
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return;
    std::unique_ptr<cairo_t, ContextDeleter> cr(cairo_create(surface.get()));
    if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) return;
    cairo_scale(cr.get(), scale_, scale_);
    cairo_set_line_width(cr.get(), logicalPixelPx / scale_);
    cairo_set_antialias(cr.get(), CAIRO_ANTIALIAS_DEFAULT);
    surface_ = std::move(surface);
    cr_ = std::move(cr);
}

CairoCanvas::~CairoCanvas() = default;

bool CairoCanvas::ok() const { return cr_ != nullptr; }

void CairoCanvas::Clear() {
    if (!cr_ || !inked_.Any()) return;
    cairo_t* cr = cr_.get();
    cairo_save(cr);
    cairo_identity_matrix(cr);
    for (const PixelRect& r : inked_.Take()) {
        cairo_rectangle(cr, r.x, r.y, r.w, r.h);
        changed_.MarkBox(r.x, r.y, r.x + r.w, r.y + r.h);
    }
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_fill(cr);
    cairo_restore(cr); // the fore colour's source again
}

void CairoCanvas::SetColour(Colour c) {
    if (c == colour_) return;
    colour_ = c;
    cairo_set_source_rgb(cr_.get(), (c & 0xff) / 255.0, ((c >> 8) & 0xff) / 255.0, ((c >> 16) & 0xff) / 255.0);
}

void CairoCanvas::Line(float x1, float y1, float x2, float y2, Colour c) {
    if (!cr_) return;
    SetColour(c);
    cairo_move_to(cr_.get(), x1, y1);
    cairo_line_to(cr_.get(), x2, y2);
    cairo_stroke(cr_.get());
    const double px1 = x1 * scale_, py1 = y1 * scale_, px2 = x2 * scale_, py2 = y2 * scale_;
    changed_.MarkSegment(px1, py1, px2, py2, margin_);
    inked_.MarkSegment(px1, py1, px2, py2, margin_);
}

void CairoCanvas::Circle(float x, float y, float r, Colour c) {
    if (!cr_) return;
    SetColour(c);
    cairo_new_sub_path(cr_.get());
    cairo_arc(cr_.get(), x, y, std::fabs(r), 0, 2 * M_PI);
    cairo_stroke(cr_.get());
    changed_.MarkCircle(x * scale_, y * scale_, r * scale_, margin_);
    inked_.MarkCircle(x * scale_, y * scale_, r * scale_, margin_);
}

void CairoCanvas::CopyFrom(const CairoCanvas& other) {
    if (!cr_ || !other.surface_) return;
    cairo_t* cr = cr_.get();
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    cairo_surface_flush(other.surface_.get());
    cairo_set_source_surface(cr, other.surface_.get(), 0, 0);
    cairo_paint(cr);
    cairo_restore(cr);
    changed_.MarkAll();
    inked_.MarkAll();
}

const unsigned char* CairoCanvas::Data() const {
    if (!surface_) return nullptr;
    cairo_surface_flush(surface_.get());
    return cairo_image_surface_get_data(surface_.get());
}

int CairoCanvas::Stride() const { return surface_ ? cairo_image_surface_get_stride(surface_.get()) : 0; }

std::span<const PixelRect> CairoCanvas::TakeDirty() {
    if (surface_) cairo_surface_flush(surface_.get());
    return changed_.Take();
}

bool CairoCanvas::WritePng(const std::string& path) {
    if (!surface_) return false;
    cairo_surface_flush(surface_.get());
    return cairo_surface_write_to_png(surface_.get(), path.c_str()) == CAIRO_STATUS_SUCCESS;
}

} // namespace linesaver
