#include "game/ball.h"

namespace {

constexpr Image kBallImage = kImageEyesR;  // the ball wears the captain's right-looking eyes
constexpr int32_t kSpeed = 2;
// The bounce is tested before the move, so the ball reaches 160 and 90 before it turns.
constexpr int32_t kTurnX = 159;
constexpr int32_t kTurnY = 89;

}  // namespace

GameCo* Ball::Routine(Dp*, Db* db) {
  db->FlipperBallX = 0;
  db->FlipperBallY = 0;
  db->FlipperBallVx = kSpeed;
  db->FlipperBallVy = 1;  // slow until the first vertical bounce
  return Singleton<BallMove>();
}

GameCo* BallMove::Routine(Dp* dp, Db* db) {
  // A knock at each turn; a corner is one turn on both axes, and one knock.
  bool turned = false;
  if (db->FlipperBallX > kTurnX) {
    db->FlipperBallVx = -kSpeed;
    turned = true;
  }
  if (db->FlipperBallX < -kTurnX) {
    db->FlipperBallVx = kSpeed;
    turned = true;
  }
  if (db->FlipperBallY > kTurnY) {
    db->FlipperBallVy = -kSpeed;
    turned = true;
  }
  if (db->FlipperBallY < -kTurnY) {
    db->FlipperBallVy = kSpeed;
    turned = true;
  }
  db->FlipperBallX += db->FlipperBallVx;
  db->FlipperBallY += db->FlipperBallVy;
  dp->Blit(kBallImage, db->FlipperBallX, db->FlipperBallY);
  if (turned) {
    dp->Play(kSoundKnock, db->FlipperBallX, db->FlipperBallY);
  }
  return Singleton<BallMove>();
}
