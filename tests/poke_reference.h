// A plain per-pixel model of the collision primitives, each pixel read with its own shift and
// mask. Sizes are run-time arguments, not template parameters, so one copy of the code serves
// every size (GCC 12 has been seen to miscompile a templated per-pixel model at -O2).
#pragma once

#include <cstdint>

namespace reference {

inline unsigned Pixel(const uint16_t* m, int64_t w, int64_t h, int64_t x, int64_t y) {
  if (x < 0 || y < 0 || x >= w || y >= h) {
    return 0;
  }
  return (m[y * (w / 16) + x / 16] >> (15 - x % 16)) & 1u;
}

// Pixels x to x + 15 of row y, x in the most significant bit.
inline uint16_t Window(const uint16_t* m, int64_t w, int64_t h, int64_t x, int64_t y) {
  unsigned window = 0;
  for (int64_t i = 0; i < 16; ++i) {
    window = (window << 1) | Pixel(m, w, h, x + i, y);
  }
  return uint16_t(window);
}

// The aligned word holding pixel (x, y), or 0 outside.
inline uint16_t Word(const uint16_t* m, int64_t w, int64_t h, int64_t x, int64_t y) {
  if (x < 0 || y < 0 || x >= w || y >= h) {
    return 0;
  }
  return Window(m, w, h, x - x % 16, y);
}

// Overlap with a's centre at (x, y) from b's, the centring offsets truncated toward zero.
inline unsigned Overlap(const uint16_t* a, int64_t w1, int64_t h1, const uint16_t* b, int64_t w2,
                        int64_t h2, int64_t x, int64_t y) {
  const int64_t ox = x + (w2 - w1) / 2, oy = y + (h2 - h1) / 2;
  for (int64_t r = 0; r < h1; ++r) {
    for (int64_t c = 0; c < w1; ++c) {
      if (Pixel(a, w1, h1, c, r) && Pixel(b, w2, h2, c + ox, r + oy)) {
        return 1;
      }
    }
  }
  return 0;
}

}  // namespace reference
