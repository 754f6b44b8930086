// Preloaded into the game by tools/figures.py to measure it with a gamepad plugged in: when the
// game starts SDL's game controllers, a virtual pad is attached, which the game then opens and
// reads every frame as it would a real one.
#include <SDL.h>
#include <dlfcn.h>

extern "C" int SDL_InitSubSystem(Uint32 flags) {
  using Init = int (*)(Uint32);
  static const Init init = reinterpret_cast<Init>(dlsym(RTLD_NEXT, "SDL_InitSubSystem"));
  const int result = init(flags);
  if (result == 0 && (flags & SDL_INIT_GAMECONTROLLER) != 0) {
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.name = "figures pad";
    SDL_JoystickAttachVirtualEx(&desc);
  }
  return result;
}
