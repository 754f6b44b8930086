// A small astronaut, facing right: a body in five poses, a helmet looking either way and two
// pairs of eyes for inside the visor. The game loads them; nothing draws them yet.
#include <cmath>

#include "art/painters.h"

namespace {

constexpr int kBodyWidth = 16;
constexpr int kBodyHeight = 22;
constexpr int kHelmetSize = 16;

// Inclusive on both corners, like the pixel grids the poses were sketched on.
void FillRect(Canvas& canvas, int x0, int y0, int x1, int y1, Ink ink) {
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      canvas.Set(x, y, ink);
    }
  }
}

// A leg from the hip down, `stride` pixels forward at the foot, `lift` pixels shorter.
void Leg(Canvas& canvas, int hipX, int stride, int lift, Ink suit) {
  const int footY = kBodyHeight - 3 - lift;
  for (int y = 12; y < footY; ++y) {
    const int x = hipX + stride * (y - 12) / (footY - 12);
    FillRect(canvas, x, y, x + 2, y, suit);
  }
  FillRect(canvas, hipX + stride, footY, hipX + stride + 3, footY + 1, kBoot);
}

}  // namespace

Canvas PaintBody(Pose pose) {
  Canvas canvas(kBodyWidth, kBodyHeight);
  // Legs first: the far leg is a shade darker.
  struct Stride {
    int back, front, lift;
  };
  // clang-format off
  const Stride stride = pose == Pose::kWalkingA ? Stride{-2, +2, 0}
                      : pose == Pose::kWalkingB ? Stride{ 0,  0, 0}
                      : pose == Pose::kWalkingC ? Stride{+2, -2, 0}
                      : pose == Pose::kMidAir   ? Stride{-1, +1, 3}
                      :                           Stride{ 0,  0, 0};
  // clang-format on
  Leg(canvas, 5, stride.back, stride.lift, kSuit2);
  Leg(canvas, 8, stride.front, pose == Pose::kWalkingB ? 1 : stride.lift, kSuit1);
  FillRect(canvas, 2, 3, 4, 10, kSuit2);    // backpack
  FillRect(canvas, 5, 2, 10, 11, kSuit0);   // torso
  FillRect(canvas, 10, 2, 10, 11, kSuit1);  // its shaded side
  FillRect(canvas, 5, 10, 10, 10, kSuitTrim);
  FillRect(canvas, 7, 5, 8, 6, kSteel0);  // chest controls
  canvas.Set(8, 5, kVisorGlow);
  if (pose == Pose::kMidAir) {
    FillRect(canvas, 10, 0, 12, 4, kSuit1);  // arm thrown up
    FillRect(canvas, 11, 0, 12, 0, kSuit2);
  } else {
    FillRect(canvas, 10, 4, 12, 9, kSuit1);
    FillRect(canvas, 11, 9, 12, 10, kSuit2);  // glove
  }
  Outline(canvas, kOutline);
  return canvas;
}

Canvas PaintHelmet(bool lookRight) {
  Canvas canvas(kHelmetSize, kHelmetSize);
  const float side = lookRight ? 1.0f : -1.0f;
  Render(canvas, kHelmetSize / 2.0f, kHelmetSize / 2.0f, [side](float x, float y) {
    const float r = std::sqrt(x * x + y * y);
    if (r > 6.6f) {
      return kClear;
    }
    const float vx = x * side - 1.6f;
    if (vx * vx / 16.0f + (y - 0.5f) * (y - 0.5f) / 9.0f < 1.0f) {
      return (vx < -1.5f && y < -0.5f) ? kGlint : kGlass;  // visor
    }
    return Shade({kSuit0, kSuit1, kSuit2}, Lit(x / 6.6f, y / 6.6f, 0.7f) * 1.3f);
  });
  Outline(canvas, kOutline);
  return canvas;
}

Canvas PaintAstronautEyes(bool blinking) {
  Canvas canvas(6, 3);
  for (int eye : {0, 4}) {
    if (blinking) {
      FillRect(canvas, eye, 1, eye + 1, 1, kPupil);
    } else {
      FillRect(canvas, eye, 0, eye + 1, 2, kWhite);
      FillRect(canvas, eye + 1, 1, eye + 1, 2, kPupil);
    }
  }
  return canvas;
}
