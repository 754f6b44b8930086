#include "game/ball.h"

namespace {

constexpr int kBallImage = 8;  // the ball wears the captain's right-looking eyes
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
  if (db->FlipperBallX > kTurnX) {
    db->FlipperBallVx = -kSpeed;
  }
  if (db->FlipperBallX < -kTurnX) {
    db->FlipperBallVx = kSpeed;
  }
  if (db->FlipperBallY > kTurnY) {
    db->FlipperBallVy = -kSpeed;
  }
  if (db->FlipperBallY < -kTurnY) {
    db->FlipperBallVy = kSpeed;
  }
  db->FlipperBallX += db->FlipperBallVx;
  db->FlipperBallY += db->FlipperBallVy;
  dp->Blit(kBallImage, db->FlipperBallX, db->FlipperBallY);
  return Singleton<BallMove>();
}
