// The saver's picture in a page: a pixel canvas of the page canvas's size
// and, beside it, the same pixels as the page takes them (RGBA bytes, alpha
// 255). Presenting converts only the tiles that changed and hands just
// those to the page canvas.
#pragma once

#include "platform/raster/pixel_canvas.h"

#include <cstdint>
#include <vector>

namespace linesaver {

class WebCanvas {
public:
    // view: the number the page knows its canvas by. widthPx x heightPx
    // device pixels; pixelsPerTwip and penPx as for PixelCanvas.
    WebCanvas(int view, int widthPx, int heightPx, double pixelsPerTwip, double penPx);
    WebCanvas(const WebCanvas&) = delete;
    WebCanvas& operator=(const WebCanvas&) = delete;

    bool Ok() const { return canvas_.Ok(); }
    PixelCanvas& Pixels() { return canvas_; }

    // Whatever changed since the last call goes to the page canvas.
    void Present();

private:
    int view_;
    PixelCanvas canvas_;
    std::vector<std::uint32_t> rgba_; // width x height, each R, G, B, 255 in memory
    std::vector<int> rects_;          // x, y, w, h of each changed rectangle, for the page
};

} // namespace linesaver
