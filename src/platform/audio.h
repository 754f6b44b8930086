// The game's sound on SDL's audio: the output device, the mixer that fills it, and mute. Made
// by Dp::Init; the actors reach it through Dp::Play and the frame loop through PlaySounds.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

#include "platform/audio_device.h"
#include "sound/mixer.h"

class Audio {
 public:
  explicit Audio(bool muted);
  Audio(const Audio&) = delete;
  Audio& operator=(const Audio&) = delete;

  // A sound of this frame at these channel gains; nothing while the sound is off.
  void Play(Sound sound, float left, float right);

  // Sound off (what plays fades out at once) or back on. The player's M.
  void ToggleMute();
  bool Muted() const { return muted_; }

  // Once a frame, right after the present: tops SDL's queue up to a small lead with what the
  // frame asked for, so that its sounds start within the frame that shows their cause. Nothing
  // is shared with SDL's audio thread but the queue, which SDL copies into. Queues nothing
  // while nothing sounds. A device lost is let go of, with one line, and looked for again.
  void Flush();

  // At quit: what plays fades out after what is queued, and the device plays it all before it
  // is closed, so the game ends without a click. Then nothing more sounds.
  void Finish();

  // SDL's word that an output device went away (see AudioDevice::Removed).
  void DeviceRemoved(SDL_AudioDeviceID which) { device_.Removed(which); }

  // The mixer the frames ask, for tests that render a frame's samples without a device.
  Mixer& GetMixer() { return mixer_; }
  bool HasDevice() const { return device_.Id() != 0; }
  SDL_AudioDeviceID DeviceId() const { return device_.Id(); }
  // Sample frames handed to devices since the start, for the frame trace.
  uint64_t QueuedFrames() const { return queuedFrames_; }

 private:
  // The mixer, the lead and the chunk made anew at the device's rate.
  void FitToDevice();
  void Queue(uint32_t frames);

  AudioDevice device_;
  Mixer mixer_;  // at the device's rate, made anew with each device
  bool muted_;
  uint32_t leadFrames_ = 0;
  std::vector<int16_t> chunk_;  // room for a whole lead, made with each device
  uint64_t queuedFrames_ = 0;
};
