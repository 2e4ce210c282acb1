#include "platform/raster/thin_strokes.h"

#include "platform/raster/pixel_blend.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace linesaver {
namespace {

inline unsigned char* At(const PixelImage& image, int x, int y) {
    return image.data + static_cast<std::ptrdiff_t>(y) * image.stride + static_cast<std::ptrdiff_t>(x) * 4;
}

// A double as an int index, kept inside [lo, hi] (also for huge values).
int Index(double v, int lo, int hi) { return static_cast<int>(std::clamp(v, double(lo), double(hi))); }

// Branch-free: the sign of these changes from pixel to pixel. T is a
// double or a pair of them (the same sums, two at a time); x < 0 ? 0 : x
// is what std::max(x, 0.0) gives.
template <class T>
inline T Ramp(T x) {
    return x < 0 ? T{} : x;
}
template <>
inline double Ramp(double x) {
    return std::max(x, 0.0);
}
template <class T>
inline T Ramp2(T x) {
    const T r = Ramp(x);
    return r * r;
}

// How much of the unit interval [0, 1] a band [m - h, m + h] covers on
// average while its centre m slides uniformly over a distance s, for a
// band that does not slide (s = 0) and one that does.
template <class T>
inline T StillCover(T m, double h) {
    return Ramp(m + h) - Ramp(m + h - 1) - Ramp(m - h) + Ramp(m - h - 1);
}
template <class T>
inline T HalfSquares(T c, double h) {
    return Ramp2(c + h) - Ramp2(c + h - 1) - Ramp2(c - h) + Ramp2(c - h - 1);
}
template <class T>
inline T SlideCover(T m, double h, double s, double halfOverS) {
    return (HalfSquares(m + s / 2, h) - HalfSquares(m - s / 2, h)) * halfOverS;
}

// Two doubles, added and compared lane by lane (SSE2 where there is one).
typedef double DoublePair __attribute__((vector_size(16)));

// The coverage of the pixels across a row (or column) that a segment wholly
// spans, worked out once per segment for kPhases positions of the band's
// centre within its pixel (0, 1/16, ...; the nearest is taken): a long
// segment then costs a table look-up and a blend per pixel.
constexpr int kPhases = 16; // a power of two, taken from the fixed point's bits
constexpr int kMostCells = 8;
// Fewer rows than this are cheaper worked out one by one.
constexpr int kRowsForTable = 48;
// How many rows ahead the pixels are fetched.
constexpr int kAhead = 16;

struct RowCoverage {
    int before = 0; // cells left of the one holding the centre
    int cells = 0;  // cells in the window
    std::uint8_t alpha[kPhases][kMostCells] = {};
    std::uint8_t first[kPhases] = {}; // the cells of each phase that are not empty
    std::uint8_t last[kPhases] = {};
    // The window as runs of four pixels (one or two), with Blend4's
    // weights of each phase; the cells past the window weigh nothing.
    int runs = 0;
    alignas(16) std::uint16_t lanes[kPhases][kMostCells * 4];
};

inline double Cover(double m, double half, double slide, double share) {
    return slide < 1e-6 ? share * StillCover(m, half) : SlideCover(m, half, slide, share / (2 * slide));
}

inline std::uint32_t Alpha(double coverage) {
    return static_cast<std::uint32_t>(std::min(std::max(coverage, 0.0), 1.0) * 255 + 0.5);
}

bool MakeRowCoverage(double half, double slide, RowCoverage& table) {
    const double reach = half + slide / 2;
    table.before = static_cast<int>(std::ceil(reach));
    table.cells = table.before + static_cast<int>(std::floor(1 + reach)) + 1;
    if (table.cells > kMostCells) return false;
    table.runs = table.cells <= 4 ? 1 : 2;
    for (int p = 0; p < kPhases; ++p) {
        table.first[p] = kMostCells;
        table.last[p] = 0;
        for (int k = table.cells; k < kMostCells; ++k) SetLanes(&table.lanes[p][k * 4], 0);
    }
    // Cell by cell, two phases at a time.
    const double halfOverS = 1 / (2 * slide);
    for (int k = 0; k < table.cells; ++k) {
        const double shift = k - table.before;
        double cover[kPhases];
        for (int p = 0; p < kPhases; p += 2) {
            const DoublePair m = DoublePair{static_cast<double>(p), static_cast<double>(p + 1)} / kPhases - shift;
            const DoublePair c = slide < 1e-6 ? StillCover(m, half) : SlideCover(m, half, slide, halfOverS);
            cover[p] = c[0];
            cover[p + 1] = c[1];
        }
        for (int p = 0; p < kPhases; ++p) {
            const auto a = static_cast<std::uint8_t>(Alpha(cover[p]));
            table.alpha[p][k] = a;
            SetLanes(&table.lanes[p][k * 4], a);
            if (a != 0) {
                table.first[p] = std::min<std::uint8_t>(table.first[p], static_cast<std::uint8_t>(k));
                table.last[p] = static_cast<std::uint8_t>(k);
            }
        }
    }
    return true;
}

// A segment walked along its major axis a (one step per pixel row or
// column) with minor axis b; Steep says whether a is y.
template <bool Steep>
void Walk(const PixelImage& image, double a1, double b1, double a2, double b2, double width, std::uint32_t rgb) {
    if (a1 > a2) {
        std::swap(a1, a2);
        std::swap(b1, b2);
    }
    const int majorSize = Steep ? image.height : image.width;
    const int minorSize = Steep ? image.width : image.height;
    const std::ptrdiff_t step = Steep ? 4 : image.stride;
    auto at = [&](int i, int j) { return Steep ? At(image, i, j) : At(image, j, i); };
    const double slope = (b2 - b1) / (a2 - a1);
    const double half = width * std::sqrt(1 + slope * slope) / 2; // the band across the minor axis
    const double fullSlide = std::fabs(slope);
    const int first = Index(std::floor(a1), 0, majorSize);
    const int last = Index(std::ceil(a2) - 1, -1, majorSize - 1);
    RowCoverage table;
    const bool tabled = last - first >= kRowsForTable && MakeRowCoverage(half, fullSlide, table);
    // In the rows the segment wholly spans, the band's centre steps by the
    // slope: kept in 16.16 fixed point.
    constexpr double kOne = 65536;
    const auto fixed = [&](int j) {
        return std::llround(std::clamp((b1 + (j + 0.5 - a1) * slope) * kOne, -0x1p52, 0x1p52));
    };
    const std::int64_t fixedStep = std::llround(slope * kOne);
    const std::int64_t fixedLimit = static_cast<std::int64_t>(minorSize + kMostCells) << 16;
#if defined(__SSE2__)
    const __m128i colour = SpreadColour(rgb);
#endif
    // A row (or column) from the table: the band's centre in fixed point.
    const auto tableRow = [&](int j, std::int64_t fixedCentre, bool prefetch) {
        // The rows ahead are far apart in memory: ask for them early.
        if (prefetch) {
            const int ahead =
                static_cast<int>(std::clamp<std::int64_t>((fixedCentre + kAhead * fixedStep) >> 16, 0, minorSize - 1));
            __builtin_prefetch(at(ahead, j + kAhead), 1);
        }
        // The nearest of the table's positions.
        const std::int64_t rounded = fixedCentre + (std::int64_t{1} << 11);
        const int phase = static_cast<int>((rounded >> 12) & (kPhases - 1));
        const int base = static_cast<int>(rounded >> 16) - table.before;
#if defined(__SSE2__)
        // A window wholly inside the picture: runs of four at once.
        if (base >= 0 && base + 4 * table.runs <= minorSize) {
            unsigned char* p = at(base, j);
            if (Steep) {
                PutRun4(p, colour, table.lanes[phase]);
                if (table.runs == 2) PutRun4(p + 16, colour, table.lanes[phase] + 16);
            } else {
                PutColumn4(p, step, colour, table.lanes[phase]);
                if (table.runs == 2) PutColumn4(p + 4 * step, step, colour, table.lanes[phase] + 16);
            }
            return;
        }
#endif
        const auto* alpha = table.alpha[phase];
        const int k0 = std::max<int>(table.first[phase], -base);
        const int k1 = std::min<int>(table.last[phase], minorSize - 1 - base);
        unsigned char* p = k0 <= k1 ? at(base + k0, j) : nullptr;
        for (int k = k0; k <= k1; ++k, p += step) Put(p, rgb, alpha[k]);
    };
    const auto inLimits = [&](std::int64_t fixedCentre) {
        return fixedCentre > -fixedLimit && fixedCentre < fixedLimit;
    };
    // The part [lo, hi] of row (or column) j the segment spans, worked out
    // pixel by pixel.
    const auto exactRow = [&](int j, double lo, double hi) {
        const double share = hi - lo;
        const double centre = b1 + ((lo + hi) / 2 - a1) * slope;
        const double slide = fullSlide * share;
        const double reach = half + slide / 2;
        const int i0 = Index(std::floor(centre - reach), 0, minorSize);
        const int i1 = Index(std::floor(centre + reach), -1, minorSize - 1);
        unsigned char* p = at(i0, j);
        for (int i = i0; i <= i1; ++i, p += step) Put(p, rgb, Alpha(Cover(centre - i, half, slide, share)));
    };
    const auto anyRow = [&](int j, std::int64_t fixedCentre) {
        const double lo = std::max<double>(j, a1);
        const double hi = std::min<double>(j + 1, a2);
        const double share = hi - lo;
        if (share <= 0) return;
        if (tabled && share == 1 && inLimits(fixedCentre))
            tableRow(j, fixedCentre, j + kAhead <= last);
        else
            exactRow(j, lo, hi);
    };
    // The rows the segment wholly spans lie between its two ends.
    const int whole0 = Index(std::ceil(a1), first, last + 1);
    const int whole1 = Index(std::floor(a2) - 1, whole0 - 1, last);
    std::int64_t fixedCentre = fixed(first);
    int j = first;
    for (; j < whole0; ++j, fixedCentre += fixedStep) anyRow(j, fixedCentre);
    if (tabled) {
        for (; j <= whole1; ++j, fixedCentre += fixedStep) {
            if (inLimits(fixedCentre))
                tableRow(j, fixedCentre, j + kAhead <= last);
            else
                exactRow(j, j, j + 1);
        }
    }
    for (; j <= last; ++j, fixedCentre += fixedStep) anyRow(j, fixedCentre);
}

bool Finite(double a, double b, double c, double d) {
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d);
}

} // namespace

void StrokeSegment(const PixelImage& image, double x1, double y1, double x2, double y2, double width,
                   std::uint32_t rgb) {
    if (!image.data || !Finite(x1, y1, x2, y2) || !(width > 0)) return;
    if (std::fabs(y2 - y1) >= std::fabs(x2 - x1)) {
        if (y1 != y2) Walk<true>(image, y1, x1, y2, x2, width, rgb);
    } else {
        Walk<false>(image, x1, y1, x2, y2, width, rgb);
    }
}

void StrokeCircle(const PixelImage& image, double cx, double cy, double r, double width, std::uint32_t rgb) {
    r = std::fabs(r);
    if (!image.data || !Finite(cx, cy, r, width) || !(width > 0)) return;
    const double half = width / 2;
    // Pixels whose centre lies within half a pixel of the ring.
    const double outer = r + half + 0.5;
    const double inner = r - half - 0.5;
    const int firstRow = Index(std::floor(cy - outer), 0, image.height);
    const int lastRow = Index(std::floor(cy + outer), -1, image.height - 1);
    auto put = [&](int x, int y, double dy) {
        const double dx = x + 0.5 - cx;
        const double dist = std::sqrt(dx * dx + dy * dy);
        Put(At(image, x, y), rgb, Alpha(std::min(r + half, dist + 0.5) - std::max(r - half, dist - 0.5)));
    };
    // The pixels x0..x1 of row y, two at a time where SSE2 is there, with
    // the very same arithmetic as put.
    auto run = [&](int x0, int x1, int y, double dy) {
        int x = x0;
#if defined(__SSE2__)
        const __m128i colour = SpreadColour(rgb);
        const __m128d outerEdge = _mm_set1_pd(r + half), innerEdge = _mm_set1_pd(r - half);
        const __m128d halfPixel = _mm_set1_pd(0.5), dy2 = _mm_set1_pd(dy * dy), centre = _mm_set1_pd(cx);
        for (; x < x1; x += 2) {
            const __m128d at = _mm_set_pd(x + 1, x);
            const __m128d dx = _mm_sub_pd(_mm_add_pd(at, halfPixel), centre);
            const __m128d dist = _mm_sqrt_pd(_mm_add_pd(_mm_mul_pd(dx, dx), dy2));
            // min and max with the operands in the order std::min and
            // std::max take them, so ties and zeros come out alike.
            const __m128d cover = _mm_sub_pd(_mm_min_pd(_mm_add_pd(dist, halfPixel), outerEdge),
                                             _mm_max_pd(_mm_sub_pd(dist, halfPixel), innerEdge));
            const __m128d clamped = _mm_min_pd(_mm_max_pd(cover, _mm_setzero_pd()), _mm_set1_pd(1));
            const __m128i alphas = _mm_cvttpd_epi32(_mm_add_pd(_mm_mul_pd(clamped, _mm_set1_pd(255)), halfPixel));
            PutPair(At(image, x, y), colour, alphas);
        }
#endif
        for (; x <= x1; ++x) put(x, y, dy);
    };
    for (int y = firstRow; y <= lastRow; ++y) {
        const double dy = y + 0.5 - cy;
        if (std::fabs(dy) > outer) continue;
        const double xo = std::sqrt(outer * outer - dy * dy);
        const double xi = std::fabs(dy) < inner ? std::sqrt(inner * inner - dy * dy) : 0;
        // Centres x + 0.5 with xi <= |x + 0.5 - cx| <= xo: a left and a right
        // run, one run when they meet.
        const int leftStart = Index(std::ceil(cx - xo - 0.5), 0, image.width);
        const int leftEnd = Index(std::floor(cx - xi - 0.5), -1, image.width - 1);
        const int rightStart = std::max(Index(std::ceil(cx + xi - 0.5), 0, image.width), leftEnd + 1);
        const int rightEnd = Index(std::floor(cx + xo - 0.5), -1, image.width - 1);
        run(leftStart, leftEnd, y, dy);
        run(rightStart, rightEnd, y, dy);
    }
}

} // namespace linesaver
