// The backdrop and the companions: star layers and planets, the captain's eyes, the ball.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "game/ball.h"
#include "game/captain.h"
#include "game/space.h"
#include "headless.h"

namespace {

// A 1x1 texture of one colour, or see-through.
SDL_Texture* Dot(SDL_Renderer* renderer, uint32_t rgb, bool visible = true) {
  SDL_Texture* texture =
      SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, 1, 1);
  const uint32_t texel = (visible ? 0xFF000000 : 0) | rgb;
  SDL_UpdateTexture(texture, nullptr, &texel, 4);
  SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
  return texture;
}

using SceneryTest = GameTest;

// Where on the canvas `image` lands when Space draws alone with the camera at (cx, cy): every
// image of Space is hidden but that one, a single white pixel.
std::pair<int, int> WhereSpaceDraws(Dp& dp, Db& db, int image, int cx, int cy) {
  for (int other : {kImagePlanetCotton, kImagePlanetFur, kImagePlanetRobot, kImageStarsDragonFly,
                    kImageStarsOwl, kImageStarsSquid}) {
    dp.textures[other] = Dot(dp.renderer, 0xFFFFFF, other == image);
  }
  dp.cameraX = cx;
  dp.cameraY = cy;
  SDL_RenderClear(dp.renderer);
  Singleton<Space>()->Routine(&dp, &db);
  const Frame frame(dp.renderer);
  for (int y = 0; y < kCanvasHeight; ++y) {
    for (int x = 0; x < kCanvasWidth; ++x) {
      if (frame.At(x, y) == 0xFFFFFF) {
        return {x, y};
      }
    }
  }
  return {-1, -1};
}

}  // namespace

TEST_F(SceneryTest, TheFirstFrameDrawsOnlyTheBackdropWithTheStarsUnderThePlanets) {
  CallLog log(dp);
  RunFrame();  // the start states set the record up and draw nothing
  const std::string backdrop =
      "copy:starsDragonFly copy:starsOwl copy:starsSquid copy:planetFur copy:planetCotton "
      "copy:planetRobot";
  EXPECT_EQ(log.Take(), backdrop);
  RunFrame();  // then the eyes, the rocket over them, and the ball
  EXPECT_EQ(log.Take(), backdrop + " copy:eyesR copy:rocket00 copy:eyesR");
}

TEST_F(SceneryTest, StarLayersFollowTheCameraAtTruncatedFractions) {
  using P = std::pair<int, int>;
  for (int layer : {kImageStarsDragonFly, kImageStarsOwl, kImageStarsSquid}) {
    EXPECT_EQ(WhereSpaceDraws(dp, db, layer, 0, 0), P(160, 90)) << layer;
  }
  // Camera at (-5, -5): layers at world (-1, -1), (-1, -1), (-2, -2), truncated toward zero.
  EXPECT_EQ(WhereSpaceDraws(dp, db, kImageStarsDragonFly, -5, -5), P(164, 94));
  EXPECT_EQ(WhereSpaceDraws(dp, db, kImageStarsOwl, -5, -5), P(164, 94));
  EXPECT_EQ(WhereSpaceDraws(dp, db, kImageStarsSquid, -5, -5), P(163, 93));
  EXPECT_EQ(WhereSpaceDraws(dp, db, kImageStarsDragonFly, 40, -40), P(160 + 10 - 40, 90 - 10 + 40));
}

TEST_F(SceneryTest, PlanetsStandStillInTheWorld) {
  using P = std::pair<int, int>;
  EXPECT_EQ(WhereSpaceDraws(dp, db, kImagePlanetFur, 100, 100), P(160, 90));
  EXPECT_EQ(WhereSpaceDraws(dp, db, kImagePlanetCotton, -100, -100), P(160, 90));
  EXPECT_EQ(WhereSpaceDraws(dp, db, kImagePlanetRobot, 100, -100), P(160, 90));
  EXPECT_EQ(WhereSpaceDraws(dp, db, kImagePlanetFur, 50, 50), P(210, 140));
  EXPECT_EQ(WhereSpaceDraws(dp, db, kImagePlanetRobot, 0, 0), P(-1, -1))
      << "at canvas (260, -10): not drawn";
}

TEST_F(SceneryTest, EyesLookToTheLastTurningKey) {
  RunFrame();
  EXPECT_EQ(CaptainState(), CaptainLookRight::Singleton());
  dp.keys[kKeyLeft] = 1;
  RunFrame();
  EXPECT_EQ(CaptainState(), CaptainLookLeft::Singleton());
  dp.keys[kKeyLeft] = 0;
  RunFrames(3);
  EXPECT_EQ(CaptainState(), CaptainLookLeft::Singleton()) << "stays after release";
  dp.keys[kKeyLeft] = 1;
  dp.keys[kKeyRight] = 1;
  for (int i = 0; i < 6; ++i) {
    GameCo* before = CaptainState();
    RunFrame();
    EXPECT_NE(CaptainState(), before) << "both keys held: the eyes switch every frame";
  }
}

TEST_F(SceneryTest, TheEyesShowThroughThePorthole) {
  RunFrames(20);  // the ball starts at the centre too: let it move off
  const Frame right(dp.renderer);
  dp.keys[kKeyLeft] = 1;
  RunFrames(2);
  const Frame left(dp.renderer);
  // The left eye's inner column holds its pupil when looking right, white when looking left.
  EXPECT_EQ(right.At(159, 90), 0x101018u);
  EXPECT_EQ(left.At(159, 90), 0xFAFAFAu);
  EXPECT_EQ(left.At(158, 90), 0x101018u);
  EXPECT_EQ(right.At(158, 89), 0xFAFAFAu);
}

// It knocks at each turn and is silent between: a knock lasts three frames, louder on the side
// the ball is on. At rest there is nothing else to hear.
TEST_F(SceneryTest, TheBallBouncesInsideTheCanvasRectangle) {
  std::vector<int> xs, ys;
  std::vector<Peaks> sounds;
  RunFrame();
  Listen(dp);
  for (int i = 0; i < 300; ++i) {
    RunFrame();
    xs.push_back(db.FlipperBallX);
    ys.push_back(db.FlipperBallY);
    sounds.push_back(PeaksOf(Listen(dp)));
    ASSERT_LE(std::abs(db.FlipperBallX), 160);
    ASSERT_LE(std::abs(db.FlipperBallY), 90);
  }
  int knocks = 0;
  for (int i = 0, sinceTurn = 99; i < 300; ++i, ++sinceTurn) {
    const bool turned = i > 0 && (xs[i] - xs[i - 1] != (i > 1 ? xs[i - 1] - xs[i - 2] : 2) ||
                                  ys[i] - ys[i - 1] != (i > 1 ? ys[i - 1] - ys[i - 2] : 1));
    if (turned) {
      sinceTurn = 0;
      ++knocks;
      EXPECT_GT(sounds[i].Both(), 2000) << "frame " << i << ": no knock";
      EXPECT_EQ(sounds[i].right > sounds[i].left, xs[i] > 0)
          << "frame " << i << ": louder on the wrong side of " << xs[i];
    }
    EXPECT_EQ(sounds[i].Both() > 0, sinceTurn < 3) << "frame " << i;
  }
  EXPECT_EQ(knocks, 5);
  EXPECT_EQ(std::vector<int>(xs.begin(), xs.begin() + 3), (std::vector<int>{2, 4, 6}));
  EXPECT_EQ(std::vector<int>(ys.begin(), ys.begin() + 3), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(xs[79], 160);
  EXPECT_EQ(xs[80], 158);
  EXPECT_EQ(ys[89], 90);
  EXPECT_EQ(ys[90], 88);
  EXPECT_EQ(ys[179], -90);
  EXPECT_EQ(ys[180], -88);
  EXPECT_EQ(xs[79 + 160], -160);
  EXPECT_EQ(xs[79 + 161], -158);
}

TEST_F(SceneryTest, TheBallIsDrawnFromTheCameraAfterItMoved) {
  dp.keys[kKeyUp] = 1;
  RunFrames(6);  // the rocket is flying, so the camera moves every frame
  const int oldCameraY = dp.cameraY;
  RunFrame();
  ASSERT_NE(dp.cameraY, oldCameraY);
  const Frame frame(dp.renderer);
  // The glint of the ball's eyes, at its top-left: (-2, -2) from its centre.
  const int x = db.FlipperBallX - dp.cameraX + 160 - 2;
  const int y = db.FlipperBallY - dp.cameraY + 90 - 2;
  EXPECT_EQ(frame.At(x, y), 0x78AAFFu) << "ball glint at " << x << "," << y;
}
