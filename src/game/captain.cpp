#include "game/captain.h"

GameCo* Captain::Routine(Dp*, Db*) {
  return CaptainLookRight::Singleton();
}
