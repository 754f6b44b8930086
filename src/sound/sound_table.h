// The game's sounds, each one row of parameters that the mixer's one synthesizer renders: no
// sound files. Actors name a row through Dp::Play, the way they name an image through Blit.
#pragma once

enum Sound { kSoundThruster, kSoundKnock, kSoundCount };

enum class Wave { kSine, kNoise };

struct SoundShape {
  const char* name;
  Wave wave;
  float attackMs;   // rise from silence to full level
  float decayMs;    // a one-shot's whole length, falling from full level to silence; 0 for a
                    // held sound, which lasts as long as it is asked for every frame
  float releaseMs;  // a held sound's fall to silence once it is no longer asked for
  float pitchHz;    // a sine's pitch at the start...
  float slideHz;    // ...and at the end of its decay
  float cutoffHz;   // the two-pole low-pass that every wave goes through
  float drive;      // gain before the level: low-passed noise is far quieter than its source
  float level;      // the peak of one channel at full gain, as a fraction of full scale
};

// The levels of a held sound and two one-shots add up to less than full scale, so sounds that
// play at once never clip; the mixer's limiter is only there for the case nobody tuned.
// clang-format off
constexpr SoundShape kSounds[kSoundCount] = {
    // name      wave          attack  decay   release  pitch   slide  cutoff  drive  level
    {"thruster", Wave::kNoise,   8.0f,   0.0f,  14.0f,    0.0f,  0.0f, 170.0f,  4.0f, 0.30f},
    {"knock",    Wave::kSine,    1.5f, 120.0f,   0.0f,  210.0f, 80.0f, 900.0f,  1.0f, 0.32f},
};
// clang-format on
static_assert(sizeof kSounds / sizeof kSounds[0] == kSoundCount, "one row per sound");
