#include "platform/web/web_canvas.h"

#include <emscripten.h>

namespace linesaver {
namespace {

// The page draws the rectangles (x, y, w, h, four ints each) of the RGBA
// picture at `pixels` on the canvas it knows as `view`, through one
// ImageData over the module's memory, made again only when that memory has
// grown or the picture is another.
// clang-format off
EM_JS(void, PutRectangles, (int view, const void* pixels, int width, int height, const int* rects, int count), {
    const target = Module.linesaverViews && Module.linesaverViews[view];
    if (!target) return;
    const bytes = width * height * 4;
    if (!target.image || target.image.data.buffer !== HEAPU8.buffer || target.imageAt !== pixels
        || target.image.width !== width || target.image.height !== height) {
        target.image = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, pixels, bytes), width, height);
        target.imageAt = pixels;
    }
    for (let i = 0; i < count; ++i) {
        const at = (rects >> 2) + 4 * i;
        target.context.putImageData(target.image, 0, 0, HEAP32[at], HEAP32[at + 1], HEAP32[at + 2], HEAP32[at + 3]);
    }
});
// clang-format on

// 0x00RRGGBB to the bytes R, G, B, 255 in the (little-endian) memory.
std::uint32_t ToRgba(std::uint32_t pixel) {
    return 0xFF000000u | (pixel & 0xFFu) << 16 | (pixel & 0xFF00u) | (pixel >> 16 & 0xFFu);
}

} // namespace

WebCanvas::WebCanvas(int view, int widthPx, int heightPx, double pixelsPerTwip, double penPx)
    : view_(view), canvas_(widthPx, heightPx, pixelsPerTwip, penPx) {
    if (!canvas_.Ok()) return;
    rgba_.assign(static_cast<std::size_t>(widthPx) * heightPx, ToRgba(0));
    rects_.resize(4 * static_cast<std::size_t>(DirtyTiles::MostRects(widthPx, heightPx)));
    // The whole picture, black, is the first thing shown.
    const int whole[4] = {0, 0, widthPx, heightPx};
    PutRectangles(view_, rgba_.data(), widthPx, heightPx, whole, 1);
}

void WebCanvas::Present() {
    if (!canvas_.Ok()) return;
    const auto changed = canvas_.TakeDirty();
    if (changed.empty()) return;
    const int width = canvas_.Width();
    int count = 0;
    for (const PixelRect& r : changed) {
        for (int y = r.y; y < r.y + r.h; ++y) {
            const auto* from = reinterpret_cast<const std::uint32_t*>(canvas_.Data() +
                                                                      static_cast<std::size_t>(y) * canvas_.Stride()) +
                               r.x;
            std::uint32_t* to = rgba_.data() + static_cast<std::size_t>(y) * width + r.x;
            for (int x = 0; x < r.w; ++x) to[x] = ToRgba(from[x]);
        }
        int* rect = &rects_[4 * static_cast<std::size_t>(count++)];
        rect[0] = r.x;
        rect[1] = r.y;
        rect[2] = r.w;
        rect[3] = r.h;
    }
    PutRectangles(view_, rgba_.data(), width, canvas_.Height(), rects_.data(), count);
}

} // namespace linesaver
