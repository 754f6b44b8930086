#include "game/rocket.h"

#include <algorithm>

namespace {

constexpr int32_t kTopSpeed = 10;  // pixels per frame on each axis

}  // namespace

GameCo* Rocket::Routine(Dp*, Db* db) {
  db->RocketX = 0;
  db->RocketY = 0;
  db->RocketVx = 0;
  db->RocketVy = 0;
  return Singleton<Rocket00>();
}

GameCo* RocketMomentum::Routine(Dp*, Db* db) {
  db->RocketX += db->RocketVx;
  db->RocketY += db->RocketVy;
  db->RocketVx = std::clamp(db->RocketVx, -kTopSpeed, kTopSpeed);
  db->RocketVy = std::clamp(db->RocketVy, -kTopSpeed, kTopSpeed);
  return this;
}

GameCo* ViewportFollowRocket::Routine(Dp* dp, Db* db) {
  dp->cameraX = db->RocketX;
  dp->cameraY = db->RocketY;
  return this;
}
