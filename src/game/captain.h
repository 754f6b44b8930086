// The captain's eyes at the centre of the view, under the rocket's porthole. They look to the
// side of the last turning key and stay there when it is released.
#pragma once

#include "core/game_co.h"

// Start state, first frame only.
class Captain final : public GameCo {
 public:
  GameCo* Routine(Dp* dp, Db* db) override;
};

// Looking right or left: draws those eyes at the camera point and turns them when the other
// side's key is held. Reached through its own Singleton(), one instance per side.
template <bool Right>
class CaptainLook final : public GameCo {
 public:
  static CaptainLook* Singleton() {
    static CaptainLook instance;
    return &instance;
  }

  GameCo* Routine(Dp* dp, Db*) override {
    dp->Blit(Right ? kImageEyesR : kImageEyesL, dp->cameraX, dp->cameraY);
    if (dp->keys[Right ? kKeyLeft : kKeyRight]) {
      return CaptainLook<!Right>::Singleton();
    }
    return this;
  }
};

using CaptainLookRight = CaptainLook<true>;
using CaptainLookLeft = CaptainLook<false>;
