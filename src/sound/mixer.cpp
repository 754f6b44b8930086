// The synthesizer and the mix.
#include "sound/mixer.h"

#include <cmath>

namespace {

constexpr float kTwoPi = 6.28318530718f;
constexpr uint32_t kNoiseSeed = 0x9E3779B9u;  // every rumble is the same rumble
constexpr float kFadeOutMs = 5.0f;            // quick, but long enough not to click
// The limiter leaves everything below the knee alone and bends the rest smoothly toward the
// ceiling, so a sum of sounds never reaches full scale.
constexpr float kKnee = 0.8f;
constexpr float kCeiling = 0.97f;

float Samples(float ms, int rate) {
  return ms * float(rate) / 1000.0f;
}

float Limit(float x) {
  const float size = std::fabs(x);
  if (size <= kKnee) {
    return x;
  }
  const float bent = kKnee + (kCeiling - kKnee) * std::tanh((size - kKnee) / (kCeiling - kKnee));
  return x < 0 ? -bent : bent;
}

int16_t ToSample(float x) {
  return int16_t(std::lround(Limit(x) * 32767.0f));
}

}  // namespace

Mixer::Mixer(int rate) : rate_(rate) {}

void Mixer::Ask(Sound sound, float left, float right) {
  Request& ask = asks_[sound];
  // Two asks in one frame make one sound, as loud as the louder.
  if (!ask.asked || left + right > ask.left + ask.right) {
    ask = Request{true, left, right};
  }
}

bool Mixer::Idle() const {
  for (const Voice& voice : voices_) {
    if (voice.shape != nullptr) {
      return false;
    }
  }
  for (const Request& ask : asks_) {
    if (ask.asked) {
      return false;
    }
  }
  return true;
}

void Mixer::FadeOut() {
  for (Voice& voice : voices_) {
    if (voice.shape != nullptr && voice.fadeStep == 0) {
      voice.fadeStep = 1.0f / Samples(kFadeOutMs, rate_);
    }
  }
  for (Request& ask : asks_) {
    ask.asked = false;
  }
}

int Mixer::FadeOutFrames() const {
  return int(std::ceil(Samples(kFadeOutMs, rate_)));
}

void Mixer::Start(Sound sound, const Request& request) {
  // A free voice, or else the one-shot with the least left to give; a held sound is never cut
  // short, and there are more voices than held sounds.
  Voice* slot = nullptr;
  for (Voice& voice : voices_) {
    if (voice.shape == nullptr) {
      slot = &voice;
      break;
    }
    if (voice.shape->decayMs > 0 && (slot == nullptr || voice.fade < slot->fade ||
                                     (voice.fade == slot->fade && voice.age > slot->age))) {
      slot = &voice;
    }
  }
  *slot = Voice{};
  slot->shape = &kSounds[sound];
  slot->sound = sound;
  slot->left = request.left;
  slot->right = request.right;
  slot->noise = kNoiseSeed;
  slot->attack = Samples(slot->shape->attackMs, rate_);
  slot->decay = Samples(slot->shape->decayMs, rate_);
  slot->pole = 1.0f - std::exp(-kTwoPi * slot->shape->cutoffHz / float(rate_));
}

void Mixer::Render(int16_t* out, int frames) {
  for (int s = 0; s < kSoundCount; ++s) {
    const Sound sound = Sound(s);
    const Request& ask = asks_[s];
    if (kSounds[s].decayMs > 0) {
      if (ask.asked) {
        Start(sound, ask);
      }
      continue;
    }
    Voice* held = nullptr;
    for (Voice& voice : voices_) {
      if (voice.shape != nullptr && voice.sound == sound) {
        held = &voice;
      }
    }
    if (!ask.asked) {
      if (held != nullptr && held->fadeStep == 0) {
        held->fadeStep = 1.0f / Samples(kSounds[s].releaseMs, rate_);
      }
    } else if (held == nullptr) {
      Start(sound, ask);
    } else {
      // Asked for again while it fades: it rises from where it was, without a step.
      held->rise *= held->fade;
      held->fade = 1;
      held->fadeStep = 0;
      held->left = ask.left;
      held->right = ask.right;
    }
  }
  for (Request& ask : asks_) {
    ask.asked = false;
  }

  for (int i = 0; i < frames; ++i) {
    float left = 0, right = 0;
    for (Voice& voice : voices_) {
      if (voice.shape != nullptr) {
        const float x = Next(voice);
        left += x * voice.left;
        right += x * voice.right;
      }
    }
    out[2 * i] = ToSample(left);
    out[2 * i + 1] = ToSample(right);
  }
}

float Mixer::Next(Voice& voice) {
  const SoundShape& shape = *voice.shape;
  const float attack = voice.attack, decay = voice.decay;
  const float age = float(voice.age++);

  float x = 0;
  if (shape.wave == Wave::kNoise) {
    voice.noise ^= voice.noise << 13;  // xorshift32
    voice.noise ^= voice.noise >> 17;
    voice.noise ^= voice.noise << 5;
    x = float(int32_t(voice.noise)) / 2147483648.0f;
  } else {
    // The pitch slides from its start to its end, fast at first, over the decay.
    const float done = decay > 0 && age < decay ? age / decay : 1.0f;
    const float hz = shape.slideHz + (shape.pitchHz - shape.slideHz) * (1 - done) * (1 - done);
    x = std::sin(kTwoPi * voice.phase);
    voice.phase += hz / float(rate_);
    voice.phase -= std::floor(voice.phase);
  }
  const float pole = voice.pole;
  voice.low1 += pole * (x - voice.low1);
  voice.low2 += pole * (voice.low1 - voice.low2);

  float envelope = 1;
  if (decay > 0) {
    if (age < attack) {
      envelope = age / attack;
    } else {
      const float left = 1 - (age - attack) / decay;  // falls to silence, smoothly, at the end
      envelope = left > 0 ? left * left * left * left : 0;
      if (left <= 0) {
        voice.shape = nullptr;
      }
    }
  } else {
    voice.rise = voice.rise + 1 / attack < 1 ? voice.rise + 1 / attack : 1;
    envelope = voice.rise;
  }
  envelope *= voice.fade;
  if (voice.fadeStep > 0) {
    voice.fade -= voice.fadeStep;
    if (voice.fade <= 0) {
      voice.shape = nullptr;
    }
  }
  const float level = voice.low2 * shape.drive;
  return (level < -1 ? -1 : level > 1 ? 1 : level) * envelope * shape.level;
}
