#include "core/game_cycle.h"

#include "platform/frame_services.h"

GameCos GameCycle() {
  // Static because a Cos only refers to its array. Refilled on every call, so each new list
  // starts from KeyToExit even if an earlier one had switched to Quit.
  static GameCo* slots[4];
  slots[0] = Singleton<RefreshScreen<Db*>>();
  slots[1] = Singleton<WaitOne60th<Db*>>();
  slots[2] = Singleton<KeyToExit<Db*>>();
  slots[3] = nullptr;
  return GameCos(slots);
}

void FillTopLevel(GameCo* (&slots)[kTopLevelSlots], GameCos* services) {
  for (GameCo*& slot : slots) {
    slot = nullptr;
  }
  slots[0] = Singleton<Background<0, Db*>>();
  slots[1] = services;
}
