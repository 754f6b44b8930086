// The rocket as one vector model, pointing up, rotated to each heading; its flame; the eyes in
// its porthole. Model units are canvas pixels with the origin on the image's centre pixel.
#include <algorithm>
#include <cmath>

#include "art/painters.h"

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kHullHalfWidth = 4.8f;
constexpr float kRimRadius = 4.3f;
// The model is drawn a little shorter than it is modelled and sits forward of the porthole,
// which leaves room behind it in the picture for a good long flame.
constexpr float kModelShift = 1.6f;
constexpr float kLengthScale = 0.9f;

const std::vector<Point> kHull = {{0.0f, -14.5f}, {1.8f, -12.5f}, {3.3f, -10.0f}, {4.3f, -7.0f},
                                  {4.8f, -4.0f},  {4.8f, 8.0f},   {4.0f, 10.2f},  {-4.0f, 10.2f},
                                  {-4.8f, 8.0f},  {-4.8f, -4.0f}, {-4.3f, -7.0f}, {-3.3f, -10.0f},
                                  {-1.8f, -12.5f}};
const std::vector<Point> kRightFin = {{4.3f, 1.5f}, {8.4f, 7.5f}, {8.4f, 11.6f}, {4.3f, 8.8f}};
const std::vector<Point> kLeftFin = {{-4.3f, 1.5f}, {-8.4f, 7.5f}, {-8.4f, 11.6f}, {-4.3f, 8.8f}};
const std::vector<Point> kNozzle = {{-2.6f, 10.0f}, {2.6f, 10.0f}, {3.3f, 12.4f}, {-3.3f, 12.4f}};

// Canvas offsets to model coordinates: the model turns clockwise (y grows downwards).
Point ToModel(int heading, float x, float y) {
  const float angle = heading * kPi / 8.0f;
  const float c = std::cos(angle), s = std::sin(angle);
  return {x * c + y * s, (-x * s + y * c + kModelShift) / kLengthScale};
}

// Brightness of the round hull at model column `mx`, lit in canvas space so all headings share
// one light.
float HullLight(int heading, float mx) {
  const float nx = std::clamp(mx / kHullHalfWidth, -1.0f, 1.0f);
  const float nz = std::sqrt(1.0f - nx * nx);
  const float angle = heading * kPi / 8.0f;
  return Lit(nx * std::cos(angle), nx * std::sin(angle), nz);
}

Ink RocketAt(int heading, float x, float y) {
  const Point m = ToModel(heading, x, y);
  const float r = std::sqrt(x * x + y * y);
  if (r <= kPortholeRadius) {
    return kClear;
  }
  if (InPolygon(kHull, m.x, m.y)) {
    if (r <= kRimRadius) {
      // The rim is a ring: its normal points away from the centre.
      return Shade({kBrass0, kBrass1, kBrass2}, Lit(x / r * 0.8f, y / r * 0.8f, 0.6f) * 1.3f);
    }
    const float light = HullLight(heading, m.x);
    const bool painted = m.y < -7.0f || (m.y > 5.0f && m.y < 6.6f);
    return painted ? Shade({kRed0, kRed1, kRed2, kRed3}, light)
                   : Shade({kHull0, kHull1, kHull2, kHull3}, light);
  }
  if (InPolygon(kNozzle, m.x, m.y)) {
    return Shade({kSteel0, kSteel1}, HullLight(heading, m.x * 1.4f));
  }
  if (InPolygon(kRightFin, m.x, m.y) || InPolygon(kLeftFin, m.x, m.y)) {
    return Shade({kRed1, kRed2, kRed3}, HullLight(heading, m.x > 0 ? 2.5f : -2.5f) + 0.15f);
  }
  return kClear;
}

// A tapering tongue of fire from the nozzle backwards, hottest in its core.
Ink FlameAt(int heading, float x, float y) {
  const Point m = ToModel(heading, x, y);
  constexpr float kTop = 11.0f, kLength = 12.0f, kHalfWidth = 3.3f;
  const float t = (m.y - kTop) / kLength;
  if (t < 0.0f || t > 1.0f) {
    return kClear;
  }
  const float ripple = 1.0f + 0.12f * std::sin(m.y * 2.3f);
  const float width = kHalfWidth * (1.0f - std::pow(t, 1.7f)) * ripple;
  const float across = std::fabs(m.x) / width;
  if (across > 1.0f) {
    return kClear;
  }
  if (across < 0.45f && t < 0.5f) {
    return kFlame0;
  }
  if (across < 0.75f && t < 0.75f) {
    return kFlame1;
  }
  return t < 0.85f ? kFlame2 : kFlame3;
}

}  // namespace

bool InPorthole(int dx, int dy) {
  return float(dx * dx + dy * dy) <= kPortholeRadius * kPortholeRadius;
}

Canvas PaintRocket(int heading) {
  Canvas canvas(kRocketSize, kRocketSize);
  const float centre = kRocketSize / 2 + 0.5f;
  Render(canvas, centre, centre, [heading](float x, float y) { return RocketAt(heading, x, y); });
  // The porthole is cut on whole pixels so that it matches the eyes picture exactly.
  const int c = kRocketSize / 2;
  for (int dy = -4; dy <= 4; ++dy) {
    for (int dx = -4; dx <= 4; ++dx) {
      if (InPorthole(dx, dy)) {
        canvas.Set(c + dx, c + dy, kClear);
      }
    }
  }
  Outline(canvas, kOutline, [c](int x, int y) { return InPorthole(x - c, y - c); });
  return canvas;
}

Canvas PaintFlame(int heading) {
  Canvas canvas(kRocketSize, kRocketSize);
  const float centre = kRocketSize / 2 + 0.5f;
  Render(canvas, centre, centre, [heading](float x, float y) { return FlameAt(heading, x, y); });
  return canvas;
}

Canvas PaintEyes(bool lookRight) {
  constexpr int kSize = 7;
  constexpr int c = kSize / 2;
  Canvas canvas(kSize, kSize);
  for (int dy = -c; dy <= c; ++dy) {
    for (int dx = -c; dx <= c; ++dx) {
      if (InPorthole(dx, dy)) {
        canvas.Set(c + dx, c + dy, kGlass);
      }
    }
  }
  canvas.Set(c - 2, c - 2, kGlint);
  // Two eyes, two pixels wide and three tall, the pupils on the side they look to.
  for (int eye : {-2, 1}) {
    for (int dy = -1; dy <= 1; ++dy) {
      for (int dx = 0; dx <= 1; ++dx) {
        const bool pupil = dy >= 0 && dx == (lookRight ? 1 : 0);
        canvas.Set(c + eye + dx, c + dy, pupil ? kPupil : kWhite);
      }
    }
  }
  return canvas;
}
