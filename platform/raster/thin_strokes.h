// Anti-aliased thin segments and circles drawn straight into 32-bit pixels.
//
// Every pixel takes the share of its area that the pen covers, blended over
// what is there in an opaque colour as Cairo's OVER does. Cairo's general
// rasterizer spends about 60 ns on every pixel row a one-pixel line
// crosses; these spend a few, which is most of the saver's drawing cost.
#pragma once

#include <cstdint>

namespace linesaver {

// A picture of 32-bit 0x00RRGGBB pixels in native byte order, owned by
// someone else.
struct PixelImage {
    unsigned char* data = nullptr;
    int stride = 0; // bytes from one row to the next
    int width = 0;
    int height = 0;
};

// Coordinates and widths in pixels; (0, 0) is the top-left corner of the
// top-left pixel. A segment has square (butt) ends; one of length zero
// draws nothing, as in Cairo.
void StrokeSegment(const PixelImage& image, double x1, double y1, double x2, double y2, double width,
                   std::uint32_t rgb);
void StrokeCircle(const PixelImage& image, double cx, double cy, double r, double width, std::uint32_t rgb);

} // namespace linesaver
