// Bitmask collision: one bit a pixel, 16 pixels to an unsigned 16-bit word with the leftmost
// pixel in the most significant bit, rows top to bottom. Three function templates, every mask
// size a template parameter, no state and no allocation; pixels outside a mask read as empty.
// PocSsert, run first thing at every start, checks them against fixed expectations.
//
// Mind the line numbers. An assertion's report names this file and its line, and those lines
// are part of the game's output: PokeWord's two checks stand at lines 25 and 26 and the
// self-test's at lines 76 to 168. Edit around them without moving any, and by hand: a
// formatter would respace the expression texts. tests/poke_layout_test.cpp checks them.
#pragma once
// clang-format off
#include <cassert>
#include <cstdint>
#include <cstdio>
#include "collision/masks.h"
#include "collision/poke_rows.h"
// The whole aligned word that holds pixel (x, y), or 0 when the pixel lies outside the mask.
template <unsigned W, unsigned H>
uint16_t PokeWord(const uint16_t* bits, int32_t x, int32_t y) {
  static_assert(uint64_t(W) * H < (uint64_t(1) << 32), "W*H and y*W+x are 32-bit: a mask holds fewer than 2^32 pixels");
  if (x < 0 || y < 0 || unsigned(x) > W - 1 || unsigned(y) > H - 1) {
    return 0;
  }
  const int64_t offset = int64_t((unsigned(y) * W + unsigned(x)) >> 4);
  assert((offset >= 0));
  assert((offset < W*H));
  return bits[offset];
}

// The 16 pixels of row y from column x on, pixel x in the most significant bit. Columns outside
// the mask come in empty on either side, so a window never wraps into the next row.
template <unsigned W, unsigned H>
uint16_t PokeWordShifted(const uint16_t* bits, int32_t x, int32_t y) {
  if (y < 0 || unsigned(y) > H - 1) {
    return 0;
  }
  const unsigned s = unsigned((x < 0 ? -int64_t(x) : int64_t(x)) % 16);
  const unsigned first = PokeWord<W, H>(bits, x, y);
  if (s == 0) {
    return uint16_t(first);
  }
  const unsigned second = x < int32_t(W) ? PokeWord<W, H>(bits, x + 16, y) : 0;
  const unsigned window = x < 0 ? (first << (16 - s)) | (second >> s)
                                : (first << s) | (second >> (16 - s));
  return uint16_t(window);
}

// 1 if a solid pixel of a lies on one of b when a's centre is (x, y) from b's: a's (c, r) lies
// on b's (c + ox, r + oy), the centring offsets signed and truncated toward zero. Clipped once,
// then scanned a word of a against a window of b at a time, up to the first overlap.
//
// Every size is a template parameter, so the clipping folds to constants for the sizes the
// program uses. Wide masks are scanned in vector blocks, with AVX2 where the CPU has it and
// SSE2 elsewhere; the narrow pairs of the program take a path of their own (see poke_rows.h).
// Whichever path scans, the answer is the same: the tests hold every path to a per-pixel model
// on the same cases.
template <unsigned W1, unsigned H1, unsigned W2, unsigned H2>
unsigned Poke(const uint16_t* a, const uint16_t* b, int32_t x, int32_t y) {
  return poke_rows::Overlap<poke_rows::Path::kBest, W1, H1, W2, H2>(a, b, x, y);
}

// The self-test. Each expectation is an assertion whose text and line are its report, so a
// failure names the very row of expectations it broke. The fixtures are small masks, each set
// up just before its first use. A text that begins with a quoted label is a comma expression:
// the label is dropped and only serves the report. The empty lines below keep every check on
// its line.
//
// Returns 0, whether or not an assertion handler returned; "~mostly~" is the test's own modesty:
// it checks fixed cases, not every input.
template <int N>
int PocSsert() {
  puts("validating collision detection..."); fflush(stdout);  // shown even if a check aborts
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-value"  // the labels are only for the report
  const uint16_t testLong[] = {0xFF00, 0xFF00};  // 32 by 1: columns 0-7 and 16-23 solid
  assert((PokeWordShifted<32,1>(testLong,-1,0) != 0));
  assert((PokeWordShifted<32,1>(testLong,-1,0) == 0x7F80));
  assert((PokeWordShifted<32,1>(testLong,0,0) == 0xFF00));
  assert((PokeWordShifted<32,1>(testLong,1,0) == 0xFE01));
  assert((PokeWordShifted<32,1>(testLong,2,0) == 0xFC03));
  assert((PokeWordShifted<32,1>(testLong,8,0) == 0x00FF));
  assert((PokeWordShifted<32,1>(testLong,9,0) == 0x01FE));
  assert((PokeWordShifted<32,1>(testLong,10,0) == 0x03FC));
  assert((PokeWordShifted<32,1>(testLong,12,0) == 0x0FF0));
  assert((PokeWordShifted<32,1>(testLong,13,0) == 0x1FE0));
  assert((PokeWordShifted<32,1>(testLong,15,0) == 0x7F80));
  assert((PokeWordShifted<32,1>(testLong,16,0) == 0xFF00));
  assert((PokeWordShifted<32,1>(testLong,17,0) == 0xFE00));

  // A bar two columns wide (7 and 8), full height. PokeWord gives the whole word whichever
  // pixel is asked for, even where that pixel is empty.
  const uint16_t testFrom[] = {0x0180, 0x0180, 0x0180, 0x0180};

  // Every pixel of it, 64 evaluations of one assertion:
  for (int x = 0; x < 16; ++x) {
    for (int y = 0; y < 4; ++y) {
      assert((x,y,(PokeWord<16,4>(testFrom,x,y) == 0x180)));
    }
  }

  // All solid.
  const uint16_t testTrue[] = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};


  assert(("true",Poke<16,4,16,4>(testFrom,testTrue,0,0)));

  // All empty.
  const uint16_t testFalse[] = {0x0000, 0x0000, 0x0000, 0x0000};




  assert(("false",!Poke<16,4,16,4>(testFrom,testFalse,0,0)));

  // All solid but a slot two columns wide, where testFrom's bar fits exactly.
  const uint16_t testFalseAgain[] = {0xFE7F, 0xFE7F, 0xFE7F, 0xFE7F};




  assert(("false again",!Poke<16,4,16,4>(testFrom,testFalseAgain,0,0)));
  assert(("but true",Poke<16,4,16,4>(testFrom,testFalseAgain,1,0)));

  // A 2 by 2 dot at columns 7 and 8, rows 1 and 2. Read as 16 by 14, at rows 0 and 1 only,
  // which lie inside its four words.
  const uint16_t testDot[] = {0x0000, 0x0180, 0x0180, 0x0000};




  assert((PokeWord<16,14>(testDot,0,0)==0));
  assert((PokeWord<16,14>(testDot,1,0)==0));
  assert((PokeWord<16,14>(testDot,1,1)==0x0180));

  // Solid with a 2 by 2 hole at columns 7 and 8, rows 1 and 2: the dot sits in it exactly.
  const uint16_t testHole[] = {0xFFFF, 0xFE7F, 0xFE7F, 0xFFFF};




  assert((PokeWordShifted<16,4>(testHole,1,0) == 0xFFFE));
  assert((PokeWordShifted<16,4>(testHole,3,0) == 0xFFF8));
  assert((PokeWordShifted<16,4>(testHole,0,1) == 0xFE7F));
  assert(("dot in center of hole, 0",!Poke<16,4,16,4>(testDot, testHole, 0, 0)));
  assert(("right edge of the hole, 1",Poke<16,4,16,4>(testDot, testHole, 1, 0)));
  assert(("bottom edge of the hole, 1",Poke<16,4,16,4>(testDot, testHole, 0, 1)));
  assert(("left edge of the hole, 1",Poke<16,4,16,4>(testDot, testHole, -1, 0)));
  assert(("top edge of the hole, 1",Poke<16,4,16,4>(testDot, testHole, 0, -1)));
  assert(("right side of the hole, 1",Poke<16,4,16,4>(testDot, testHole, 3, 0)));
  assert(("left side of the hole, 1",Poke<16,4,16,4>(testDot, testHole, -3, 0)));
  assert(("right outside of the hole, 0",!Poke<16,4,16,4>(testDot, testHole, 9, 0)));
  assert(("left outside of the hole, 0",!Poke<16,4,16,4>(testDot, testHole, -9, 0)));
  assert(("under the hole, 0",!Poke<16,4,16,4>(testDot, testHole, 0, 3)));
  assert(("above the hole, 0",!Poke<16,4,16,4>(testDot, testHole, 0, -3)));

  // The centred 4 by 4 dot over four hollow squares: diagonally it lands in a hollow centre,
  // sideways it touches a notch.
  assert(("", PokeWordShifted<test_width,test_height>(test_bits,0,0) == 0x200c ));
  assert(("", PokeWordShifted<test_width,test_height>(test_bits,15,0) == 0x1802 ));
  assert(("", PokeWordShifted<test_width,test_height>(test_bits,16,0) == 0x3004 ));
  assert(("", PokeWordShifted<test_width,test_height>(test_bits,17,0) == 0x6008 ));
  assert(("", PokeWordShifted<test_width,test_height>(test_bits,18,0) == 0xC010 ));
  assert(("top left corner", !Poke<dot_width,dot_height,test_width,test_height>(dot_bits,test_bits,-8,-8)));
  assert(("top right corner", !Poke<dot_width,dot_height,test_width,test_height>(dot_bits,test_bits,8,-8)));
  assert(("bottom right corner", !Poke<dot_width,dot_height,test_width,test_height>(dot_bits,test_bits,-8,8)));
  assert(("bottom left corner", !Poke<dot_width,dot_height,test_width,test_height>(dot_bits,test_bits,8,8)));
  assert(("left middle with notch", Poke<dot_width,dot_height,test_width,test_height>(dot_bits,test_bits,-8,0)));
  assert(("right middle with notch", Poke<dot_width,dot_height,test_width,test_height>(dot_bits,test_bits,8,0)));
#pragma GCC diagnostic pop
  puts("collision detection is ~mostly~ valid");
  return 0;
}
