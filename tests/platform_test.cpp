// The platform object headless: start-up state, the image table, drawing and the camera.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "headless.h"
#include "platform/image_table.h"

TEST(ImagePath, NamesEveryImageInByteOrderAndNothingElse) {
  std::string previous;
  for (int image = 0; image < kImageCount; ++image) {
    const std::string path = ImagePath(image);
    EXPECT_EQ(path.rfind("assets/", 0), 0u) << path;
    EXPECT_EQ(path.substr(path.size() - 4), ".bmp") << path;
    EXPECT_LT(previous, path) << "image " << image << " out of byte order";
    previous = path;
  }
  EXPECT_STREQ(ImagePath(0), "assets/body.bmp");
  EXPECT_STREQ(ImagePath(4), "assets/bodyRwalking.bmp");
  EXPECT_STREQ(ImagePath(14), "assets/rocket00.bmp");
  EXPECT_STREQ(ImagePath(19), "assets/rocket207.bmp");
  EXPECT_STREQ(ImagePath(30), "assets/rocketThrust00.bmp");
  EXPECT_STREQ(ImagePath(35), "assets/rocketThrust207.bmp");
  EXPECT_STREQ(ImagePath(48), "assets/starsSquid.bmp");
  for (int outside : {49, -1, 1000, -1000}) {
    ASSERT_NE(ImagePath(outside), nullptr);
    EXPECT_STREQ(ImagePath(outside), "") << outside;
  }
}

TEST(Rects, SizeAndOverlap) {
  const SDL_Rect none = GetRect(nullptr);
  EXPECT_EQ(none.w, 0);
  EXPECT_EQ(none.h, 0);
  const SDL_Rect overlap = IntersectRect({0, 0, 320, 180}, {300, 170, 40, 40});
  EXPECT_EQ(overlap.x, 300);
  EXPECT_EQ(overlap.y, 170);
  EXPECT_EQ(overlap.w, 20);
  EXPECT_EQ(overlap.h, 10);
  const SDL_Rect apart = IntersectRect({0, 0, 320, 180}, {320, 0, 5, 5});
  EXPECT_LE(apart.w, 0);
}

using PlatformTest = Headless;

TEST_F(PlatformTest, InitLeavesKeysUpCameraCentredAndEveryImageLoaded) {
  for (int k = 0; k < kKeyCount; ++k) {
    EXPECT_EQ(dp.keys[k], 0) << "flag " << k;
  }
  EXPECT_EQ(dp.cameraX, 0);
  EXPECT_EQ(dp.cameraY, 0);
  ASSERT_NE(dp.renderer, nullptr);
  ASSERT_NE(dp.window, nullptr);
  EXPECT_STREQ(SDL_GetWindowTitle(dp.window), "title");
  int w = 0, h = 0;
  SDL_GetWindowSize(dp.window, &w, &h);
  EXPECT_EQ(w, 1280);
  EXPECT_EQ(h, 720);
  SDL_SetRenderTarget(dp.renderer, nullptr);  // the window's, not the canvas's (SDL3 has both)
  SDL_RenderGetLogicalSize(dp.renderer, &w, &h);
  EXPECT_EQ(w, 320);
  EXPECT_EQ(h, 180);
  EXPECT_TRUE(SDL_RenderGetIntegerScale(dp.renderer));
  dp.DrawOnCanvas();
  for (int image = 0; image < kImageCount; ++image) {
    EXPECT_GT(GetRect(dp.textures[image]).w, 0) << ImagePath(image);
  }
  EXPECT_EQ(GetRect(dp.textures[kImageRocket00]).w, 40);
}

TEST_F(PlatformTest, AClearedFrameIsBlack) {
  SDL_RenderClear(dp.renderer);
  const Frame frame(dp.renderer);
  for (int y = 0; y < kCanvasHeight; y += 7) {
    for (int x = 0; x < kCanvasWidth; x += 7) {
      ASSERT_EQ(frame.At(x, y), 0u) << x << "," << y;
    }
  }
}

TEST_F(PlatformTest, KeyedPixelsLetWhatIsBeneathShowThrough) {
  // A white square under the rocket: its porthole (keyed) shows white, its hull does not.
  SDL_Texture* white =
      SDL_CreateTexture(dp.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, 40, 40);
  std::vector<uint32_t> texels(40 * 40, 0xFFFFFFFF);
  SDL_UpdateTexture(white, nullptr, texels.data(), 40 * 4);
  dp.textures[kImageBody] = white;
  SDL_RenderClear(dp.renderer);
  dp.Blit(kImageBody, 0, 0);
  dp.Blit(kImageRocket00, 0, 0);
  const Frame frame(dp.renderer);
  frame.Save("keyed-porthole.bmp");
  EXPECT_EQ(frame.At(160, 90), 0xFFFFFFu) << "porthole centre";
  EXPECT_EQ(frame.At(141, 91), 0xFFFFFFu) << "outside the rocket";
  EXPECT_NE(frame.At(160, 84), 0xFFFFFFu) << "hull above the porthole";
}

namespace {

// Draws a coordinate texture of w by h at world (x, y) and checks that exactly `destination`
// was covered, from `source`, and nothing else.
void ExpectBlit(Dp& dp, int w, int h, int x, int y, SDL_Rect source, SDL_Rect destination) {
  SDL_Texture* texture = CoordinateTexture(dp.renderer, w, h);
  dp.textures[kImageBody] = texture;
  SDL_RenderClear(dp.renderer);
  dp.Blit(kImageBody, x, y);
  const Frame frame(dp.renderer);
  int wrong = 0;
  for (int cy = 0; cy < kCanvasHeight; ++cy) {
    for (int cx = 0; cx < kCanvasWidth; ++cx) {
      const bool inside = cx >= destination.x && cx < destination.x + destination.w &&
                          cy >= destination.y && cy < destination.y + destination.h;
      const uint32_t expected =
          inside ? CoordinateColour(source.x + cx - destination.x, source.y + cy - destination.y)
                 : 0;
      if (frame.At(cx, cy) != expected && wrong++ == 0) {
        ADD_FAILURE() << w << "x" << h << " at " << x << "," << y << ": canvas " << cx << "," << cy
                      << " is " << std::hex << frame.At(cx, cy) << ", expected " << expected;
      }
    }
  }
  EXPECT_EQ(wrong, 0) << "pixels wrong";
  SDL_DestroyTexture(texture);
}

constexpr SDL_Rect kNothing = {0, 0, 0, 0};

}  // namespace

TEST_F(PlatformTest, BlitCentresOnTheWorldPointWithTruncatingHalves) {
  ExpectBlit(dp, 5, 4, 10, 20, {0, 0, 5, 4}, {168, 108, 5, 4});
  // Odd width: the middle column on the point. Even width: the third of four columns on it.
  ExpectBlit(dp, 5, 1, 0, 0, {0, 0, 5, 1}, {158, 90, 5, 1});
  ExpectBlit(dp, 4, 1, 0, 0, {0, 0, 4, 1}, {158, 90, 4, 1});
  ExpectBlit(dp, 1, 4, 0, 0, {0, 0, 1, 4}, {160, 88, 1, 4});
}

TEST_F(PlatformTest, BlitClipsToTheCanvas) {
  ExpectBlit(dp, 32, 32, -170, 0, {26, 0, 6, 32}, {0, 74, 6, 32});
  ExpectBlit(dp, 32, 32, 170, 0, {0, 0, 6, 32}, {314, 74, 6, 32});
  ExpectBlit(dp, 32, 32, 0, -100, {0, 26, 32, 6}, {144, 0, 32, 6});
  ExpectBlit(dp, 32, 32, 0, 100, {0, 0, 32, 6}, {144, 174, 32, 6});
  // Larger than the canvas: its middle piece.
  ExpectBlit(dp, 400, 300, 0, 0, {40, 60, 320, 180}, {0, 0, 320, 180});
}

TEST_F(PlatformTest, BlitDrawsNothingJustOffTheCanvas) {
  ExpectBlit(dp, 4, 4, 162, 0, kNothing, kNothing);   // left = 320
  ExpectBlit(dp, 4, 4, -162, 0, kNothing, kNothing);  // left + w = 0
  ExpectBlit(dp, 4, 4, 0, 92, kNothing, kNothing);    // top = 180
  ExpectBlit(dp, 4, 4, 0, -92, kNothing, kNothing);   // top + h = 0
  ExpectBlit(dp, 4, 4, 100000, -100000, kNothing, kNothing);
  // One step back in: a single column or row shows.
  ExpectBlit(dp, 4, 4, 161, 0, {0, 0, 1, 4}, {319, 88, 1, 4});
  ExpectBlit(dp, 4, 4, -161, 0, {3, 0, 1, 4}, {0, 88, 1, 4});
  ExpectBlit(dp, 4, 4, 0, 91, {0, 0, 4, 1}, {158, 179, 4, 1});
}

TEST_F(PlatformTest, MovingTheCameraRightMovesImagesLeft) {
  dp.cameraX = 1;
  ExpectBlit(dp, 5, 4, 10, 20, {0, 0, 5, 4}, {167, 108, 5, 4});
  dp.cameraX = -30;
  dp.cameraY = 40;
  ExpectBlit(dp, 5, 4, 10, 20, {0, 0, 5, 4}, {198, 68, 5, 4});
}

// Without an accelerated renderer (the dummy driver has none unless one is named) the game
// draws in software, the same picture; with no renderer of any kind it stops as it always did,
// with the first reason.
TEST_F(PlatformTest, WithoutAnAcceleratedRendererTheGameDrawsTheSamePictureInSoftware) {
  const auto picture = [this] {
    SDL_RenderClear(dp.renderer);
    dp.Blit(kImageRocket00, 0, 0);
    dp.Blit(kImagePlanetFur, 100, 60);
    dp.ComposeWindow();
    return Frame(dp.renderer).Pixels();
  };
  const std::vector<uint32_t> named = picture();
  Release(dp);
  unsetenv("SDL_RENDER_DRIVER");
  dp = Dp::Init();
  setenv("SDL_RENDER_DRIVER", "software", 1);
  SDL_RendererInfo info{};
  SDL_GetRendererInfo(dp.renderer, &info);
  EXPECT_STREQ(info.name, "software");
  EXPECT_TRUE(picture() == named);

  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        dup2(2, 1);  // the error line goes to standard output, where the game keeps its log
        unsetenv("SDL_RENDER_DRIVER");
        refuseSoftwareRenderer = true;
        Dp::Init();
      },
      ::testing::ExitedWithCode(1),
      "error : Renderer could not be created ! (Couldn't find matching render driver|no "
      "accelerated renderer) \n");
}
