// The collision primitives against the per-pixel reference on random masks, at offsets inside,
// on the edges and far outside in every direction; every instantiation the game uses included.
#include "collision/poke.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <vector>

#include "poke_reference.h"

namespace {

using poke_rows::Path;

// Every way of scanning this machine can run, Poke's own pick among them last.
std::vector<Path> Paths() {
  std::vector<Path> paths = {Path::kPlain};
#if defined(POKE_X86_SIMD)
  paths.push_back(Path::kSse2);
  if (poke_rows::CpuHasAvx2()) {
    paths.push_back(Path::kAvx2);
  }
#elif defined(POKE_NEON)
  paths.push_back(Path::kNeon);
#endif
  paths.push_back(Path::kBest);
  return paths;
}

const char* Name(Path path) {
  switch (path) {
    case Path::kPlain:
      return "plain";
    case Path::kSse2:
      return "SSE2";
    case Path::kAvx2:
      return "AVX2";
    case Path::kNeon:
      return "NEON";
    case Path::kBest:
      break;
  }
  return "Poke";
}

template <unsigned W1, unsigned H1, unsigned W2, unsigned H2>
unsigned OverlapOn(Path path, const uint16_t* a, const uint16_t* b, int32_t x, int32_t y) {
  switch (path) {
    case Path::kPlain:
      return poke_rows::Overlap<Path::kPlain, W1, H1, W2, H2>(a, b, x, y);
    case Path::kSse2:
      return poke_rows::Overlap<Path::kSse2, W1, H1, W2, H2>(a, b, x, y);
    case Path::kAvx2:
      return poke_rows::Overlap<Path::kAvx2, W1, H1, W2, H2>(a, b, x, y);
    case Path::kNeon:
      return poke_rows::Overlap<Path::kNeon, W1, H1, W2, H2>(a, b, x, y);
    case Path::kBest:
      break;
  }
  return Poke<W1, H1, W2, H2>(a, b, x, y);
}

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

std::vector<uint16_t> RandomMask(std::mt19937& random, unsigned w, unsigned h) {
  // Densities from nearly empty to nearly full, so that both hits and misses come up.
  const double density = std::uniform_real_distribution<double>(0.0, 0.3)(random);
  std::bernoulli_distribution solid(density * density);
  std::vector<uint16_t> mask(w / 16 * h, 0);
  for (unsigned i = 0; i < w * h; ++i) {
    if (solid(random)) {
      mask[i / 16] |= uint16_t(0x8000u >> (i % 16));
    }
  }
  return mask;
}

// Offsets inside, on each edge and far outside, given the span of interest.
std::vector<int32_t> Offsets(int32_t span) {
  std::vector<int32_t> offsets = {kMin,       kMin + 1,   -1000000,  -span - 17,
                                  -span - 16, -span - 15, span + 15, span + 16,
                                  span + 17,  1000000,    kMax - 16, kMax};
  for (int32_t d = -span - 2; d <= span + 2; ++d) {
    offsets.push_back(d);
  }
  return offsets;
}

template <unsigned W, unsigned H>
void CheckWords(std::mt19937& random) {
  SCOPED_TRACE(testing::Message() << W << "x" << H);
  for (int trial = 0; trial < 6; ++trial) {
    const std::vector<uint16_t> m = RandomMask(random, W, H);
    for (int32_t y : Offsets(int32_t(H))) {
      for (int32_t x : Offsets(int32_t(W))) {
        ASSERT_EQ((PokeWord<W, H>(m.data(), x, y)), reference::Word(m.data(), W, H, x, y))
            << "PokeWord at " << x << "," << y;
        ASSERT_EQ((PokeWordShifted<W, H>(m.data(), x, y)), reference::Window(m.data(), W, H, x, y))
            << "PokeWordShifted at " << x << "," << y;
      }
    }
  }
}

template <unsigned W1, unsigned H1, unsigned W2, unsigned H2>
void CheckPoke(std::mt19937& random, int trials, int step = 1) {
  SCOPED_TRACE(testing::Message() << W1 << "x" << H1 << " over " << W2 << "x" << H2);
  int hits = 0, misses = 0;
  const int32_t spanX = int32_t(W1 + W2) / 2 + 2, spanY = int32_t(H1 + H2) / 2 + 2;
  for (int trial = 0; trial < trials; ++trial) {
    const std::vector<uint16_t> a = RandomMask(random, W1, H1);
    const std::vector<uint16_t> b = RandomMask(random, W2, H2);
    for (int32_t y : Offsets(spanY)) {
      for (int32_t x : Offsets(spanX)) {
        if ((x % step != 0 || y % step != 0) && std::abs(int64_t(x)) < spanX - 20) {
          continue;
        }
        const unsigned expected = reference::Overlap(a.data(), W1, H1, b.data(), W2, H2, x, y);
        for (Path path : Paths()) {
          ASSERT_EQ((OverlapOn<W1, H1, W2, H2>(path, a.data(), b.data(), x, y)), expected)
              << Name(path) << " at " << x << "," << y;
        }
        (expected ? hits : misses)++;
      }
    }
  }
  EXPECT_GT(hits, 0);
  EXPECT_GT(misses, 0);
}

// One solid pixel in each mask, on the middle of five rows (where the vector blocks scan), a's at
// every column of a wide row and b's where a shifted by ox puts it (a hit) or one column beside
// (a miss), for shifts of both signs. Random masks seldom leave a lone pixel in one lane of a
// vector block; this does.
template <unsigned W>
void CheckLonePixels() {
  constexpr unsigned H = 5;
  SCOPED_TRACE(testing::Message() << W << "x" << H);
  std::vector<uint16_t> a(W / 16 * H, 0), b(W / 16 * H, 0);
  const auto put = [](std::vector<uint16_t>& m, int32_t x, uint16_t bits) {
    m[H / 2 * (W / 16) + unsigned(x) / 16] = bits ? uint16_t(0x8000u >> (x % 16)) : 0;
  };
  for (int32_t ox = -17; ox <= 17; ++ox) {
    for (int32_t c = 0; c < int32_t(W); ++c) {
      const int32_t target = c + ox;
      if (target < 0 || target >= int32_t(W)) {
        continue;
      }
      put(a, c, 1);
      const int32_t beside = target + 1 < int32_t(W) ? target + 1 : target - 1;
      for (Path path : Paths()) {
        put(b, target, 1);
        ASSERT_EQ((OverlapOn<W, H, W, H>(path, a.data(), b.data(), ox, 0)), 1u)
            << Name(path) << ": column " << c << ", ox " << ox;
        put(b, target, 0);
        put(b, beside, 1);
        ASSERT_EQ((OverlapOn<W, H, W, H>(path, a.data(), b.data(), ox, 0)), 0u)
            << Name(path) << ": column " << c << ", ox " << ox;
        put(b, beside, 0);
      }
      put(b, beside, 0);
      put(a, c, 0);
    }
  }
}

// One solid pixel in a, on each of its rows in turn, and one in b where a's lands (a hit) or a
// column beside it (a miss), at shifts of both signs and with a clipped by b's top and bottom.
// The narrow scans look at rows in groups of four and then the rest, so a row left out of a
// group, or the last row, shows here as a missed hit.
template <unsigned W1, unsigned H1, unsigned W2, unsigned H2>
void CheckLonePixelRows() {
  SCOPED_TRACE(testing::Message() << W1 << "x" << H1 << " over " << W2 << "x" << H2);
  std::vector<uint16_t> a(W1 / 16 * H1, 0), b(W2 / 16 * H2, 0);
  const auto put = [](std::vector<uint16_t>& m, unsigned w, int32_t x, int32_t y, bool on) {
    uint16_t& word = m[unsigned(y) * (w / 16) + unsigned(x) / 16];
    const uint16_t bit = uint16_t(0x8000u >> (x % 16));
    word = on ? uint16_t(word | bit) : uint16_t(word & ~bit);
  };
  const int32_t cx = (int32_t(W2) - int32_t(W1)) / 2, cy = (int32_t(H2) - int32_t(H1)) / 2;
  // The first, an inner and the last of a's columns that lie over b.
  const int32_t left = cx < 0 ? -cx : 0;
  const int32_t right = (int32_t(W2) - cx < int32_t(W1) ? int32_t(W2) - cx : int32_t(W1)) - 1;
  int hits = 0;
  for (int32_t r = 0; r < int32_t(H1); ++r) {
    for (const int32_t c : {left, left + 7, right}) {
      put(a, W1, c, r, true);
      for (int32_t oy = -1; oy <= 1; ++oy) {
        for (int32_t ox = -17; ox <= 17; ++ox) {
          const int32_t tx = c + cx + ox, ty = r + cy + oy;  // where a's pixel lies on b
          for (const int32_t bx : {tx, tx + 1}) {
            if (bx < 0 || bx >= int32_t(W2) || ty < 0 || ty >= int32_t(H2)) {
              continue;
            }
            put(b, W2, bx, ty, true);
            const unsigned expected =
                reference::Overlap(a.data(), W1, H1, b.data(), W2, H2, ox, oy);
            ASSERT_EQ(expected, bx == tx ? 1u : 0u);
            for (Path path : Paths()) {
              ASSERT_EQ((OverlapOn<W1, H1, W2, H2>(path, a.data(), b.data(), ox, oy)), expected)
                  << Name(path) << ": row " << r << ", column " << c << " at " << ox << "," << oy;
            }
            hits += int(expected);
            put(b, W2, bx, ty, false);
          }
        }
      }
      put(a, W1, c, r, false);
    }
  }
  EXPECT_GT(hits, 0);
}

}  // namespace

TEST(Poke, WordsMatchTheReferenceForEveryInstantiationTheGameUses) {
  std::mt19937 random(1);
  CheckWords<16, 4>(random);
  CheckWords<16, 14>(random);
  CheckWords<16, 16>(random);
  CheckWords<32, 1>(random);
  CheckWords<32, 32>(random);
}

TEST(Poke, WordsMatchTheReferenceOnWiderMasks) {
  std::mt19937 random(2);
  CheckWords<48, 40>(random);
  CheckWords<64, 3>(random);
}

TEST(Poke, OverlapMatchesTheReferenceForThePairsTheGameUses) {
  std::mt19937 random(3);
  CheckPoke<16, 16, 32, 32>(random, 12);
  CheckPoke<16, 4, 16, 4>(random, 40);
}

TEST(Poke, OverlapIsExactForEveryOtherShape) {
  std::mt19937 random(4);
  CheckPoke<48, 40, 64, 64>(random, 2, 3);  // a wider than a word
  CheckPoke<64, 8, 32, 32>(random, 4);      // a wider than b
  CheckPoke<32, 40, 48, 24>(random, 3, 2);  // a taller than b
  CheckPoke<16, 4, 48, 33>(random, 4);      // odd difference of heights
  CheckPoke<48, 5, 16, 2>(random, 6);       // a larger both ways
  CheckPoke<256, 8, 256, 8>(random, 2, 5);  // long rows: the vector path and its edges
  CheckPoke<160, 4, 96, 6>(random, 3, 3);
  CheckPoke<272, 7, 304, 9>(random, 2, 7);  // a block and a word, within a wider b
  CheckPoke<512, 5, 256, 6>(random, 2, 9);  // b's rows one block wide
}

TEST(Poke, LonePixelsMeetInEveryLaneOfWideRows) {
  CheckLonePixels<512>();  // two whole blocks of sixteen words
  CheckLonePixels<400>();  // a block, half a block and a word left over
}

TEST(Poke, LonePixelsAreFoundOnEveryRowOfNarrowAndOneBlockScans) {
  // a a word wide: over b of one word and taller than four rows, of two words, and wider.
  CheckLonePixelRows<16, 5, 16, 7>();
  CheckLonePixelRows<16, 13, 16, 13>();
  CheckLonePixelRows<16, 16, 32, 32>();
  CheckLonePixelRows<16, 7, 32, 9>();
  CheckLonePixelRows<16, 1, 48, 3>();
  CheckLonePixelRows<16, 4, 48, 6>();
  CheckLonePixelRows<16, 6, 48, 6>();
  CheckLonePixelRows<16, 11, 64, 11>();
  // Rows of exactly one block of windows: eight words for SSE2, sixteen for AVX2, each with
  // the block rows in two groups of four and one left over.
  CheckLonePixelRows<128, 11, 128, 11>();
  CheckLonePixelRows<256, 11, 256, 11>();
  CheckLonePixelRows<256, 11, 128, 13>();
}

TEST(Poke, EmptyMasksNeverOverlapAndFullOnesOverlapWhereverTheyMeet) {
  std::vector<uint16_t> full(64 / 16 * 64, 0xFFFF), empty(64 / 16 * 64, 0);
  for (int32_t d = -70; d <= 70; ++d) {
    EXPECT_EQ((Poke<64, 64, 64, 64>(full.data(), empty.data(), d, d)), 0u);
    EXPECT_EQ((Poke<64, 64, 64, 64>(full.data(), full.data(), d, 0)), std::abs(d) < 64 ? 1u : 0u);
    EXPECT_EQ((Poke<64, 64, 64, 64>(full.data(), full.data(), 0, d)), std::abs(d) < 64 ? 1u : 0u);
  }
}

TEST(Poke, SelfTestPasses) {
  testing::internal::CaptureStdout();
  EXPECT_EQ(PocSsert<0>(), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "validating collision detection...\ncollision detection is ~mostly~ valid\n");
}
