// The game's entry point: start-up in order, then the frame loop, the program's only loop.
#include <SDL.h>

#include <cstdio>

#include "collision/poke.h"
#include "core/command_line.h"
#include "core/game_cycle.h"

int main(int argc, char* argv[]) {
  // Line by line, so a start-up report is never lost in a buffer when the process ends hard.
  // Microsoft's C runtimes have no line buffering (and reject it with a zero size), so there
  // nothing is buffered at all.
#ifdef _WIN32
  std::setvbuf(stdout, nullptr, _IONBF, 0);
#else
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
#endif
  Options options;
  if (const int status = HandleCommandLine(argc, argv, &options); status >= 0) {
    return status;  // help, the version or a bad argument: nothing is started
  }

  PocSsert<0>();  // before SDL starts: a failed check ends the program with its report

  Dp dp = Dp::Init(options.muted);
  Db db = {};
  GameCos services = GameCycle();
  GameCo* slots[kTopLevelSlots];
  FillTopLevel(slots, &services);
  GameCos game(slots);

  // Each pass is one frame. The top-level list always returns itself; the run ends in Quit.
  for (GameCo* current = &game; current != nullptr;) {
    current = current->Routine(&dp, &db);
  }
  return 0;
}
