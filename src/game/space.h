// The backdrop: three star layers that scroll slower than the camera, then three planets fixed
// in the world.
#pragma once

#include "core/game_co.h"

class Space final : public GameCo {
 public:
  GameCo* Routine(Dp* dp, Db* db) override;
};
