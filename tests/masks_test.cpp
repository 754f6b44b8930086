// The mask tables against the pictures they are silhouettes of, read in the X bitmap order.
#include "collision/masks.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "game/headings.h"
#include "platform/image_table.h"

namespace {

// clang-format off
const uint16_t* const kRocketMasks[kHeadingCount] = {
    rocket00_bits,  rocket22_bits,  rocket45_bits,  rocket67_bits,
    rocket90_bits,  rocket112_bits, rocket135_bits, rocket157_bits,
    rocket180_bits, rocket207_bits, rocket225_bits, rocket247_bits,
    rocket270_bits, rocket292_bits, rocket315_bits, rocket337_bits,
};
// clang-format on

// X bitmap order: the leftmost pixel of each 16 in the least significant bit.
bool XBit(const uint16_t* mask, unsigned width, int x, int y) {
  return (mask[y * (width / 16) + x / 16] >> (x % 16)) & 1u;
}

bool Solid(const SDL_Surface* s, int x, int y) {
  if (x < 0 || y < 0 || x >= s->w || y >= s->h) {
    return false;
  }
  const SDL_Color c =
      s->format->palette->colors[static_cast<const Uint8*>(s->pixels)[y * s->pitch + x]];
  return !(c.r == 222 && c.g == 173 && c.b == 190);
}

using Surface = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

// Compares a table of width by height with the picture placed at (left, top).
void ExpectSilhouette(const uint16_t* mask, unsigned width, unsigned height, int image, int left,
                      int top) {
  Surface picture(SDL_LoadBMP(ImagePath(image)), SDL_FreeSurface);
  ASSERT_NE(picture, nullptr) << ImagePath(image);
  int wrong = 0;
  for (int y = 0; y < int(height); ++y) {
    for (int x = 0; x < int(width); ++x) {
      wrong += XBit(mask, width, x, y) != Solid(picture.get(), x - left, y - top);
    }
  }
  EXPECT_EQ(wrong, 0) << ImagePath(image) << ": pixels that disagree with the table";
}

}  // namespace

TEST(Masks, RocketTablesAreTheRocketPicturesPortholeAndAll) {
  static_assert(rocket_width == 48 && rocket_height <= 42, "48 wide, at most 42 rows");
  for (int h = 0; h < kHeadingCount; ++h) {
    ExpectSilhouette(kRocketMasks[h], rocket_width, rocket_height, kHeadings[h].rocketImage, 0, 0);
    EXPECT_FALSE(XBit(kRocketMasks[h], rocket_width, 20, 20))
        << "porthole of " << kHeadings[h].label;
    for (int y = 0; y < int(rocket_height); ++y) {
      for (int x = 0; x < int(rocket_width); ++x) {
        if (XBit(kRocketMasks[h], rocket_width, x, y)) {
          ASSERT_TRUE(x >= 3 && x <= 36 && y >= 3 && y <= 36) << kHeadings[h].label;
        }
      }
    }
  }
}

TEST(Masks, RobotPlanetTableIsItsPictureCentred) {
  ExpectSilhouette(planetRobot_bits, planetRobot_width, planetRobot_height, 13, 96, 96);
}

TEST(Masks, PlanetCanvasIsADiscWithinItsBounds) {
  int top = 128, bottom = -1, left = 128, right = -1;
  for (int y = 0; y < 128; ++y) {
    for (int x = 0; x < 128; ++x) {
      if (XBit(planetCanvas_bits, 128, x, y)) {
        top = std::min(top, y);
        bottom = std::max(bottom, y);
        left = std::min(left, x);
        right = std::max(right, x);
      }
    }
  }
  EXPECT_EQ(top, 5);
  EXPECT_EQ(bottom, 120);
  EXPECT_EQ(left, 7);
  EXPECT_EQ(right, 122);
  EXPECT_TRUE(XBit(planetCanvas_bits, 128, 64, 62));
  EXPECT_FALSE(XBit(planetCanvas_bits, 128, 8, 6)) << "a disc, not a square";
}

TEST(Masks, SelfTestTablesHoldTheirPictures) {
  static_assert(dot_width == 16 && dot_height == 16 && test_width == 32 && test_height == 32);
  EXPECT_EQ(std::memcmp(test8_bits, test_bits, 128), 0);
  EXPECT_EQ(dot_bits[6], 0x03C0);
  EXPECT_EQ(dot_bits[5], 0x0000);
  // The whole of test_bits, read in the library's order: the leftmost pixel in the top bit.
  // clang-format off
  const char* const picture[32] = {
      "..#.........##....##.........#..",
      ".##.........##....##.........#..",
      "###.........########.........###",
      "............########............",
      "....########........########....",
      "###.########........########.###",
      "..#.##....##........##....##.#..",
      "..#.##....##........##....##.#..",
      "..#.##....##........##....##.#..",
      "..#.##....##........##....##.##.",
      "###.########........########.###",
      "....########........########....",
      "####........................####",
      "####.######..######..######.####",
      "..##.##...#..#...##..#....#.##..",
      "..##.#....#..#....#..#....#.##..",
      "..##.#....#..#....#..#....#.##..",
      "..##.#....#..##...#..#...##.##..",
      "####.######..######..######.####",
      "####........................####",
      "....########........########....",
      "###.########........########.###",
      ".##.##....##........##....##.#..",
      "..#.##....##........##....##.#..",
      "..#.##....##........##....##.#..",
      "..#.##....##........##....##.#..",
      "###.########........########.###",
      "....########........########....",
      "............########............",
      "###.........########.........###",
      "..#.........##....##.........##.",
      "..#.........##....##.........#..",
  };
  // clang-format on
  for (int y = 0; y < 32; ++y) {
    std::string row;
    for (int x = 0; x < 32; ++x) {
      row += (test_bits[y * 2 + x / 16] >> (15 - x % 16)) & 1 ? '#' : '.';
    }
    EXPECT_EQ(row, picture[y]) << "row " << y;
  }
}
