// Which parts of a pixel canvas have changed: a grid of square tiles, marked
// by the boxes, segments and circles drawn, and handed out as a few
// rectangles. A long slanted segment marks a narrow band of tiles instead of
// its whole bounding box, so far fewer pixels go to the screen.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace linesaver {

struct PixelRect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

class DirtyTiles {
public:
    // Tile side in pixels: small enough to follow a slanted line, large
    // enough that a tick's change is a handful of rectangles.
    static constexpr int kTile = 32;

    DirtyTiles(int widthPx, int heightPx);
    // The most rectangles Take() can hand out for a canvas of that size.
    static int MostRects(int widthPx, int heightPx);

    bool Any() const { return any_; }
    void MarkAll();
    // The box [x0, x1) x [y0, y1), in pixels; what lies off the canvas is
    // ignored.
    void MarkBox(double x0, double y0, double x1, double y1);
    // Every pixel within margin of the segment.
    void MarkSegment(double x1, double y1, double x2, double y2, double margin);
    // Every pixel within margin of the circle's outline.
    void MarkCircle(double cx, double cy, double r, double margin);
    // What other has marked too; other covers a canvas of the same size.
    void Add(const DirtyTiles& other);

    // The marked tiles as rectangles clipped to the canvas, and nothing
    // marked any more. The rectangles stay valid until the next call.
    std::span<const PixelRect> Take();
    // Nothing marked, without handing anything out.
    void Reset();

private:
    void MarkColumns(int row, double x0, double x1);
    template <class XRange>
    void MarkRows(double top, double bottom, double margin, XRange xRange);
    bool Marked(int row, int col) const { return marked_[static_cast<std::size_t>(row) * cols_ + col] != 0; }

    int width_;
    int height_;
    int cols_;
    int rows_;
    bool any_ = false;
    std::vector<std::uint8_t> marked_; // rows_ x cols_
    std::vector<int> firstCol_;        // per row: marked columns lie in
    std::vector<int> lastCol_;         // [firstCol_, lastCol_]; empty when first > last
    std::vector<PixelRect> rects_;     // Take()'s answer, never reallocated
    std::vector<int> open_;            // rects of the previous row that may grow down
    std::vector<int> nextOpen_;
};

} // namespace linesaver
