// An opaque colour blended over 32-bit 0x00RRGGBB pixels with an 8-bit
// coverage a: every channel becomes (src * a + dst * (255 - a)) / 255,
// rounded as pixman rounds, and the unused top byte becomes 0. A coverage
// of 0 leaves the pixel as it was.
//
// Mix and Put do one pixel anywhere; where SSE2 is there (always on
// x86-64), Blend4 does four at once with the very same results.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace linesaver {

// Two channels at a time: red and blue, then green.
inline std::uint32_t Mix(std::uint32_t dst, std::uint32_t src, std::uint32_t a) {
    const std::uint32_t b = 255 - a;
    std::uint32_t rb = (src & 0xff00ff) * a + (dst & 0xff00ff) * b + 0x800080;
    rb = ((rb + ((rb >> 8) & 0xff00ff)) >> 8) & 0xff00ff;
    std::uint32_t g = (src & 0x00ff00) * a + (dst & 0x00ff00) * b + 0x008000;
    g = ((g + ((g >> 8) & 0x00ff00)) >> 8) & 0x00ff00;
    return rb | g;
}

inline void Put(unsigned char* at, std::uint32_t rgb, std::uint32_t alpha) {
    std::uint32_t pixel;
    std::memcpy(&pixel, at, 4);
    pixel = Mix(pixel, rgb, alpha);
    std::memcpy(at, &pixel, 4);
}

// The weights Blend4 takes for one pixel: a for its three colour channels
// and, for the top byte, 255 when a > 0 (which clears it, as Mix does) and
// 0 when a = 0 (which keeps it, as not blending at all does).
inline void SetLanes(std::uint16_t* lanes, std::uint8_t a) {
    lanes[0] = lanes[1] = lanes[2] = a;
    lanes[3] = a != 0 ? 255 : 0;
}

#if defined(__SSE2__)

// The colour as 16-bit channels, the same for two pixels (top byte 0).
inline __m128i SpreadColour(std::uint32_t rgb) {
    return _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(rgb & 0xffffff)), _mm_setzero_si128());
}

// Eight 16-bit channels (two pixels): no sum here leaves 16 bits, since
// src * a + dst * (255 - a) + 128 is at most 255 * 255 + 128.
inline __m128i Blend2(__m128i dst, __m128i src, __m128i a) {
    const __m128i b = _mm_sub_epi16(_mm_set1_epi16(255), a);
    __m128i t = _mm_add_epi16(_mm_mullo_epi16(src, a), _mm_mullo_epi16(dst, b));
    t = _mm_add_epi16(t, _mm_set1_epi16(128));
    return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
}

// Four pixels, weighted by sixteen lanes (SetLanes's, pixel after pixel,
// 16-byte aligned).
inline __m128i Blend4(__m128i pixels, __m128i src, const std::uint16_t* lanes) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i low =
        Blend2(_mm_unpacklo_epi8(pixels, zero), src, _mm_load_si128(reinterpret_cast<const __m128i*>(lanes)));
    const __m128i high =
        Blend2(_mm_unpackhi_epi8(pixels, zero), src, _mm_load_si128(reinterpret_cast<const __m128i*>(lanes + 8)));
    return _mm_packus_epi16(low, high);
}

// Four pixels side by side in a row.
inline void PutRun4(unsigned char* at, __m128i src, const std::uint16_t* lanes) {
    __m128i* p = reinterpret_cast<__m128i*>(at);
    _mm_storeu_si128(p, Blend4(_mm_loadu_si128(p), src, lanes));
}

// Four pixels one under the other, step bytes apart.
inline void PutColumn4(unsigned char* at, std::ptrdiff_t step, __m128i src, const std::uint16_t* lanes) {
    std::uint32_t p0, p1, p2, p3;
    std::memcpy(&p0, at, 4);
    std::memcpy(&p1, at + step, 4);
    std::memcpy(&p2, at + 2 * step, 4);
    std::memcpy(&p3, at + 3 * step, 4);
    const __m128i pixels =
        _mm_set_epi32(static_cast<int>(p3), static_cast<int>(p2), static_cast<int>(p1), static_cast<int>(p0));
    const __m128i mixed = Blend4(pixels, src, lanes);
    p0 = static_cast<std::uint32_t>(_mm_cvtsi128_si32(mixed));
    p1 = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(mixed, 4)));
    p2 = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(mixed, 8)));
    p3 = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(mixed, 12)));
    std::memcpy(at, &p0, 4);
    std::memcpy(at + step, &p1, 4);
    std::memcpy(at + 2 * step, &p2, 4);
    std::memcpy(at + 3 * step, &p3, 4);
}

// Two pixels side by side in a row, weighted by the coverages in the low
// two 32-bit lanes of alphas (each 0 to 255), as Put weighs them: the top
// bytes become 0 also where the coverage is 0.
inline void PutPair(unsigned char* at, __m128i src, __m128i alphas) {
    // a0 a1 as 16 bits, then a0 a0 a0 255 a1 a1 a1 255.
    __m128i lanes = _mm_packs_epi32(alphas, alphas);
    lanes = _mm_unpacklo_epi16(lanes, lanes);
    lanes = _mm_unpacklo_epi32(lanes, lanes);
    lanes = _mm_or_si128(lanes, _mm_set_epi16(255, 0, 0, 0, 255, 0, 0, 0));
    __m128i* p = reinterpret_cast<__m128i*>(at);
    const __m128i pixels = _mm_unpacklo_epi8(_mm_loadl_epi64(p), _mm_setzero_si128());
    _mm_storel_epi64(p, _mm_packus_epi16(Blend2(pixels, src, lanes), _mm_setzero_si128()));
}

#endif

} // namespace linesaver
