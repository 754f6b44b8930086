// The output device and the queue the frame loop keeps filled.
#include "platform/audio.h"

#include <cstdio>

#if defined(__linux__) && !defined(__EMSCRIPTEN__)
#include <dlfcn.h>
#endif

namespace {

constexpr int kRate = 48000;
constexpr int kChannels = 2;
constexpr uint32_t kFrameBytes = kChannels * sizeof(int16_t);
// The queue is topped up to this after each present. A frame takes 41 ms and a little more, so
// this covers one late frame before the device runs dry, and a new sound waits behind no more
// than about 25 ms of older ones. SDL's buffer, about 11 ms at 48 kHz, is small, so a sound is
// heard soon after it is queued. A page fills its buffer on the page's own thread, between the
// frames, so there it is twice as large, and the lead longer by as much.
#ifdef __EMSCRIPTEN__
constexpr Uint16 kDeviceFrames = 1024;
constexpr int kLeadMs = 77;
#else
constexpr Uint16 kDeviceFrames = 512;
constexpr int kLeadMs = 66;
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

// The one line the game says about its sound: what went wrong, SDL's reason when it gives one.
void SayNoSound(const char* what, const char* then) {
  const char* reason = SDL_GetError();
  if (*reason != '\0') {
    std::fprintf(stderr, "rocket: %s (%s); %s\n", what, reason, then);
  } else {
    std::fprintf(stderr, "rocket: %s; %s\n", what, then);
  }
}

}  // namespace

Audio::Audio(bool muted)
    : device_(Open(&rate_)),
      mixer_(rate_),
      muted_(muted),
      leadFrames_(uint32_t(rate_) * kLeadMs / 1000),
      chunk_(size_t(leadFrames_) * kChannels) {}

Audio::~Audio() {
  if (device_ != 0) {
    SDL_CloseAudioDevice(device_);
  }
}

SDL_AudioDeviceID Audio::Open(int* rate) {
  *rate = kRate;
  QuietAlsa();
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    SayNoSound("no sound", "playing on without it");
    return 0;
  }
  SDL_AudioSpec want{};
  want.freq = kRate;
  want.format = AUDIO_S16SYS;
  want.channels = kChannels;
  want.samples = kDeviceFrames;
  SDL_AudioSpec have{};
  // The device's own rate is taken as it is (a browser's is its sound card's), so SDL need not
  // resample; the format and the channels SDL converts if it must.
  const SDL_AudioDeviceID device = SDL_OpenAudioDevice(
      nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_SAMPLES_CHANGE);
  if (device == 0) {
    SayNoSound("no sound", "playing on without it");
    return 0;
  }
  *rate = have.freq;
  SDL_PauseAudioDevice(device, 0);
  return device;
}

void Audio::Drop(const char* why) {
  SayNoSound(why, "playing on without sound");
  SDL_CloseAudioDevice(device_);
  device_ = 0;
}

void Audio::Play(Sound sound, float left, float right) {
  if (!muted_) {
    mixer_.Ask(sound, left, right);
  }
}

void Audio::ToggleMute() {
  muted_ = !muted_;
  if (muted_) {
    mixer_.FadeOut();
  }
}

void Audio::Flush() {
  if (device_ == 0 || mixer_.Idle()) {
    return;
  }
  if (SDL_GetAudioDeviceStatus(device_) == SDL_AUDIO_STOPPED) {
    Drop("the sound device was lost");
    return;
  }
  const uint32_t queued = SDL_GetQueuedAudioSize(device_) / kFrameBytes;
  if (queued >= leadFrames_) {
    return;  // the asks stand until the next frame
  }
  const uint32_t frames = leadFrames_ - queued;
  mixer_.Render(chunk_.data(), int(frames));
  if (SDL_QueueAudio(device_, chunk_.data(), frames * kFrameBytes) != 0) {
    Drop("the sound device failed");
  }
}
