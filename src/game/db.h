// The game record: every value of the game world that lasts from one frame to the next. The
// frame loop owns the one instance and hands it to every Routine. Units are canvas pixels and
// pixels per frame; y grows downwards. The field names are the keys of its text form.
#pragma once

#include <cstdint>

struct Db {
  int32_t RocketX;  // rocket position
  int32_t RocketY;
  int32_t RocketVx;  // rocket velocity, clamped to [-10, 10] after each move
  int32_t RocketVy;
  int32_t BackgroundX;  // background offset: saved and restored, not used in play
  int32_t BackgroundY;
  int32_t FlipperBallX;  // bouncing ball position
  int32_t FlipperBallY;
  int32_t FlipperBallVx;  // bouncing ball velocity
  int32_t FlipperBallVy;
};
