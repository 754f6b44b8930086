// The collision scan per call and per 16-pixel window, against the per-pixel reference on the
// same masks: the self-test's shapes, and equal-size masks up to 4096 by 4096, aligned and
// shifted by a few columns, with no hit (a full scan) and with a hit in the first window.
// bench/versus_pygame.py times pygame's Mask.overlap on the same masks beside these.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "collision/poke.h"
#include "poke_reference.h"

namespace {

struct Pair {
  std::vector<uint16_t> a, b;
};

// a solid on even rows, b on odd rows: at any horizontal offset they never meet, so the whole of
// a is scanned. With a hit, b also holds the pixel that a's top-left pixel lies on at column
// offset `shift`, in the first window scanned.
Pair Masks(unsigned w1, unsigned h1, unsigned w2, unsigned h2, bool hit, unsigned shift) {
  Pair p{std::vector<uint16_t>(w1 / 16 * h1), std::vector<uint16_t>(w2 / 16 * h2)};
  for (unsigned r = 0; r < h1; ++r) {
    for (unsigned j = 0; j < w1 / 16; ++j) {
      p.a[r * (w1 / 16) + j] = r % 2 == 0 ? 0xFFFF : 0;
    }
  }
  for (unsigned r = 0; r < h2; ++r) {
    for (unsigned j = 0; j < w2 / 16; ++j) {
      p.b[r * (w2 / 16) + j] = r % 2 == 1 ? 0xFFFF : 0;
    }
  }
  if (hit) {
    p.b[shift / 16] |= uint16_t(0x8000u >> (shift % 16));
  }
  return p;
}

// Checked once against the reference, outside the timed loop.
void Check(unsigned got, unsigned expected, benchmark::State& state) {
  if (got != expected) {
    state.SkipWithError("result differs from the reference");
  }
}

void Report(benchmark::State& state, double windows) {
  state.counters["windows"] = windows;
  state.counters["per_window"] = benchmark::Counter(
      windows, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Arguments: a hit in the first window (1) or none (0), and how many columns right of b's left
// edge a's left edge lies.
template <unsigned W1, unsigned H1, unsigned W2, unsigned H2>
void BM_Poke(benchmark::State& state) {
  const bool hit = state.range(0) != 0;
  const unsigned shift = unsigned(state.range(1));
  const Pair p = Masks(W1, H1, W2, H2, hit, shift);
  // Centred offsets that lay a's top-left corner `shift` columns right of b's.
  const int32_t x = -int32_t(W2 - W1) / 2 + int32_t(shift), y = -int32_t(H2 - H1) / 2;
  Check(Poke<W1, H1, W2, H2>(p.a.data(), p.b.data(), x, y),
        reference::Overlap(p.a.data(), W1, H1, p.b.data(), W2, H2, x, y), state);
  for (auto _ : state) {
    benchmark::DoNotOptimize(Poke<W1, H1, W2, H2>(p.a.data(), p.b.data(), x, y));
  }
  Report(state, hit ? 1.0 : double(W1 / 16) * H1);
}

template <unsigned W1, unsigned H1, unsigned W2, unsigned H2>
void BM_Reference(benchmark::State& state) {
  const bool hit = state.range(0) != 0;
  const Pair p = Masks(W1, H1, W2, H2, hit, 0);
  const int32_t x = -int32_t(W2 - W1) / 2, y = -int32_t(H2 - H1) / 2;
  for (auto _ : state) {
    benchmark::DoNotOptimize(reference::Overlap(p.a.data(), W1, H1, p.b.data(), W2, H2, x, y));
  }
  Report(state, hit ? 1.0 : double(W1 / 16) * H1);
}

}  // namespace

// The program's own pairs, aligned and shifted.
BENCHMARK(BM_Poke<16, 16, 32, 32>)->ArgsProduct({{0, 1}, {0, 5}});
BENCHMARK(BM_Reference<16, 16, 32, 32>)->Arg(0)->Arg(1);
BENCHMARK(BM_Poke<16, 4, 16, 4>)->ArgsProduct({{0, 1}, {0, 5}});
BENCHMARK(BM_Reference<16, 4, 16, 4>)->Arg(0)->Arg(1);
// Large equal masks at every shift within a word, and aligned.
const std::vector<int64_t> kShifts = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
BENCHMARK(BM_Poke<256, 256, 256, 256>)->ArgsProduct({{0, 1}, kShifts});
BENCHMARK(BM_Reference<256, 256, 256, 256>)->Arg(0)->Arg(1);
BENCHMARK(BM_Poke<1024, 1024, 1024, 1024>)->ArgsProduct({{0, 1}, kShifts});
BENCHMARK(BM_Reference<1024, 1024, 1024, 1024>)->Arg(0)->Arg(1);
BENCHMARK(BM_Poke<4096, 4096, 4096, 4096>)->ArgsProduct({{0, 1}, kShifts});
BENCHMARK(BM_Reference<4096, 4096, 4096, 4096>)->Arg(0)->Arg(1)->Iterations(3);

BENCHMARK_MAIN();
