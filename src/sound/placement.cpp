// The placement law: an equal-power balance by the side, and a loudness by the distance past
// the view's edge.
#include "sound/placement.h"

#include <cmath>

namespace {

constexpr float kQuarterTurn = 1.57079632679f;
constexpr float kWidest = 0.8f;  // the balance at the view's edges, of the widest there is
constexpr float kCarry = 2.0f;   // how far past the edge a sound carries, in view widths

float Clamp(float x, float low, float high) {
  return x < low ? low : x > high ? high : x;
}

}  // namespace

Gains PlaceSound(float dx, float dy, float width, float height) {
  const float halfWidth = width / 2, halfHeight = height / 2;
  const float angle = (kWidest * Clamp(dx / halfWidth, -1, 1) + 1) * kQuarterTurn / 2;
  const float outX = std::fabs(dx) > halfWidth ? std::fabs(dx) - halfWidth : 0;
  const float outY = std::fabs(dy) > halfHeight ? std::fabs(dy) - halfHeight : 0;
  const float near = 1 - Clamp(std::sqrt(outX * outX + outY * outY) / (kCarry * width), 0, 1);
  const float gain = near * near;  // falls fast just off screen, then trails away
  return {std::cos(angle) * gain, std::sin(angle) * gain};
}
