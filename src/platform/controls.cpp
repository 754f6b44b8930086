// The flags as keyboard and game controllers hold them together.
#include "platform/controls.h"

#include <algorithm>

namespace {

// The left stick turns past a quarter of its travel and lets go again below a fifth, so a
// thumb resting near the edge of the dead zone does not flicker between turning and not.
constexpr int kStickPress = 32767 / 4;
constexpr int kStickRelease = 32767 / 5;
// The right trigger thrusts past half its travel.
constexpr int kTriggerPress = 32767 / 2;

bool Button(SDL_GameController* pad, SDL_GameControllerButton button) {
  return SDL_GameControllerGetButton(pad, button) != 0;
}

}  // namespace

Controls::~Controls() {
  for (const Pad& pad : pads_) {
    SDL_GameControllerClose(pad.controller);
  }
}

void Controls::PlugIn(int deviceIndex) {
  SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
  if (controller == nullptr) {
    return;  // a device SDL cannot read as a game controller is simply not used
  }
  const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
  for (const Pad& pad : pads_) {
    if (pad.id == id) {
      SDL_GameControllerClose(controller);  // already open: SDL counts the opens
      return;
    }
  }
  pads_.push_back(Pad{controller, id, 0});
}

void Controls::Unplug(SDL_JoystickID id) {
  const auto gone =
      std::find_if(pads_.begin(), pads_.end(), [id](const Pad& pad) { return pad.id == id; });
  if (gone != pads_.end()) {
    SDL_GameControllerClose(gone->controller);
    pads_.erase(gone);  // with it goes everything it held
  }
}

void Controls::Combine(uint8_t* keys) {
  std::copy(keyboard_, keyboard_ + kKeyCount, keys);
  for (Pad& pad : pads_) {
    SDL_GameController* c = pad.controller;
    const int x = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTX);
    if (x <= -kStickPress) {
      pad.stick = -1;
    } else if (x >= kStickPress) {
      pad.stick = 1;
    } else if (pad.stick < 0 ? x > -kStickRelease : x < kStickRelease) {
      pad.stick = 0;
    }
    keys[kKeyLeft] |= Button(c, SDL_CONTROLLER_BUTTON_DPAD_LEFT) || pad.stick < 0;
    keys[kKeyRight] |= Button(c, SDL_CONTROLLER_BUTTON_DPAD_RIGHT) || pad.stick > 0;
    keys[kKeyUp] |= Button(c, SDL_CONTROLLER_BUTTON_A) ||
                    Button(c, SDL_CONTROLLER_BUTTON_DPAD_UP) ||
                    SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_TRIGGERRIGHT) > kTriggerPress;
    keys[kKeyDown] |= Button(c, SDL_CONTROLLER_BUTTON_DPAD_DOWN);
  }
}
