#include "platform/raster/cairo_canvas.h"

#include <algorithm>
#include <cairo.h>
#include <cmath>

namespace linesaver {

void CairoCanvas::SurfaceDeleter::operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
void CairoCanvas::ContextDeleter::operator()(cairo_t* c) const { cairo_destroy(c); }

namespace {

// The window's colour red + 256 * green + 65536 * blue as a 0x00RRGGBB pixel.
std::uint32_t Pixel(Colour c) {
    const auto v = static_cast<std::uint32_t>(c);
    return ((v & 0xff) << 16) | (v & 0xff00) | ((v >> 16) & 0xff);
}

} // namespace

CairoCanvas::CairoCanvas(int widthPx, int heightPx, double pixelsPerTwip, double logicalPixelPx)
    : width_(widthPx), height_(heightPx), scale_(pixelsPerTwip), pen_(logicalPixelPx),
      margin_(logicalPixelPx / 2 + 1.5), changed_(widthPx, heightPx), inked_(widthPx, heightPx) {
    // A new image surface is black already.
    Start(cairo_image_surface_create(CAIRO_FORMAT_RGB24, widthPx, heightPx));
}

CairoCanvas::CairoCanvas(unsigned char* pixels, int stride, int widthPx, int heightPx, double pixelsPerTwip,
                         double logicalPixelPx)
    : width_(widthPx), height_(heightPx), scale_(pixelsPerTwip), pen_(logicalPixelPx),
      margin_(logicalPixelPx / 2 + 1.5), changed_(widthPx, heightPx), inked_(widthPx, heightPx) {
    Start(cairo_image_surface_create_for_data(pixels, CAIRO_FORMAT_RGB24, widthPx, heightPx, stride));
    inked_.MarkAll();
    Clear();
}

void CairoCanvas::Start(cairo_surface_t* made) {
    std::unique_ptr<cairo_surface_t, SurfaceDeleter> surface(made);
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return;
    std::unique_ptr<cairo_t, ContextDeleter> cr(cairo_create(surface.get()));
    if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) return;
    cairo_scale(cr.get(), scale_, scale_);
    image_ = {cairo_image_surface_get_data(surface.get()), cairo_image_surface_get_stride(surface.get()), width_,
              height_};
    surface_ = std::move(surface);
    cr_ = std::move(cr);
}

void CairoCanvas::BeginDirect() { cairo_surface_flush(surface_.get()); }
void CairoCanvas::EndDirect() { cairo_surface_mark_dirty(surface_.get()); }

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
    cairo_restore(cr);
}

void CairoCanvas::Line(float x1, float y1, float x2, float y2, Colour c) {
    if (!cr_) return;
    const double px1 = x1 * scale_, py1 = y1 * scale_, px2 = x2 * scale_, py2 = y2 * scale_;
    BeginDirect();
    StrokeSegment(image_, px1, py1, px2, py2, pen_, Pixel(c));
    EndDirect();
    changed_.MarkSegment(px1, py1, px2, py2, margin_);
    inked_.MarkSegment(px1, py1, px2, py2, margin_);
}

void CairoCanvas::Circle(float x, float y, float r, Colour c) {
    if (!cr_) return;
    const double px = x * scale_, py = y * scale_, pr = std::fabs(r) * scale_;
    BeginDirect();
    StrokeCircle(image_, px, py, pr, pen_, Pixel(c));
    EndDirect();
    changed_.MarkCircle(px, py, pr, margin_);
    inked_.MarkCircle(px, py, pr, margin_);
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
