// The scan inside Poke: rows of mask a against the matching rows of mask b, 16 pixels per AND,
// with the clipping worked out once per scan. Kept apart so the vector path sits behind one
// seam, with a plain loop beside it that gives the same answers.
#pragma once

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace poke_rows {

// The window of b from word i on, shifted left by s (0 to 15). b[i] must exist, and b[i + 1]
// too unless s is 0: an aligned window is the word itself, and the next may lie past the mask.
inline unsigned Window(const uint16_t* b, int64_t i, unsigned s) {
  if (s == 0) {
    return b[i];
  }
  return ((unsigned(b[i]) << s) | (unsigned(b[i + 1]) >> (16 - s))) & 0xFFFFu;
}

// True if any of the n words of a meets its window of b. b[0 .. n - 1] must exist, and b[n]
// too unless s is 0: an aligned window is the word itself.
[[gnu::always_inline]] inline bool InteriorOverlaps(const uint16_t* a, const uint16_t* b, int32_t n,
                                                    unsigned s) {
  int32_t i = 0;
#if defined(__SSE2__)
  const __m128i left = _mm_cvtsi32_si128(int(s));
  const __m128i right = _mm_cvtsi32_si128(int(16 - s));  // a shift by 16 clears the lane
  const __m128i zero = _mm_setzero_si128();
  const auto window = [&](int32_t at) {
    const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + at));
    if (s == 0) {
      return hi;
    }
    const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + at + 1));
    return _mm_or_si128(_mm_sll_epi16(hi, left), _mm_srl_epi16(lo, right));
  };
  const auto words = [&](int32_t at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + at));
  };
  // Sixteen windows between looks, so an early hit costs little even on wide masks.
  for (; i + 16 <= n; i += 16) {
    const __m128i hits = _mm_or_si128(_mm_and_si128(words(i), window(i)),
                                      _mm_and_si128(words(i + 8), window(i + 8)));
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(hits, zero)) != 0xFFFF) {
      return true;
    }
  }
  if (i + 8 <= n) {
    const __m128i hits = _mm_and_si128(words(i), window(i));
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(hits, zero)) != 0xFFFF) {
      return true;
    }
    i += 8;
  }
#endif
  for (; i < n; ++i) {
    if (a[i] & Window(b, i, s)) {
      return true;
    }
  }
  return false;
}

// A mask one word wide against windows that lie wholly inside b: one word of a a row, the
// windows `stride` words apart in b. Four rows between looks.
[[gnu::always_inline]] inline bool NarrowOverlaps(const uint16_t* a, const uint16_t* b,
                                                  int64_t stride, int64_t rows, unsigned s) {
  int64_t r = 0;
  for (; r + 4 <= rows; r += 4) {
    const unsigned hits =
        (a[r] & Window(b, r * stride, s)) | (a[r + 1] & Window(b, (r + 1) * stride, s)) |
        (a[r + 2] & Window(b, (r + 2) * stride, s)) | (a[r + 3] & Window(b, (r + 3) * stride, s));
    if (hits != 0) {
      return true;
    }
  }
  unsigned hits = 0;
  for (; r < rows; ++r) {
    hits |= a[r] & Window(b, r * stride, s);
  }
  return hits != 0;
}

// Which word columns of a (WA words wide) can reach b (WB words wide) when a's column c lies on
// b's column c + ox. Window j is made of b's words k0 + j, shifted left by s, and k0 + j + 1.
struct Columns {
  int32_t k0;
  unsigned s;
  int32_t first;    // the first word column of a that reaches b
  int32_t inFirst;  // from here to inEnd every word a window is made of lies inside b
  int32_t inEnd;
  int32_t end;  // one past the last word column of a that reaches b
};

template <unsigned WA, unsigned WB>
Columns ColumnsFor(int32_t ox) {
  const int32_t wa = int32_t(WA), wb = int32_t(WB);
  Columns c;
  c.k0 = ox >> 4;  // floor(ox / 16): the shift is arithmetic on every compiler we build with
  c.s = unsigned(ox) & 15u;
  c.first = c.k0 + (c.s != 0) >= 0 ? 0 : -c.k0 - (c.s != 0);
  c.end = wb - c.k0 < wa ? wb - c.k0 : wa;
  c.inFirst = c.first > -c.k0 ? c.first : -c.k0;
  const int32_t lastWhole = c.s == 0 ? wb - c.k0 : wb - 1 - c.k0;  // aligned: one word each
  c.inEnd = lastWhole < c.end ? lastWhole : c.end;
  c.inEnd = c.inEnd > c.inFirst ? c.inEnd : c.inFirst;
  return c;
}

// One row: b's words past either edge read as empty.
template <unsigned WB>
[[gnu::always_inline]] inline bool RowOverlaps(const Columns& c, const uint16_t* a,
                                               const uint16_t* b) {
  const auto edge = [&](int32_t j) {
    const int32_t i = c.k0 + j;
    const unsigned hi = i >= 0 && i < int32_t(WB) ? b[i] : 0;
    const unsigned lo = c.s != 0 && i + 1 >= 0 && i + 1 < int32_t(WB) ? b[i + 1] : 0;
    return ((hi << c.s) | (lo >> (16 - c.s))) & 0xFFFFu;
  };
  for (int32_t j = c.first; j < c.inFirst && j < c.end; ++j) {
    if (a[j] & edge(j)) {
      return true;
    }
  }
  if (c.inEnd > c.inFirst &&
      InteriorOverlaps(a + c.inFirst, b + c.k0 + c.inFirst, c.inEnd - c.inFirst, c.s)) {
    return true;
  }
  for (int32_t j = c.inEnd; j < c.end; ++j) {
    if (a[j] & edge(j)) {
      return true;
    }
  }
  return false;
}

// The rows of a (W1 by H1) that lie over b (W2 by H2) when a's (c, r) lies on b's (c + ox,
// r + oy); some row and some column of a must reach b.
template <unsigned W1, unsigned H1, unsigned W2, unsigned H2>
[[gnu::always_inline]] inline bool Scan(const uint16_t* a, const uint16_t* b, int64_t ox,
                                        int64_t oy) {
  const int64_t firstRow = oy < 0 ? -oy : 0;
  const int64_t endRow = int64_t(H2) - oy < int64_t(H1) ? int64_t(H2) - oy : int64_t(H1);
  const Columns c = ColumnsFor<W1 / 16, W2 / 16>(int32_t(ox));
  if (W1 == 16 && c.inEnd > c.inFirst) {
    return NarrowOverlaps(a + firstRow, b + (firstRow + oy) * (W2 / 16) + c.k0, W2 / 16,
                          endRow - firstRow, c.s);
  }
  for (int64_t r = firstRow; r < endRow; ++r) {
    if (RowOverlaps<W2 / 16>(c, a + r * (W1 / 16), b + (r + oy) * (W2 / 16))) {
      return true;
    }
  }
  return false;
}

}  // namespace poke_rows
