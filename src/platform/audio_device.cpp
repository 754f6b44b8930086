// Opening the default output device, at start and again in the background while there is none.
#include "platform/audio_device.h"

#include <cstdio>

#if defined(__linux__) && !defined(__EMSCRIPTEN__)
#include <dlfcn.h>
#endif

namespace {

constexpr int kRate = 48000;
// SDL's buffer, about 11 ms at 48 kHz, is small, so a sound is heard soon after it is queued. A
// page fills its buffer on the page's own thread, between the frames, so there it is twice as
// large.
#ifdef __EMSCRIPTEN__
constexpr Uint16 kDeviceFrames = 1024;
#else
constexpr Uint16 kDeviceFrames = 512;
// A page's device is never lost, so only the desktop searches for one.
constexpr Uint32 kSearchEveryMs = 1000;
#endif

#if defined(__linux__) && !defined(__EMSCRIPTEN__)
void Silent(const char*, int, const char*, int, const char*, ...) {}

// ALSA, which SDL falls back to when no sound server runs, writes a handful of lines of its own
// to standard error when the machine has no sound card; the game says so itself, in one. The
// library stays loaded, as SDL loads it too, so the handler holds for SDL's use of it.
void QuietAlsa() {
  static void* const alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
  using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
  if (alsa != nullptr) {
    if (auto set = reinterpret_cast<int (*)(Handler)>(dlsym(alsa, "snd_lib_error_set_handler"))) {
      set(Silent);
    }
  }
}
#else
void QuietAlsa() {}
#endif

// The one line the game says about a loss: what went wrong, SDL's reason when it gives one.
void SayNoSound(const char* what, const char* then) {
  const char* reason = SDL_GetError();
  if (*reason != '\0') {
    std::fprintf(stderr, "rocket: %s (%s); %s\n", what, reason, then);
  } else {
    std::fprintf(stderr, "rocket: %s; %s\n", what, then);
  }
}

}  // namespace

AudioDevice::AudioDevice() {
  QuietAlsa();
  Take(Open());
  if (id_ == 0) {
    SayNoSound("no sound", "playing on without it");
  }
  searchStarted_ = SDL_GetTicks();
}

void AudioDevice::Close() {
  // A search under way is waited for: it may be starting SDL's audio, which SDL_Quit ends.
  if (search_ != nullptr) {
    SDL_WaitThread(search_, nullptr);
    search_ = nullptr;
    lost_ = 0;
    if (found_.id != 0) {
      SDL_CloseAudioDevice(found_.id);
    }
  }
  if (lost_ != 0) {
    SDL_CloseAudioDevice(lost_);
    lost_ = 0;
  }
  if (id_ != 0) {
    SDL_CloseAudioDevice(id_);
    id_ = 0;
  }
  closed_ = true;
}

AudioDevice::Opened AudioDevice::Open() {
  Opened opened;
  opened.rate = kRate;
  opened.bufferFrames = kDeviceFrames;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    return opened;
  }
  SDL_AudioSpec want{};
  want.freq = kRate;
  want.format = AUDIO_S16SYS;
  want.channels = kChannels;
  want.samples = kDeviceFrames;
  SDL_AudioSpec have{};
  // The device's own rate is taken as it is (a browser's is its sound card's), so SDL need not
  // resample; the format and the channels SDL converts if it must.
  opened.id = SDL_OpenAudioDevice(
      nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_SAMPLES_CHANGE);
  if (opened.id != 0) {
    opened.rate = have.freq;
    opened.bufferFrames = have.samples;
    SDL_PauseAudioDevice(opened.id, 0);
  }
  return opened;
}

void AudioDevice::Take(const Opened& opened) {
  id_ = opened.id;
  rate_ = opened.rate;
  bufferFrames_ = opened.bufferFrames;
}

int AudioDevice::Search(void* self) {
  AudioDevice& device = *static_cast<AudioDevice*>(self);
  // SDL's audio is started anew: its sound server driver connects only when it starts, so a
  // server that is back, or that came after the game, is found no other way. Stopping it closes
  // a lost device too.
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  device.found_ = Open();
  SDL_AtomicSet(&device.searchDone_, 1);
  return 0;
}

void AudioDevice::Drop(const char* why) {
  SayNoSound(why, "playing on without sound");
  // Closing a lost device waits for SDL's thread that fed it, tens of milliseconds with a sound
  // server: the search closes it, off the frame, as it stops SDL's audio.
  lost_ = id_;
  id_ = 0;
  searchStarted_ = SDL_GetTicks();
}

void AudioDevice::Removed([[maybe_unused]] SDL_AudioDeviceID which) {
#ifndef __EMSCRIPTEN__  // a page's audio is not lost so (see Watch)
  // A device the game did not open may be the one behind the default: SDL3 beneath SDL2's name
  // (sdl2-compat) then keeps the game's device playing to nothing until the system names a new
  // default, which a restarted sound server never does, and says so only by this. Where that
  // was not so, looking again costs a moment's silence.
  if (id_ != 0 && (which == id_ || which == 0)) {
    SDL_ClearError();  // whatever SDL last said is not the reason
    Drop("the sound device was lost");
  }
#endif
}

bool AudioDevice::Watch() {
  if (closed_) {
    return false;
  }
  if (id_ != 0) {
    if (SDL_GetAudioDeviceStatus(id_) == SDL_AUDIO_STOPPED) {
      Drop("the sound device was lost");
    }
    return false;
  }
#ifdef __EMSCRIPTEN__
  // A page's audio is the browser's and is not lost as a server's is; starting it anew would
  // need the player's gesture again.
  return false;
#else
  if (search_ != nullptr) {
    if (SDL_AtomicGet(&searchDone_) == 0) {
      return false;
    }
    SDL_WaitThread(search_, nullptr);
    search_ = nullptr;
    lost_ = 0;
    if (found_.id != 0) {
      Take(found_);
      found_ = Opened{};
      std::fprintf(stderr, "rocket: sound is back\n");
      return true;
    }
  }
  if (SDL_GetTicks() - searchStarted_ >= kSearchEveryMs) {
    searchStarted_ = SDL_GetTicks();
    SDL_AtomicSet(&searchDone_, 0);
    search_ = SDL_CreateThread(Search, "rocket sound search", this);
  }
  return false;
#endif
}
