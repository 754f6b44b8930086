// The captain's eyes at the centre of the view, under the rocket's porthole. They look to the
// side of the last turning key and stay there when it is released.
#pragma once

#include "core/game_co.h"

// Start state, first frame only.
class Captain final : public GameCo {
 public:
  GameCo* Routine(Dp* dp, Db* db) override;
};

class CaptainLookRight final : public GameCo {
 public:
  static CaptainLookRight* Singleton();
  GameCo* Routine(Dp* dp, Db* db) override;
};

class CaptainLookLeft final : public GameCo {
 public:
  static CaptainLookLeft* Singleton();
  GameCo* Routine(Dp* dp, Db* db) override;
};
