// A ball bouncing inside the canvas-sized rectangle round the world origin. It is drawn after the
// camera has moved, and never follows the rocket: fly away and it leaves the view.
#pragma once

#include "core/game_co.h"

// Start state, first frame only: the ball at the origin, moving right and slowly down.
class Ball final : public GameCo {
 public:
  GameCo* Routine(Dp* dp, Db* db) override;
};

class BallMove final : public GameCo {
 public:
  GameCo* Routine(Dp* dp, Db* db) override;
};
