// The generated bitmaps: names, sizes, the key colour, and that each rocket points its way.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "art/canvas.h"
#include "game/headings.h"
#include "platform/image_table.h"

namespace {

using Surface = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

Surface Load(int image) {
  return Surface(SDL_LoadBMP(ImagePath(image)), SDL_FreeSurface);
}

SDL_Color ColourAt(const SDL_Surface* s, int x, int y) {
  const Uint8 index = static_cast<const Uint8*>(s->pixels)[y * s->pitch + x];
  return s->format->palette->colors[index];
}

bool IsKey(SDL_Color c) {
  return c.r == 222 && c.g == 173 && c.b == 190;
}
bool Solid(const SDL_Surface* s, int x, int y) {
  return !IsKey(ColourAt(s, x, y));
}

constexpr double kPi = 3.14159265358979;

// Direction of (dx, dy) in degrees clockwise from straight up, 0 to 360.
double Bearing(double dx, double dy) {
  const double degrees = std::atan2(dx, -dy) * 180.0 / kPi;
  return degrees < 0 ? degrees + 360.0 : degrees;
}

double AngleBetween(double a, double b) {
  const double d = std::fabs(a - b);
  return d > 180.0 ? 360.0 - d : d;
}

}  // namespace

TEST(Art, AllImagesLoadAsPalettedBitmaps) {
  for (int image = 0; image < kImageCount; ++image) {
    Surface s = Load(image);
    ASSERT_NE(s, nullptr) << ImagePath(image) << ": " << SDL_GetError();
    EXPECT_EQ(s->format->BitsPerPixel, 8) << ImagePath(image);
    ASSERT_NE(s->format->palette, nullptr);
  }
}

TEST(Art, NoVisiblePixelComesNearTheKeyColour) {
  // A near miss would survive the colour key and show as a pink fringe.
  for (int image = 0; image < kImageCount; ++image) {
    Surface s = Load(image);
    ASSERT_NE(s, nullptr);
    int keyed = 0;
    for (int y = 0; y < s->h; ++y) {
      for (int x = 0; x < s->w; ++x) {
        const SDL_Color c = ColourAt(s.get(), x, y);
        if (IsKey(c)) {
          ++keyed;
          continue;
        }
        // Blending into the key would leave colours within a few steps of it in every channel.
        const int distance =
            std::max({std::abs(c.r - 222), std::abs(c.g - 173), std::abs(c.b - 190)});
        ASSERT_GE(distance, 32) << ImagePath(image) << " at " << x << "," << y;
      }
    }
    EXPECT_GT(keyed, 0) << ImagePath(image) << " has no transparent pixel";
  }
}

TEST(Art, RocketsStayInsideTheirFrameAndKeepThePortholeClear) {
  for (const Heading& h : kHeadings) {
    Surface rocket = Load(h.rocketImage);
    Surface flame = Load(h.flameImage);
    ASSERT_NE(rocket, nullptr);
    ASSERT_NE(flame, nullptr);
    EXPECT_EQ(rocket->w, 40);
    EXPECT_EQ(rocket->h, 40);
    EXPECT_EQ(flame->w, 40);
    EXPECT_EQ(flame->h, 40);
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 40; ++x) {
        if (Solid(rocket.get(), x, y)) {
          EXPECT_TRUE(x >= 3 && x <= 36 && y >= 3 && y <= 36)
              << "rocket" << h.label << " solid at " << x << "," << y;
        }
        const int dx = x - 20, dy = y - 20;
        if (dx * dx + dy * dy <= 9) {
          EXPECT_FALSE(Solid(rocket.get(), x, y))
              << "rocket" << h.label << " porthole at " << x << "," << y;
        }
      }
    }
  }
}

TEST(Art, EyesShowThroughThePortholeAtEveryHeading) {
  for (int eyesImage : {kImageEyesL, kImageEyesR}) {
    Surface eyes = Load(eyesImage);
    ASSERT_NE(eyes, nullptr);
    // Both are drawn centred on the same point: column w/2 and row h/2 of each picture.
    const int ex = eyes->w / 2, ey = eyes->h / 2;
    for (const Heading& h : kHeadings) {
      Surface rocket = Load(h.rocketImage);
      for (int y = 0; y < eyes->h; ++y) {
        for (int x = 0; x < eyes->w; ++x) {
          if (Solid(eyes.get(), x, y)) {
            EXPECT_FALSE(Solid(rocket.get(), 20 + x - ex, 20 + y - ey))
                << ImagePath(eyesImage) << " hidden by rocket" << h.label;
          }
        }
      }
    }
  }
}

TEST(Art, EachRocketPointsItsWayWithTheFlameBehind) {
  for (int i = 0; i < kHeadingCount; ++i) {
    const Heading& h = kHeadings[i];
    const double expected = i * 22.5;
    Surface rocket = Load(h.rocketImage);
    Surface flame = Load(h.flameImage);
    // The nose is the solid pixel farthest from the centre.
    double far = -1, nose = 0;
    double fx = 0, fy = 0, flamePixels = 0;
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 40; ++x) {
        const double dx = x - 20, dy = y - 20;
        if (Solid(rocket.get(), x, y) && std::hypot(dx, dy) > far) {
          far = std::hypot(dx, dy);
          nose = Bearing(dx, dy);
        }
        if (Solid(flame.get(), x, y)) {
          fx += dx;
          fy += dy;
          ++flamePixels;
        }
      }
    }
    EXPECT_LT(AngleBetween(nose, expected), 15.0) << "rocket" << h.label << " nose at " << nose;
    ASSERT_GT(flamePixels, 10) << "rocketThrust" << h.label;
    const double tail = Bearing(fx, fy);
    EXPECT_LT(AngleBetween(tail, expected + 180.0), 10.0)
        << "rocketThrust" << h.label << " flame at " << tail;
  }
}

TEST(Art, PlanetsAndStarFieldsHaveTheirSizes) {
  for (int planet : {kImagePlanetCotton, kImagePlanetFur, kImagePlanetRobot}) {
    Surface s = Load(planet);
    EXPECT_EQ(s->w, 64) << ImagePath(planet);
    EXPECT_EQ(s->h, 64) << ImagePath(planet);
  }
  // The nearest layer is the brightest and sparsest, the farthest the faintest.
  double meanBrightness[3];
  int stars[3];
  for (int layer = 0; layer < 3; ++layer) {
    Surface s = Load(46 + layer);
    EXPECT_EQ(s->w, 1280);
    EXPECT_EQ(s->h, 720);
    double sum = 0;
    stars[layer] = 0;
    for (int y = 0; y < s->h; ++y) {
      for (int x = 0; x < s->w; ++x) {
        const SDL_Color c = ColourAt(s.get(), x, y);
        if (!IsKey(c)) {
          sum += (c.r + c.g + c.b) / 3.0;
          ++stars[layer];
        }
      }
    }
    meanBrightness[layer] = sum / stars[layer];
  }
  EXPECT_GT(meanBrightness[0], meanBrightness[1]);
  EXPECT_GT(meanBrightness[1], meanBrightness[2]);
  EXPECT_LT(stars[0], stars[2]);
}

// The writers, on pictures the real art may not happen to contain: runs longer than a count
// byte holds, rows of one pixel each, every ink, an odd width; SDL must read back every pixel.
TEST(Art, RunLengthBitmapsReadBackPixelForPixel) {
  Canvas picture(601, 5);
  for (int x = 0; x < 601; ++x) {
    picture.Set(x, 0, kStar1);                                        // one run of 601
    picture.Set(x, 1, Ink(x % kInkCount));                            // no runs at all
    picture.Set(x, 2, x < 255 ? kStar1 : x < 511 ? kRed1 : kFlame2);  // 255, 256, then 90
    picture.Set(x, 3, Ink(x / 300 + 1));                              // runs across the count's end
  }
  picture.Set(600, 4, kRed3);  // the bottom row, written first: one pixel at its end
  const std::string path = "art-writer-test.bmp";
  ASSERT_TRUE(SaveBitmap(picture, path));
  Surface s(SDL_LoadBMP(path.c_str()), SDL_FreeSurface);
  std::remove(path.c_str());
  ASSERT_NE(s, nullptr) << SDL_GetError();
  ASSERT_EQ(s->w, 601);
  ASSERT_EQ(s->h, 5);
  int wrong = 0;
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 601; ++x) {
      const SDL_Color c = ColourAt(s.get(), x, y);
      const Rgb& want = kPalette[picture.At(x, y)];
      wrong += c.r != want.r || c.g != want.g || c.b != want.b;
    }
  }
  EXPECT_EQ(wrong, 0);
}

TEST(Art, TheIconFileHoldsItsPngWhereItsDirectorySays) {
  const std::string path = "art-writer-test.ico";
  ASSERT_TRUE(SaveIco(Canvas(128, 128), path));
  std::ifstream file(path, std::ios::binary);
  const std::vector<uint8_t> ico{std::istreambuf_iterator<char>(file), {}};
  std::remove(path.c_str());
  ASSERT_GT(ico.size(), 22u + 8);
  const auto le16 = [&](size_t at) { return ico[at] | ico[at + 1] << 8; };
  const auto le32 = [&](size_t at) { return uint32_t(le16(at) | le16(at + 2) << 16); };
  EXPECT_EQ(le16(0), 0);
  EXPECT_EQ(le16(2), 1) << "an icon";
  EXPECT_EQ(le16(4), 1) << "one image";
  EXPECT_EQ(ico[6], 128);
  EXPECT_EQ(ico[7], 128);
  const uint32_t size = le32(14), offset = le32(18);
  EXPECT_EQ(offset, 22u);
  EXPECT_EQ(offset + size, ico.size());
  EXPECT_EQ(std::string(ico.begin() + offset + 1, ico.begin() + offset + 4), "PNG");
}
