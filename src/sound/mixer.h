// The frame's sounds rendered into stereo 16-bit samples: one synthesizer over the rows of the
// sound table, a few voices and a limiter. No SDL, no clock and no randomness but a fixed noise
// seed, so the samples are a pure function of what each frame asked for. Used by Audio.
#pragma once

#include <cstdint>

#include "sound/sound_table.h"

class Mixer {
 public:
  explicit Mixer(int rate);

  // Asks for `sound` in this frame, at these gains of the left and right channels (0 to 1). A
  // held sound asked for again carries on, and fades out in the first frame that does not ask
  // for it; a one-shot starts anew, once a frame however often it is asked for.
  void Ask(Sound sound, float left, float right);

  // Renders `frames` sample frames (left and right interleaved) into `out`, the asks of the
  // frame taking effect at the first of them; then forgets the asks. Allocates nothing.
  void Render(int16_t* out, int frames);

  // Every voice fades out over a few milliseconds, as when the sound is turned off.
  void FadeOut();
  // How many sample frames that fade lasts.
  int FadeOutFrames() const;

  // Nothing sounds and nothing is asked for: rendering would give only silence.
  bool Idle() const;

  int Rate() const { return rate_; }

 private:
  struct Voice {
    const SoundShape* shape = nullptr;  // null while the voice is free
    Sound sound = kSoundThruster;
    int64_t age = 0;     // samples rendered since it started
    float rise = 0;      // a held sound's attack, 0 to 1
    float fade = 1;      // falls to 0 once fading, then the voice is free
    float fadeStep = 0;  // how much fade falls each sample; 0 while not fading
    float left = 0, right = 0;
    float phase = 0;              // a sine's, in turns
    float attack = 0, decay = 0;  // the shape's times, in samples at the mixer's rate
    float pole = 0;               // the low-pass's coefficient at the mixer's rate
    float low1 = 0, low2 = 0;     // the low-pass's two poles
    uint32_t noise = 0;           // the noise generator's state
  };
  struct Request {
    bool asked = false;
    float left = 0, right = 0;
  };
  static constexpr int kVoiceCount = 4;
  static_assert(kVoiceCount > kSoundCount, "room for every held sound and a one-shot");

  void Start(Sound sound, const Request& request);
  float Next(Voice& voice);

  int rate_;
  Voice voices_[kVoiceCount];
  Request asks_[kSoundCount];
};
