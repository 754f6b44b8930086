// The platform object headless: start-up state, the image table, keying and camera drawing.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "headless.h"
#include "platform/audio.h"
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
  EXPECT_EQ(GetRect(dp.textures[14]).w, 40);
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
  dp.textures[0] = white;
  SDL_RenderClear(dp.renderer);
  dp.Blit(0, 0, 0);
  dp.Blit(14, 0, 0);  // rocket00
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
  dp.textures[0] = texture;
  SDL_RenderClear(dp.renderer);
  dp.Blit(0, x, y);
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
    dp.Blit(14, 0, 0);
    dp.Blit(12, 100, 60);
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

// A sound is balanced by where its point lies across the canvas, as seen from the camera, and
// fades beyond the canvas's edge, to nothing two canvas widths out.
TEST_F(PlatformTest, PlayBalancesBySideAndFadesWithDistanceFromTheView) {
  dp.cameraX = 1000;
  dp.cameraY = -50;
  const auto knock = [this](int x, int y) {
    dp.Play(kSoundKnock, x, y);
    const Peaks heard = PeaksOf(Listen(dp));
    for (int frame = 0; frame < 3; ++frame) {
      Listen(dp);  // to its end, before the next
    }
    return heard;
  };
  const Peaks centre = knock(1000, -50), left = knock(1000 - 150, -50);
  const Peaks right = knock(1000 + 150, 40), below = knock(1000, -50 + 300);
  EXPECT_EQ(centre.left, centre.right);
  EXPECT_GT(left.left, 3 * left.right);
  EXPECT_GT(right.right, 3 * right.left);
  EXPECT_GT(left.right, 0) << "the far speaker keeps a little";
  EXPECT_NEAR(left.left, right.right, 2) << "the two sides mirror each other";
  EXPECT_EQ(below.left, below.right);
  EXPECT_LT(below.left, centre.left) << "past the bottom edge";
  const Peaks inside = knock(1000, -50 + 85);
  EXPECT_EQ(inside.left, centre.left) << "anywhere on the canvas is as near as its centre";
  dp.audio->GetMixer().Ask(kSoundKnock, 0.70710678f, 0.70710678f);  // full gain, balanced
  EXPECT_NEAR(PeaksOf(Listen(dp)).left, centre.left, 1) << "the centre is heard at full gain";
  for (int frame = 0; frame < 3; ++frame) {
    Listen(dp);
  }
  dp.Play(kSoundKnock, 1000 + 600, -50);  // two in one frame: one knock, as loud as the louder
  EXPECT_EQ(knock(1000, -50).left, centre.left);
  int last = INT_MAX;
  for (int beyond : {0, 40, 160, 320, 600}) {  // leaving the view to the right
    const int heard = knock(1000 + 160 + beyond, -50).Both();
    EXPECT_LT(heard, last) << beyond << " pixels past the edge";
    EXPECT_GT(heard, 0) << beyond << " pixels past the edge";
    last = heard;
  }
  // The two laws the sound's page states. Loudness: (1 - d / 640) squared, d pixels past the
  // canvas's edge. Balance: at the edge and beyond, the far speaker keeps 0.158 of the near
  // one's level (cos 81 / sin 81 degrees); at the centre each has 0.707 of full.
  const double full = centre.left / 0.70710678;
  for (int beyond : {40, 160, 320, 480}) {
    const Peaks heard = knock(1000 + 160 + beyond, -50);
    const double curve = (1 - beyond / 640.0) * (1 - beyond / 640.0);
    EXPECT_NEAR(heard.right / 0.98768834 / full, curve, 0.002) << beyond << " pixels past the edge";
    EXPECT_NEAR(double(heard.left) / heard.right, 0.15838444, 0.002) << beyond << " pixels out";
    const Peaks mirrored = knock(1000 - 160 - beyond, -50);
    EXPECT_NEAR(double(mirrored.right) / mirrored.left, 0.15838444, 0.002) << beyond << " left";
  }
  const Peaks edge = knock(1000 - 160, -50);
  EXPECT_NEAR(double(edge.right) / edge.left, 0.15838444, 0.002) << "the far speaker at the edge";
  EXPECT_NEAR(edge.left / 0.98768834, full, 2) << "the whole canvas is as near as its centre";
  EXPECT_EQ(knock(1000 + 160 + 640, -50).Both(), 0);
  EXPECT_EQ(knock(1000 - 160 - 700, -50 - 90 - 700).Both(), 0);
  EXPECT_EQ(knock(INT32_MIN, INT32_MAX).Both(), 0);
}

// The samples are a pure function of what the frames asked for: the same every time, and the
// same as when this test was written (the synthesizer and its noise seed). A change of any
// sound's row or of the synthesizer changes the sum below; look at the sound, then update it.
TEST(Sound, EverySoundIsTheSameEveryTime) {
  const auto play = [] {
    Mixer mixer(48000);
    std::vector<int16_t> frame(1968 * 2);
    uint64_t hash = 1469598103934665603u;  // FNV-1a over every sample
    for (int f = 0; f < 6; ++f) {
      if (f < 4) {
        mixer.Ask(kSoundThruster, 0.7f, 0.7f);
      }
      if (f == 1) {
        mixer.Ask(kSoundKnock, 0.9f, 0.3f);
      }
      mixer.Render(frame.data(), 1968);
      for (const int16_t sample : frame) {
        hash = (hash ^ uint16_t(sample)) * 1099511628211u;
      }
    }
    return hash;
  };
  EXPECT_EQ(play(), play());
  // One sum for each architecture: AArch64's C library rounds a few sines and exponentials
  // otherwise than x86-64's, which moves 6 of these 23616 samples by one step.
#if defined(__aarch64__)
  EXPECT_EQ(play(), 0xa1324663f3d83936u);
#else
  EXPECT_EQ(play(), 0x5a850f314bd2313au);
#endif
}

// However many sounds play at once, the mix stays below full scale.
TEST_F(PlatformTest, SoundsPlayingAtOnceNeverReachFullScale) {
  int loudest = 0;
  for (int frame = 0; frame < 12; ++frame) {
    dp.Play(kSoundThruster, 0, 0);
    for (int x : {-160, 0, 160}) {
      dp.Play(kSoundKnock, x, 0);
    }
    Mixer& mixer = dp.audio->GetMixer();
    mixer.Ask(kSoundKnock, 1, 1);  // louder than any point can make it
    mixer.Ask(kSoundThruster, 1, 1);
    const std::vector<int16_t> sound = Listen(dp);
    for (const int16_t sample : sound) {
      ASSERT_LT(std::abs(int(sample)), 32767) << "frame " << frame;
      ASSERT_GT(sample, INT16_MIN);
    }
    loudest = std::max(loudest, PeaksOf(sound).Both());
  }
  EXPECT_GT(loudest, 32767 / 3) << "the test played something loud";
}

// Frames with the thruster asked for until the device is back or `ms` pass; how long it took.
Uint32 FramesUntilADevice(Audio& audio, Uint32 ms) {
  const Uint32 start = SDL_GetTicks();
  while (!audio.HasDevice() && SDL_GetTicks() - start < ms) {
    audio.Play(kSoundThruster, 1, 1);
    audio.Flush();
    SDL_Delay(10);
  }
  return SDL_GetTicks() - start;
}

// With no sound device, or one lost during play, the game plays on silently after one line on
// standard error, and takes a device when there is one again, with one more line.
TEST(Sound, WithoutADeviceTheGamePlaysOnSilently) {
  for (const char* driver : {"nonexistent", "disk"}) {
    setenv("SDL_AUDIODRIVER", driver, 1);
    setenv("SDL_DISKAUDIOFILE", "/nonexistent/folder/sound.raw", 1);  // cannot be written
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    {
      Audio audio(false);
      EXPECT_FALSE(audio.HasDevice()) << driver;
      audio.Play(kSoundKnock, 1, 1);
      audio.Flush();
      audio.ToggleMute();
      audio.Flush();
    }
    SDL_Quit();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.rfind("rocket: no sound (", 0), 0u) << driver << ": " << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << driver << ": " << said;
  }
  // None at start, then one that only SDL's audio started anew can find (here another driver;
  // a sound server that starts after the game is found the same way).
  setenv("SDL_AUDIODRIVER", "disk", 1);  // still with a file that cannot be written
  testing::internal::CaptureStderr();
  {
    Audio audio(false);
    ASSERT_FALSE(audio.HasDevice());
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    FramesUntilADevice(audio, 3000);
    EXPECT_TRUE(audio.HasDevice()) << "a device that came after the game is taken";
    EXPECT_TRUE(audio.GetMixer().Idle()) << "what was asked with no device is not played late";
  }
  SDL_Quit();
  std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(said.rfind("rocket: no sound (", 0), 0u) << said;
  EXPECT_NE(said.find("\nrocket: sound is back\n"), std::string::npos) << said;
  // A device lost during play (here SDL's audio stops under the game), even with nothing
  // sounding: one line, then silence; about a second later it is looked for again and found,
  // with one more line, still muted if it was.
  testing::internal::CaptureStderr();
  {
    Audio audio(false);
    ASSERT_TRUE(audio.HasDevice());
    audio.ToggleMute();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    audio.Flush();
    EXPECT_FALSE(audio.HasDevice()) << "a loss at rest is noticed in the next frame";
    EXPECT_GE(FramesUntilADevice(audio, 3000), 900u) << "looked for once a second, not every frame";
    ASSERT_TRUE(audio.HasDevice()) << "the device came back";
    EXPECT_TRUE(audio.Muted());
    audio.Play(kSoundThruster, 1, 1);
    EXPECT_TRUE(audio.GetMixer().Idle()) << "muted across the loss";
  }
  SDL_Quit();
  said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(said.rfind("rocket: the sound device was lost", 0), 0u) << said;
  EXPECT_NE(said.find("\nrocket: sound is back\n"), std::string::npos) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 2) << said;
}
