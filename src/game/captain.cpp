#include "game/captain.h"

namespace {

constexpr int kEyesLeft = 7;
constexpr int kEyesRight = 8;

}  // namespace

GameCo* Captain::Routine(Dp*, Db*) {
  return CaptainLookRight::Singleton();
}

CaptainLookRight* CaptainLookRight::Singleton() {
  static CaptainLookRight instance;
  return &instance;
}

GameCo* CaptainLookRight::Routine(Dp* dp, Db*) {
  dp->Blit(kEyesRight, dp->cameraX, dp->cameraY);
  if (dp->keys[kKeyLeft]) {
    return CaptainLookLeft::Singleton();
  }
  return this;
}

CaptainLookLeft* CaptainLookLeft::Singleton() {
  static CaptainLookLeft instance;
  return &instance;
}

GameCo* CaptainLookLeft::Routine(Dp* dp, Db*) {
  dp->Blit(kEyesLeft, dp->cameraX, dp->cameraY);
  if (dp->keys[kKeyRight]) {
    return CaptainLookRight::Singleton();
  }
  return this;
}
