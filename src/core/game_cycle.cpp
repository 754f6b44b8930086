#include "core/game_cycle.h"

#include "game/ball.h"
#include "game/captain.h"
#include "game/rocket.h"
#include "game/space.h"
#include "platform/frame_services.h"

GameCos GameCycle() {
  // Static because a Cos only refers to its array. Refilled on every call, so each new list
  // starts from KeyToExit even if an earlier one had switched to Quit.
  static GameCo* slots[5];
  slots[0] = Singleton<RefreshScreen<Db*>>();
  slots[1] = Singleton<PlaySounds<Db*>>();
  slots[2] = Singleton<WaitOne60th<Db*>>();
  slots[3] = Singleton<KeyToExit<Db*>>();
  slots[4] = nullptr;
  return GameCos(slots);
}

void FillTopLevel(GameCo* (&slots)[kTopLevelSlots], GameCos* services) {
  for (GameCo*& slot : slots) {
    slot = nullptr;
  }
  // Frame order: the clear, the backdrop, the eyes under the rocket, the rocket and its
  // movement, the camera, then the ball (drawn from the new camera), then present, wait, input.
  slots[0] = Singleton<Background<0, Db*>>();
  slots[1] = Singleton<Space>();
  slots[2] = Singleton<Captain>();
  slots[3] = Singleton<Rocket>();
  slots[4] = Singleton<RocketMomentum>();
  slots[5] = Singleton<ViewportFollowRocket>();
  slots[6] = Singleton<Ball>();
  slots[7] = services;
}
