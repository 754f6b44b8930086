// How a frame is put together: the frame-services list and the top-level list of actors.
#pragma once

#include "core/game_co.h"

// The per-frame services, in order: present, queue the sound, wait 41 ms, read the keyboard.
GameCos GameCycle();

constexpr int kTopLevelSlots = 9;  // eight actors and the terminator

// Fills the top-level slot array in frame order, ending with `services` and a null.
void FillTopLevel(GameCo* (&slots)[kTopLevelSlots], GameCos* services);
