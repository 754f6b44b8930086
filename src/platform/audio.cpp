// The queue the frame loop keeps filled, and the fade at the end.
#include "platform/audio.h"

#include <algorithm>

namespace {

constexpr uint32_t kFrameBytes = AudioDevice::kChannels * sizeof(int16_t);
// The queue is topped up to this after each present. A frame takes 41 ms and a little more, so
// this covers one late frame before the device runs dry, and a new sound waits behind no more
// than about 25 ms of older ones. A page's device buffer is twice as large, and its lead longer
// by as much.
#ifdef __EMSCRIPTEN__
constexpr int kLeadMs = 77;
#else
constexpr int kLeadMs = 66;
#endif
// At quit the fade is followed by this much silence, and the device closed once it has been
// handed the fade: what is left unplayed then, in SDL's buffer and a sound server's, is silence.
constexpr int kTailMs = 25;

uint32_t LeadFrames(int rate) {
  return uint32_t(rate) * kLeadMs / 1000;
}

}  // namespace

Audio::Audio(bool muted) : mixer_(device_.Rate()), muted_(muted) {
  FitToDevice();
}

void Audio::FitToDevice() {
  mixer_ = Mixer(device_.Rate());
  leadFrames_ = LeadFrames(device_.Rate());
  chunk_.assign(size_t(leadFrames_) * AudioDevice::kChannels, 0);
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
  if (device_.Watch()) {
    // Back after a loss: what sounded then is long over, and the rate may be another.
    FitToDevice();
    return;
  }
  if (device_.Id() == 0 || mixer_.Idle()) {
    return;
  }
  const uint32_t queued = SDL_GetQueuedAudioSize(device_.Id()) / kFrameBytes;
  if (queued < leadFrames_) {
    Queue(leadFrames_ - queued);
  }  // else the asks stand until the next frame
}

void Audio::Queue(uint32_t frames) {
  mixer_.Render(chunk_.data(), int(frames));
  if (SDL_QueueAudio(device_.Id(), chunk_.data(), frames * kFrameBytes) != 0) {
    device_.Drop("the sound device failed");
    return;
  }
  queuedFrames_ += frames;
}

void Audio::Finish() {
  const SDL_AudioDeviceID id = device_.Id();
  uint32_t tail = 0;  // sample frames of silence at the end of what is queued
  if (id != 0 && !mixer_.Idle()) {
    mixer_.FadeOut();
    tail = uint32_t(device_.Rate() * kTailMs / 1000);
    Queue(std::min(leadFrames_, uint32_t(mixer_.FadeOutFrames()) + tail));
  }
  if (id != 0 && SDL_GetQueuedAudioSize(id) > 0) {
    // The device takes what is queued at its pace, to the silence, then plays its buffer. A
    // device that stops taking it is waited for no longer than that should take.
    const Uint32 start = SDL_GetTicks();
    while (SDL_GetQueuedAudioSize(id) > tail * kFrameBytes &&
           SDL_GetAudioDeviceStatus(id) == SDL_AUDIO_PLAYING &&
           SDL_GetTicks() - start < 2 * kLeadMs) {
      SDL_Delay(1);
    }
    SDL_Delay(Uint32(1 + device_.BufferFrames() * 1000 / device_.Rate()));
  }
  device_.Close();
}
