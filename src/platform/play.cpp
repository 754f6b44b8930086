// Camera-relative sound: where a sound's world point lies as seen from the camera sets its
// balance between the speakers and its loudness.
#include <cmath>
#include <cstdint>

#include "platform/audio.h"
#include "platform/dp.h"

namespace {

constexpr float kQuarterTurn = 1.57079632679f;
constexpr float kHalfWidth = kCanvasWidth / 2.0f;
constexpr float kHalfHeight = kCanvasHeight / 2.0f;
constexpr float kWidest = 0.8f;  // the balance at the canvas's edges, of the widest there is
constexpr float kSilentBeyond = 2.0f * kCanvasWidth;  // how far past the edge a sound carries

float Clamp(float x, float low, float high) {
  return x < low ? low : x > high ? high : x;
}

}  // namespace

void Dp::Play(Sound sound, int x, int y) {
  if (audio == nullptr) {
    return;
  }
  // From the canvas centre, in canvas pixels.
  const float dx = float(int64_t(x) - cameraX), dy = float(int64_t(y) - cameraY);
  // Equal power: as loud in all at every balance, the centre at 0.71 a side. Even at the edge
  // the far speaker keeps a little, as a room would give it.
  const float angle = (kWidest * Clamp(dx / kHalfWidth, -1, 1) + 1) * kQuarterTurn / 2;
  const float outX = std::fabs(dx) > kHalfWidth ? std::fabs(dx) - kHalfWidth : 0;
  const float outY = std::fabs(dy) > kHalfHeight ? std::fabs(dy) - kHalfHeight : 0;
  const float near = 1 - Clamp(std::sqrt(outX * outX + outY * outY) / kSilentBeyond, 0, 1);
  const float gain = near * near;  // falls fast just off screen, then trails away
  if (gain > 0) {
    audio->Play(sound, std::cos(angle) * gain, std::sin(angle) * gain);
  }
}
