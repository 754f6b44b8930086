// The platform's per-frame services: clear, present, pace, read the keyboard, and quit. They are
// templates over the game-record types so they know nothing of the game they serve.
#pragma once

#include <SDL.h>

#include <cstdlib>

#include "core/co.h"
#include "platform/audio.h"
#include "platform/controls.h"
#include "platform/dp.h"
#include "platform/frame_trace.h"

// Clears the frame to the start-up draw colour (black); first in the top-level list so every
// actor draws on a clean canvas.
template <int Layer, typename... Rest>
class Background final : public Co<Dp*, Rest...> {
 public:
  Co<Dp*, Rest...>* Routine(Dp* dp, Rest...) override {
    SDL_RenderClear(dp->renderer);
    return this;
  }
};

// Shows the finished frame: the canvas scaled once into the window, presented, and drawing
// turned back to the canvas for the next frame.
template <typename... Rest>
class RefreshScreen final : public Co<Dp*, Rest...> {
 public:
  Co<Dp*, Rest...>* Routine(Dp* dp, Rest...) override {
    dp->ComposeWindow();
    SDL_RenderPresent(dp->renderer);
    dp->DrawOnCanvas();
    return this;
  }
};

// Hands the frame's sounds to the device right after its picture, so each is heard within the
// frame that shows its cause.
template <typename... Rest>
class PlaySounds final : public Co<Dp*, Rest...> {
 public:
  Co<Dp*, Rest...>* Routine(Dp* dp, Rest...) override {
    dp->audio->Flush();
    return this;
  }
};

// A fixed 41 ms after every frame rather than a measured frame time: the game's speeds are in
// pixels per frame, tuned at this pace (a little under 24 frames a second).
template <typename... Rest>
class WaitOne60th final : public Co<Dp*, Rest...> {
 public:
  Co<Dp*, Rest...>* Routine(Dp*, Rest...) override {
    SDL_Delay(41);
    return this;
  }
};

// Releases the display and ends the process with status 0 when its slot comes, which is one
// full frame after the quit request. The window goes first; the sound then fades out, which
// takes the queue's lead and a little more.
template <typename... Rest>
class Quit final : public Co<Dp*, Rest...> {
 public:
  Co<Dp*, Rest...>* Routine(Dp* dp, Rest...) override {
    delete[] dp->textures;
    SDL_DestroyWindow(dp->window);
    dp->audio->Finish();
    SDL_Quit();
    std::exit(0);
  }
};

// Drains the event queue once a frame, so input lags by at most a frame, then sets the key
// flags from every source: the arrows and the game controllers. M turns the sound off and on. Flags
// are levels: a press and release between two frames is never seen.
template <typename... Rest>
class KeyToExit final : public Co<Dp*, Rest...> {
 public:
  Co<Dp*, Rest...>* Routine(Dp* dp, Rest...) override {
    while (SDL_PollEvent(&dp->event)) {
      const SDL_Event& event = dp->event;
      switch (event.type) {
        case SDL_QUIT:
          return new Quit<Rest...>();  // events behind the request are left unread
        case SDL_KEYDOWN:
        case SDL_KEYUP:
          if (OnKey(dp, event.key)) {
            return new Quit<Rest...>();
          }
          break;
        case SDL_AUDIODEVICEREMOVED:
          if (!event.adevice.iscapture) {
            dp->audio->DeviceRemoved(event.adevice.which);
          }
          break;
        case SDL_CONTROLLERDEVICEADDED:
          dp->controls->PlugIn(event.cdevice.which);
          break;
        case SDL_CONTROLLERDEVICEREMOVED:
          dp->controls->Unplug(event.cdevice.which);
          break;
        case SDL_CONTROLLERBUTTONDOWN:
          if (event.cbutton.button == SDL_CONTROLLER_BUTTON_BACK) {
            return new Quit<Rest...>();  // Back (Select) is the pad's Escape
          }
          break;
        default:
          break;
      }
    }
    dp->controls->Combine(dp->keys);
    if (dp->trace != nullptr) {
      dp->trace->Note(dp->keys, dp->audio->Muted(), dp->audio->QueuedFrames());
    }
    return this;
  }

 private:
  // True on a quit request.
  static bool OnKey(Dp* dp, const SDL_KeyboardEvent& key) {
    const SDL_Keycode code = key.keysym.sym;
    const bool down = key.type == SDL_KEYDOWN;
    if (code == SDLK_ESCAPE || code == SDLK_q) {
      if (down) {
        return true;
      }
      // The key-down may have gone to another window; releasing it must not touch the
      // arrows, so only the spare flag is cleared.
      dp->controls->SetKeyboard(kKeySpare, false);
      return false;
    }
    if (code == SDLK_m) {
      if (down && !key.repeat) {
        dp->audio->ToggleMute();
      }
      return false;
    }
    const bool enter = code == SDLK_RETURN || code == SDLK_KP_ENTER;
    if (down && !key.repeat && (code == SDLK_F11 || (enter && (key.keysym.mod & KMOD_ALT)))) {
      dp->ToggleFullscreen();
      return false;
    }
    const int flag = FlagOf(code);
    if (flag >= 0) {
      dp->controls->SetKeyboard(flag, down);
    }
    return false;
  }

  static int FlagOf(SDL_Keycode key) {
    switch (key) {
      case SDLK_UP:
        return kKeyUp;
      case SDLK_DOWN:
        return kKeyDown;
      case SDLK_LEFT:
        return kKeyLeft;
      case SDLK_RIGHT:
        return kKeyRight;
      default:
        return -1;
    }
  }
};
