// Every source of the player's input besides the quit requests: the keyboard's arrows and the
// game controllers. KeyToExit feeds it the events of a frame, then asks it for the key flags,
// which hold while any source holds them.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

#include "platform/dp.h"

class Controls {
 public:
  Controls() = default;
  ~Controls();
  Controls(const Controls&) = delete;
  Controls& operator=(const Controls&) = delete;

  // An arrow's key-down or key-up, as the event said: the keyboard's own level for that flag.
  void SetKeyboard(int flag, bool held) { keyboard_[flag] = held ? 1 : 0; }

  // A game controller plugged in (SDL's device index) or taken away (its instance id). Pads
  // that are already open when SDL starts arrive as plug-ins too.
  void PlugIn(int deviceIndex);
  void Unplug(SDL_JoystickID id);

  // Writes the flags as every source holds them now: the keyboard's levels, or'd with what each
  // open pad's buttons, stick and trigger hold at this moment. Called once a frame, after the
  // events are drained; allocates nothing.
  void Combine(uint8_t* keys);

 private:
  struct Pad {
    SDL_GameController* controller;
    SDL_JoystickID id;
    int8_t stick;  // -1 left, +1 right, 0 centred: held through the hysteresis band
  };
  uint8_t keyboard_[kKeyCount] = {};
  std::vector<Pad> pads_;
};
