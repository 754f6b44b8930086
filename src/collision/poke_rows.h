// The scan inside Poke: rows of mask a against the matching rows of mask b, 16 pixels per AND,
// with the clipping worked out once per scan. Every way of scanning gives the same answer: plain
// C++; on x86-64 SSE2 (its baseline) and AVX2, which is chosen at run time when the CPU has it;
// on AArch64 NEON, which every such CPU has. Tests run each path against the per-pixel
// reference; Poke takes the best one.
#pragma once

#include <cstdint>
#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define POKE_X86_SIMD 1
#define POKE_SIMD 1
#include <immintrin.h>
#elif defined(__aarch64__) && defined(__GNUC__)
#define POKE_NEON 1
#define POKE_SIMD 1
#include <arm_neon.h>
#endif

namespace poke_rows {

// The instructions a scan may use: kSse2 and kAvx2 on x86-64, kNeon on AArch64. kBest asks the
// CPU once per call, which costs a load.
enum class Path { kPlain, kSse2, kAvx2, kNeon, kBest };

inline bool CpuHasAvx2() {
#if defined(POKE_X86_SIMD)
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}

// The window of b from word i on, shifted left by s (0 to 15). b[i] must exist, and b[i + 1]
// too unless s is 0: an aligned window is the word itself, and the next may lie past the mask.
inline unsigned Window(const uint16_t* b, int64_t i, unsigned s) {
  if (s == 0) {
    return b[i];
  }
  return ((unsigned(b[i]) << s) | (unsigned(b[i + 1]) >> (16 - s))) & 0xFFFFu;
}

#if defined(POKE_X86_SIMD)
// Lanes of 16-bit words, one window a lane: eight in SSE2 and NEON, sixteen in AVX2. The block
// scan is compiled once for each, from one text (poke_blocks.inc), the AVX2 copy for AVX2 only.
struct Sse2 {
  using V = __m128i;
  static constexpr int32_t kLanes = 8;
  static V Load(const uint16_t* p) { return _mm_loadu_si128(reinterpret_cast<const V*>(p)); }
  static V And(V x, V y) { return _mm_and_si128(x, y); }
  static V Or(V x, V y) { return _mm_or_si128(x, y); }
  static V Shl(V v, unsigned s) { return _mm_sll_epi16(v, _mm_cvtsi32_si128(int(s))); }
  static V Shr(V v, unsigned s) { return _mm_srl_epi16(v, _mm_cvtsi32_si128(int(s))); }
  static V Zero() { return _mm_setzero_si128(); }
  static bool Any(V v) { return _mm_movemask_epi8(_mm_cmpeq_epi8(v, Zero())) != 0xFFFF; }
};

namespace sse2 {
using L = Sse2;
#include "collision/poke_blocks.inc"
}  // namespace sse2

// The narrow pairs' four rows at a time (see PairOverlaps) in 32-bit lanes.
struct Sse2Pair {
  __m128i right, left, keep;
  explicit Sse2Pair(int64_t ox)
      : right(_mm_cvtsi32_si128(ox >= 0 ? int(ox) : 32)),  // 32 clears the lane
        left(_mm_cvtsi32_si128(ox >= 0 ? int(32 - ox) : int(-ox))),
        keep(_mm_set1_epi32(ox < 0    ? 0x0000FFFF
                            : ox > 16 ? int(0xFFFF0000u)
                                      : -1)) {}
  // Four words of a, each placed over its row of b (eight words), ANDed with it.
  __m128i Four(const uint16_t* a, const uint16_t* b) const {
    const __m128i words = _mm_unpacklo_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(a)),
                                             _mm_setzero_si128());
    const __m128i placed =
        _mm_and_si128(_mm_or_si128(_mm_srl_epi32(words, right), _mm_sll_epi32(words, left)), keep);
    return _mm_and_si128(placed, Sse2::Load(b));
  }
};
using Lanes = Sse2;
using PairLanes = Sse2Pair;
namespace lanes = sse2;

#pragma GCC push_options
#pragma GCC target("avx2")
struct Avx2 {
  using V = __m256i;
  static constexpr int32_t kLanes = 16;
  static V Load(const uint16_t* p) { return _mm256_loadu_si256(reinterpret_cast<const V*>(p)); }
  static V And(V x, V y) { return _mm256_and_si256(x, y); }
  static V Or(V x, V y) { return _mm256_or_si256(x, y); }
  static V Shl(V v, unsigned s) { return _mm256_sll_epi16(v, _mm_cvtsi32_si128(int(s))); }
  static V Shr(V v, unsigned s) { return _mm256_srl_epi16(v, _mm_cvtsi32_si128(int(s))); }
  static V Zero() { return _mm256_setzero_si256(); }
  static bool Any(V v) { return !_mm256_testz_si256(v, v); }
};

namespace avx2 {
using L = Avx2;
#include "collision/poke_blocks.inc"
}  // namespace avx2
#pragma GCC pop_options
#endif

#if defined(POKE_NEON)
struct Neon {
  using V = uint16x8_t;
  static constexpr int32_t kLanes = 8;
  static V Load(const uint16_t* p) { return vld1q_u16(p); }
  static V And(V x, V y) { return vandq_u16(x, y); }
  static V Or(V x, V y) { return vorrq_u16(x, y); }
  // A shift by a lane's width or more empties it, as in SSE2; a negative count shifts right.
  static V Shl(V v, unsigned s) { return vshlq_u16(v, vdupq_n_s16(int16_t(s))); }
  static V Shr(V v, unsigned s) { return vshlq_u16(v, vdupq_n_s16(int16_t(-int(s)))); }
  static V Zero() { return vdupq_n_u16(0); }
  static bool Any(V v) { return vmaxvq_u16(v) != 0; }
};

namespace neon {
using L = Neon;
#include "collision/poke_blocks.inc"
}  // namespace neon

struct NeonPair {
  int32x4_t right, left;
  uint32x4_t keep;
  explicit NeonPair(int64_t ox)
      : right(vdupq_n_s32(ox >= 0 ? -int32_t(ox) : -32)),
        left(vdupq_n_s32(ox >= 0 ? int32_t(32 - ox) : int32_t(-ox))),
        keep(vdupq_n_u32(ox < 0    ? 0x0000FFFFu
                         : ox > 16 ? 0xFFFF0000u
                                   : 0xFFFFFFFFu)) {}
  uint16x8_t Four(const uint16_t* a, const uint16_t* b) const {
    const uint32x4_t words = vmovl_u16(vld1_u16(a));
    const uint32x4_t placed =
        vandq_u32(vorrq_u32(vshlq_u32(words, right), vshlq_u32(words, left)), keep);
    return vandq_u16(vreinterpretq_u16_u32(placed), Neon::Load(b));
  }
};
using Lanes = Neon;
using PairLanes = NeonPair;
namespace lanes = neon;
#endif

// True if any of the n words of a meets its window of b. b[0 .. n - 1] must exist, and b[n]
// too unless s is 0: an aligned window is the word itself.
template <bool kSimd>
[[gnu::always_inline]] inline bool InteriorOverlaps(const uint16_t* a, const uint16_t* b, int32_t n,
                                                    unsigned s) {
  int32_t i = 0;
#if defined(POKE_SIMD)
  if (kSimd) {
    const auto window = [&](int32_t at) {
      return s == 0 ? Lanes::Load(b + at)
                    : Lanes::Or(Lanes::Shl(Lanes::Load(b + at), s),
                                Lanes::Shr(Lanes::Load(b + at + 1), 16 - s));
    };
    for (; i + Lanes::kLanes <= n; i += Lanes::kLanes) {
      if (Lanes::Any(Lanes::And(Lanes::Load(a + i), window(i)))) {
        return true;
      }
    }
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

// Window j of a row of b (WB words), its words past either edge read as empty.
template <unsigned WB>
[[gnu::always_inline]] inline unsigned EdgeWindow(const Columns& c, const uint16_t* b, int32_t j) {
  const int32_t i = c.k0 + j;
  const unsigned hi = i >= 0 && i < int32_t(WB) ? b[i] : 0;
  const unsigned lo = c.s != 0 && i + 1 >= 0 && i + 1 < int32_t(WB) ? b[i + 1] : 0;
  return ((hi << c.s) | (lo >> (16 - c.s))) & 0xFFFFu;
}

// One row: b's words past either edge read as empty.
template <unsigned WB, bool kSimd>
[[gnu::always_inline]] inline bool RowOverlaps(const Columns& c, const uint16_t* a,
                                               const uint16_t* b) {
  const auto edge = [&](int32_t j) { return EdgeWindow<WB>(c, b, j); };
  for (int32_t j = c.first; j < c.inFirst && j < c.end; ++j) {
    if (a[j] & edge(j)) {
      return true;
    }
  }
  if (c.inEnd > c.inFirst &&
      InteriorOverlaps<kSimd>(a + c.inFirst, b + c.k0 + c.inFirst, c.inEnd - c.inFirst, c.s)) {
    return true;
  }
  for (int32_t j = c.inEnd; j < c.end; ++j) {
    if (a[j] & edge(j)) {
      return true;
    }
  }
  return false;
}

// Every row, the bulk of a scan. Wide rows go in blocks of lanes; the first and last rows take
// the careful path, so that no block reads a word outside b. Kept out of line, so that a scan
// that ends at its first window pays for none of this.
template <Path P, unsigned W1, unsigned H1, unsigned W2, unsigned H2>
[[gnu::noinline]] bool ScanRows(const uint16_t* a, const uint16_t* b, int64_t ox, int64_t oy) {
  constexpr bool kSimd = P != Path::kPlain;
  const int64_t firstRow = oy < 0 ? -oy : 0;
  const int64_t endRow = int64_t(H2) - oy < int64_t(H1) ? int64_t(H2) - oy : int64_t(H1);
  const Columns c = ColumnsFor<W1 / 16, W2 / 16>(int32_t(ox));
  const auto row = [&](int64_t r) {
    return RowOverlaps<W2 / 16, kSimd>(c, a + r * (W1 / 16), b + (r + oy) * (W2 / 16));
  };
#if defined(POKE_SIMD)
  const int32_t n = c.end - c.first;
  if (kSimd && W1 / 16 >= uint32_t(Lanes::kLanes) && n >= Lanes::kLanes && endRow - firstRow >= 3) {
    if (row(firstRow)) {
      return true;
    }
    const bool leftOut = c.k0 + c.first < 0;
    const bool rightOut = c.s != 0 && c.k0 + c.end >= int32_t(W2 / 16);
    const uint16_t* aFrom = a + (firstRow + 1) * (W1 / 16) + c.first;
    const uint16_t* bFrom = b + (firstRow + 1 + oy) * (W2 / 16) + c.k0 + c.first;
    const int64_t rows = endRow - firstRow - 2;
#if defined(POKE_X86_SIMD)
    const bool avx2 = P == Path::kAvx2 || (P == Path::kBest && CpuHasAvx2());
    if (avx2 && n >= Avx2::kLanes) {
      return avx2::Blocks(aFrom, bFrom, rows, W1 / 16, W2 / 16, n, c.s, leftOut, rightOut) ||
             row(endRow - 1);
    }
#endif
    if (lanes::Blocks(aFrom, bFrom, rows, W1 / 16, W2 / 16, n, c.s, leftOut, rightOut)) {
      return true;
    }
    return row(endRow - 1);
  }
#endif
  for (int64_t r = firstRow; r < endRow; ++r) {
    if (row(r)) {
      return true;
    }
  }
  return false;
}

// a and b one word wide and at most four rows each: each mask is one 64-bit value, row r in
// bits 16r to 16r + 15, so the rows are lined up by one shift and the columns by another, the
// bits that would cross into a neighbouring row masked off.
template <unsigned H>
[[gnu::always_inline]] inline uint64_t Rows(const uint16_t* m) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  if (H == 4) {
    uint64_t rows;
    std::memcpy(&rows, m, sizeof rows);  // one load: word r lands in bits 16r to 16r + 15
    return rows;
  }
#endif
  uint64_t rows = 0;
  for (unsigned r = 0; r < H; ++r) {
    rows |= uint64_t(m[r]) << (16 * r);
  }
  return rows;
}

template <unsigned H1, unsigned H2>
[[gnu::always_inline]] inline bool SmallOverlaps(const uint16_t* a, const uint16_t* b, int64_t ox,
                                                 int64_t oy) {
  const uint64_t wa = Rows<H1>(a);
  uint64_t wb = Rows<H2>(b);
  wb = oy >= 0 ? wb >> (16 * oy) : wb << (16 * -oy);  // b's row r + oy on a's row r
  constexpr uint64_t kEachRow = 0x0001000100010001u;
  const uint64_t window = ox >= 0 ? (wb << ox) & kEachRow * ((0xFFFFu << ox) & 0xFFFFu)
                                  : (wb >> -ox) & kEachRow * (0xFFFFu >> -ox);
  return (wa & window) != 0;
}

// a one word wide over b two words wide: a row of b is 32 pixels, and the window at any column
// from -15 to 31 is one shift of it, with nothing to clip.
[[gnu::always_inline]] inline unsigned PairWindow(const uint16_t* row, int64_t ox) {
  // Column c at bit 47 - c, with 16 empty columns on either side.
  const uint64_t pixels = uint64_t(row[0]) << 32 | uint64_t(row[1]) << 16;
  return unsigned(pixels >> (32 - ox)) & 0xFFFFu;
}

template <Path P, unsigned H1>
[[gnu::always_inline]] inline bool PairOverlaps(const uint16_t* a, const uint16_t* b, int64_t ox,
                                                int64_t firstRow, int64_t endRow, int64_t oy) {
  int64_t r = firstRow;
  unsigned hits = 0;
#if defined(POKE_SIMD)
  if (P != Path::kPlain) {
    // Four rows at a time in 32-bit lanes, each lane a row of b as stored: its left word in the
    // low half, its right word in the high half. Rather than shift b into a window, a's word is
    // moved to where its pixels lie in that lane: rotated right by ox from 0 to 16, shifted
    // left into the low half for ox below 0, into the high half for ox above 16.
    const PairLanes pair(ox);
    const auto four = [&](int64_t at) { return pair.Four(a + at, b + 2 * (at + oy)); };
    Lanes::V lanes = Lanes::Zero();
    if (H1 % 4 == 0 && firstRow == 0 && endRow == int64_t(H1)) {
      // Every row of a lies over b, the common case: a loop of known length, unrolled.
#pragma GCC unroll 8
      for (unsigned at = 0; at < H1; at += 4) {
        lanes = Lanes::Or(lanes, four(at));
      }
      return Lanes::Any(lanes);
    }
    for (; r + 4 <= endRow; r += 4) {
      lanes = Lanes::Or(lanes, four(r));
    }
    hits = Lanes::Any(lanes);
  }
#endif
  for (; r < endRow; ++r) {
    hits |= a[r] & PairWindow(b + 2 * (r + oy), ox);
  }
  return hits != 0;
}

// The rows of a (W1 by H1) that lie over b (W2 by H2) when a's (c, r) lies on b's (c + ox,
// r + oy); some row and some column of a must reach b. The first window is tried on its own
// first, so that a hit there costs next to nothing whatever the size.
template <Path P, unsigned W1, unsigned H1, unsigned W2, unsigned H2>
[[gnu::always_inline]] inline bool Scan(const uint16_t* a, const uint16_t* b, int64_t ox,
                                        int64_t oy) {
  if constexpr (W1 == 16 && W2 == 16 && H1 <= 4 && H2 <= 4) {
    return SmallOverlaps<H1, H2>(a, b, ox, oy);
  }
  const int64_t firstRow = oy < 0 ? -oy : 0;
  const int64_t endRow = int64_t(H2) - oy < int64_t(H1) ? int64_t(H2) - oy : int64_t(H1);
  if constexpr (W1 == 16 && W2 == 32) {
    return PairOverlaps<P, H1>(a, b, ox, firstRow, endRow, oy);
  }
  if constexpr (W1 == 16) {
    const Columns c = ColumnsFor<W1 / 16, W2 / 16>(int32_t(ox));
    if (c.inEnd > c.inFirst) {
      return NarrowOverlaps(a + firstRow, b + (firstRow + oy) * (W2 / 16) + c.k0, W2 / 16,
                            endRow - firstRow, c.s);
    }
  } else {
    // The first window: a's first word that reaches b, on the first row that does.
    const int64_t first = ox >= 0 ? 0 : -ox / 16;
    const int64_t start = 16 * first + ox;  // the column of b it begins on, -15 to W2 - 1
    const uint16_t* bRow = b + (firstRow + oy) * (W2 / 16);
    unsigned window = 0;
    if (start < 0) {
      window = bRow[0] >> -start;
    } else {
      const int64_t k = start >> 4;
      const uint32_t pair = uint32_t(bRow[k]) << 16 | (k + 1 < int64_t(W2 / 16) ? bRow[k + 1] : 0);
      window = (pair << (start & 15)) >> 16;
    }
    if (a[firstRow * (W1 / 16) + first] & window) {
      return true;
    }
  }
  return ScanRows<P, W1, H1, W2, H2>(a, b, ox, oy);
}

// Poke's answer on a given path: a's centre at (x, y) from b's, the centring offsets signed and
// truncated toward zero.
template <Path P, unsigned W1, unsigned H1, unsigned W2, unsigned H2>
unsigned Overlap(const uint16_t* a, const uint16_t* b, int32_t x, int32_t y) {
  static_assert(W1 % 16 == 0 && W2 % 16 == 0, "mask widths are whole words");
  const int64_t ox = int64_t(x) + (int64_t(W2) - int64_t(W1)) / 2;
  const int64_t oy = int64_t(y) + (int64_t(H2) - int64_t(H1)) / 2;
  if (ox <= -int64_t(W1) || ox >= int64_t(W2) || oy <= -int64_t(H1) || oy >= int64_t(H2)) {
    return 0;  // no column or no row of a reaches b
  }
  return Scan<P, W1, H1, W2, H2>(a, b, ox, oy) ? 1 : 0;
}

}  // namespace poke_rows
