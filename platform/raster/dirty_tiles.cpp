#include "platform/raster/dirty_tiles.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace linesaver {
namespace {

constexpr int kTile = DirtyTiles::kTile;

int TilesFor(int pixels) { return pixels > 0 ? (pixels + kTile - 1) / kTile : 0; }

} // namespace

DirtyTiles::DirtyTiles(int widthPx, int heightPx)
    : width_(std::max(widthPx, 0)), height_(std::max(heightPx, 0)), cols_(TilesFor(width_)), rows_(TilesFor(height_)),
      marked_(static_cast<std::size_t>(cols_) * rows_, 0), firstCol_(rows_, cols_), lastCol_(rows_, -1) {
    const auto perRow = static_cast<std::size_t>(cols_ + 1) / 2;
    rects_.reserve(static_cast<std::size_t>(MostRects(width_, height_)));
    open_.reserve(perRow);
    nextOpen_.reserve(perRow);
}

// Every other tile of every row.
int DirtyTiles::MostRects(int widthPx, int heightPx) { return (TilesFor(widthPx) + 1) / 2 * TilesFor(heightPx); }

void DirtyTiles::MarkAll() {
    if (cols_ == 0 || rows_ == 0) return;
    std::fill(marked_.begin(), marked_.end(), 1);
    std::fill(firstCol_.begin(), firstCol_.end(), 0);
    std::fill(lastCol_.begin(), lastCol_.end(), cols_ - 1);
    any_ = true;
}

void DirtyTiles::MarkColumns(int row, double x0, double x1) {
    if (!(x1 >= 0 && x0 < width_) || x1 < x0) return; // also false for NaN
    const int c0 = std::clamp(static_cast<int>(std::floor(x0 / kTile)), 0, cols_ - 1);
    const int c1 = std::clamp(static_cast<int>(std::floor(x1 / kTile)), 0, cols_ - 1);
    std::fill_n(marked_.begin() + static_cast<std::ptrdiff_t>(row) * cols_ + c0, c1 - c0 + 1, 1);
    firstCol_[row] = std::min(firstCol_[row], c0);
    lastCol_[row] = std::max(lastCol_[row], c1);
    any_ = true;
}

// Calls perRow(row, y0, y1) for every tile row that [top, bottom] touches,
// with the row's pixel band [y0, y1) widened by margin on both sides.
template <class PerRow>
void DirtyTiles::MarkRows(double top, double bottom, double margin, PerRow perRow) {
    top -= margin;
    bottom += margin;
    if (rows_ == 0 || cols_ == 0 || !(bottom >= 0 && top < height_)) return; // also for NaN
    const int r0 = std::clamp(static_cast<int>(std::floor(top / kTile)), 0, rows_ - 1);
    const int r1 = std::clamp(static_cast<int>(std::floor(bottom / kTile)), 0, rows_ - 1);
    for (int r = r0; r <= r1; ++r) perRow(r, double(r) * kTile - margin, double(r + 1) * kTile + margin);
}

void DirtyTiles::MarkBox(double x0, double y0, double x1, double y1) {
    MarkRows(y0, y1 - 1e-9, 0, [&](int row, double, double) { MarkColumns(row, x0, x1 - 1e-9); });
}

void DirtyTiles::MarkSegment(double x1, double y1, double x2, double y2, double margin) {
    if (y1 > y2) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    const double dy = y2 - y1;
    MarkRows(y1, y2, margin, [&](int row, double band0, double band1) {
        // The part of the segment whose points can reach into this row.
        double xa = x1;
        double xb = x2;
        if (dy > 0) {
            const double t0 = std::clamp((band0 - y1) / dy, 0.0, 1.0);
            const double t1 = std::clamp((band1 - y1) / dy, 0.0, 1.0);
            xa = x1 + t0 * (x2 - x1);
            xb = x1 + t1 * (x2 - x1);
        }
        MarkColumns(row, std::min(xa, xb) - margin, std::max(xa, xb) + margin);
    });
}

void DirtyTiles::MarkCircle(double cx, double cy, double r, double margin) {
    r = std::fabs(r);
    MarkRows(cy - r, cy + r, margin, [&](int row, double band0, double band1) {
        // The outline's points with y in the band: a left and a right arc.
        const double lo = std::max(band0, cy - r);
        const double hi = std::min(band1, cy + r);
        if (lo > hi) return;
        const double near = (lo <= cy && cy <= hi) ? 0 : std::min(std::fabs(lo - cy), std::fabs(hi - cy));
        const double far = std::min(std::max(std::fabs(lo - cy), std::fabs(hi - cy)), r);
        const double outer = std::sqrt(std::max(r * r - near * near, 0.0));
        const double inner = std::sqrt(std::max(r * r - far * far, 0.0));
        MarkColumns(row, cx - outer - margin, cx - inner + margin);
        MarkColumns(row, cx + inner - margin, cx + outer + margin);
    });
}

void DirtyTiles::Add(const DirtyTiles& other) {
    if (!other.any_ || other.cols_ != cols_ || other.rows_ != rows_) return;
    for (int r = 0; r < rows_; ++r) {
        if (other.firstCol_[r] > other.lastCol_[r]) continue;
        const auto row = static_cast<std::ptrdiff_t>(r) * cols_;
        for (int c = other.firstCol_[r]; c <= other.lastCol_[r]; ++c) marked_[row + c] |= other.marked_[row + c];
        firstCol_[r] = std::min(firstCol_[r], other.firstCol_[r]);
        lastCol_[r] = std::max(lastCol_[r], other.lastCol_[r]);
    }
    any_ = true;
}

std::span<const PixelRect> DirtyTiles::Take() {
    rects_.clear();
    open_.clear();
    if (!any_) return {};
    for (int r = 0; r < rows_; ++r) {
        nextOpen_.clear();
        for (int c = firstCol_[r]; c <= lastCol_[r]; ++c) {
            if (!Marked(r, c)) continue;
            int end = c;
            while (end < lastCol_[r] && Marked(r, end + 1)) ++end;
            std::fill_n(marked_.begin() + static_cast<std::ptrdiff_t>(r) * cols_ + c, end - c + 1, 0);
            const PixelRect run{c * kTile, r * kTile, std::min((end + 1) * kTile, width_) - c * kTile,
                                std::min((r + 1) * kTile, height_) - r * kTile};
            // A rectangle of the row above with the same columns grows down.
            const auto above = std::find_if(open_.begin(), open_.end(),
                                            [&](int i) { return rects_[i].x == run.x && rects_[i].w == run.w; });
            if (above != open_.end()) {
                rects_[*above].h += run.h;
                nextOpen_.push_back(*above);
            } else {
                rects_.push_back(run);
                nextOpen_.push_back(static_cast<int>(rects_.size()) - 1);
            }
            c = end;
        }
        firstCol_[r] = cols_;
        lastCol_[r] = -1;
        std::swap(open_, nextOpen_);
    }
    any_ = false;
    return rects_;
}

void DirtyTiles::Reset() {
    if (!any_) return;
    for (int r = 0; r < rows_; ++r) {
        if (firstCol_[r] <= lastCol_[r])
            std::fill_n(marked_.begin() + static_cast<std::ptrdiff_t>(r) * cols_ + firstCol_[r],
                        lastCol_[r] - firstCol_[r] + 1, 0);
        firstCol_[r] = cols_;
        lastCol_[r] = -1;
    }
    any_ = false;
}

} // namespace linesaver
