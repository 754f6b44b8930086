// A test aid: with ROCKET_FRAME_TRACE set in the environment, the game writes one line on
// standard error at the end of every frame, once the input is read:
//
//   frame 57 keys 10000 mute 0 queued 129024
//
// the frame's number from 1, the key flags the next frame acts on (up, down, left, right,
// spare), whether the sound is off, and the sample frames handed to the sound device so far.
// End-to-end tests wait for frames by it rather than for a time, and tell which sound the
// frames that showed the flame queued. Standard output, the game's log, is never touched.
#pragma once

#include <cstdint>

class FrameTrace {
 public:
  // A trace when the environment asks for one, else null.
  static FrameTrace* FromEnvironment();

  void Note(const uint8_t* keys, bool muted, uint64_t queued);

 private:
  uint64_t frame_ = 0;
};
