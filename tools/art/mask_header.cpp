// Writes the collision masks header: the self-test's fixed tables and the silhouettes of our own
// rocket and robot-planet pictures, so the masks always match the art.
#include <cstdio>
#include <string>
#include <vector>

#include "art/painters.h"
#include "game/headings.h"

namespace {

// A mask as rows of 16-bit words, in either bit order.
struct Mask {
  int width, height;
  std::vector<uint16_t> words;
};

// X bitmap order: the leftmost pixel of each 16 in the least significant bit.
Mask Silhouette(const Canvas& picture, int width, int height, int left, int top) {
  Mask mask{width, height, std::vector<uint16_t>(size_t(width / 16) * height, 0)};
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) {
      if (picture.At(x, y) != kClear) {
        const int mx = left + x, my = top + y;
        mask.words[size_t(my) * (width / 16) + mx / 16] |= uint16_t(1u << (mx % 16));
      }
    }
  }
  return mask;
}

// A filled disc within rows 5 to 120 and columns 7 to 122, in X bitmap order.
Mask PlanetCanvas() {
  Canvas disc(128, 128);
  for (int y = 0; y < 128; ++y) {
    for (int x = 0; x < 128; ++x) {
      const float dx = x - 64.5f, dy = y - 62.5f;
      if (dx * dx + dy * dy <= 58.0f * 58.0f) {
        disc.Set(x, y, kOutline);
      }
    }
  }
  return Silhouette(disc, 128, 128, 0, 0);
}

// clang-format off
const std::vector<uint16_t> kDot = {
    0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x03C0, 0x03C0,
    0x03C0, 0x03C0, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000,
};
const std::vector<uint16_t> kTest = {
    0x200C, 0x3004, 0x600C, 0x3004, 0xE00F, 0xF007, 0x000F, 0xF000,
    0x0FF0, 0x0FF0, 0xEFF0, 0x0FF7, 0x2C30, 0x0C34, 0x2C30, 0x0C34,
    0x2C30, 0x0C34, 0x2C30, 0x0C36, 0xEFF0, 0x0FF7, 0x0FF0, 0x0FF0,
    0xF000, 0x000F, 0xF7E7, 0xE7EF, 0x3624, 0x642C, 0x3424, 0x242C,
    0x3424, 0x242C, 0x3426, 0x246C, 0xF7E7, 0xE7EF, 0xF000, 0x000F,
    0x0FF0, 0x0FF0, 0xEFF0, 0x0FF7, 0x6C30, 0x0C34, 0x2C30, 0x0C34,
    0x2C30, 0x0C34, 0x2C30, 0x0C34, 0xEFF0, 0x0FF7, 0x0FF0, 0x0FF0,
    0x000F, 0xF000, 0xE00F, 0xF007, 0x200C, 0x3006, 0x200C, 0x3004,
};
// clang-format on

// One mask row a line where it fits, so small masks read as pictures.
void WriteTable(FILE* out, const char* name, int width, const std::vector<uint16_t>& words) {
  const size_t perLine = width / 16 < 8 ? width / 16 : 8;
  std::fprintf(out, "static constexpr uint16_t %s[%zu] = {", name, words.size());
  for (size_t i = 0; i < words.size(); ++i) {
    std::fprintf(out, "%s0x%04X,", i % perLine == 0 ? "\n    " : " ", words[i]);
  }
  std::fprintf(out, "\n};\n\n");
}

void WriteSize(FILE* out, const char* name, int width, int height) {
  std::fprintf(out, "constexpr unsigned %s_width = %d;\n", name, width);
  std::fprintf(out, "constexpr unsigned %s_height = %d;\n", name, height);
}

}  // namespace

bool WriteMaskHeader(const std::string& path) {
  FILE* out = std::fopen(path.c_str(), "w");
  if (out == nullptr) {
    std::perror(path.c_str());
    return false;
  }
  std::fprintf(out,
               "// Collision masks. Generated from the game's own pictures by tools/art "
               "(rocket_art --masks FILE);\n"
               "// do not edit by hand: `make masks` remakes it, and a test fails when it is "
               "stale.\n"
               "//\n"
               "// dot_bits and test_bits are in the collision library's bit order (leftmost "
               "pixel in the most\n"
               "// significant bit); test8_bits is the same 128 bytes as test_bits. The planet "
               "and rocket\n"
               "// silhouettes are in the X bitmap order that bitmap editors write (leftmost "
               "pixel of each 16\n"
               "// in the least significant bit): read through PokeWord, each group of 16 "
               "comes out mirrored.\n"
               "// Every table has internal linkage, so each including unit carries its own "
               "identical copy.\n"
               "#pragma once\n"
               "// clang-format off\n"
               "#include <cstdint>\n\n");
  WriteSize(out, "dot", 16, 16);
  WriteSize(out, "test", 32, 32);
  WriteSize(out, "planetCanvas", 128, 128);
  WriteSize(out, "planetRobot", 256, 256);
  WriteSize(out, "rocket", 48, kRocketSize);
  std::fprintf(out, "\n");
  WriteTable(out, "dot_bits", 16, kDot);
  WriteTable(out, "test_bits", 32, kTest);
  WriteTable(out, "test8_bits", 32, kTest);
  WriteTable(out, "planetCanvas_bits", 128, PlanetCanvas().words);
  // The robot planet's picture, centred in 256 by 256.
  WriteTable(out, "planetRobot_bits", 256, Silhouette(PaintRobotPlanet(), 256, 256, 96, 96).words);
  for (int h = 0; h < kHeadingCount; ++h) {
    const std::string name = std::string("rocket") + kHeadings[h].label + "_bits";
    WriteTable(out, name.c_str(), 48, Silhouette(PaintRocket(h), 48, kRocketSize, 0, 0).words);
  }
  return std::fclose(out) == 0;
}
