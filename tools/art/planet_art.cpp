// Three planets of about 64 by 64, each with its own character: a shaggy fur ball, a heap of
// cotton puffs, and a riveted robot with a glowing visor.
#include <algorithm>
#include <cmath>

#include "art/painters.h"

namespace {

constexpr int kPlanetSize = 64;
constexpr float kCentre = kPlanetSize / 2.0f;
constexpr float kPi = 3.14159265f;

// Brightness of a sphere of radius `radius` at (x, y), or -1 off the sphere.
float SphereLight(float x, float y, float radius) {
  const float d2 = (x * x + y * y) / (radius * radius);
  if (d2 > 1.0f) {
    return -1.0f;
  }
  return Lit(x / radius, y / radius, std::sqrt(1.0f - d2));
}

Ink FurAt(float x, float y) {
  constexpr float kCore = 22.0f, kFur = 6.5f;
  const float angle = std::atan2(y, x);
  const float r = std::sqrt(x * x + y * y);
  // Tufts: every few degrees a strand of its own length.
  const int strand = int((angle + kPi) / (2 * kPi) * 72.0f);
  const float tuft = 0.35f + 0.65f * Random01(strand, 1);
  if (r > kCore + kFur * tuft * (0.6f + 0.4f * std::fabs(std::sin(angle * 36.0f)))) {
    return kClear;
  }
  float light = SphereLight(x, y, kCore + kFur * 0.5f);
  light = light < 0 ? 0.15f : light;
  // Strands catch the light unevenly, and a few darker patches give it a hide.
  light += (Random01(strand, int(r / 3.0f), 2) - 0.5f) * 0.35f;
  const float patch = std::sin(x * 0.23f + 1.3f) * std::sin(y * 0.19f - 0.4f);
  if (patch > 0.55f) {
    light -= 0.3f;
  }
  return Shade({kFur0, kFur1, kFur2, kFur3, kFur4}, light);
}

struct Puff {
  float x, y, radius;
};

// A ring of puffs round a heap of inner ones; the last puff listed lies on top.
std::vector<Puff> CottonPuffs() {
  std::vector<Puff> puffs;
  for (int i = 0; i < 11; ++i) {
    const float angle = i * 2 * kPi / 11 + 0.3f;
    const float radius = 7.0f + 2.5f * Random01(i, 3);
    const float reach = 27.0f - radius;
    puffs.push_back({reach * std::cos(angle), reach * std::sin(angle), radius});
  }
  for (int i = 0; i < 7; ++i) {
    const float angle = i * 2 * kPi / 7 + 1.1f;
    const float reach = 9.0f + 3.0f * Random01(i, 4);
    puffs.push_back(
        {reach * std::cos(angle), reach * std::sin(angle), 8.5f + 2.0f * Random01(i, 5)});
  }
  puffs.push_back({-2.0f, -2.0f, 9.0f});
  return puffs;
}

Ink CottonAt(const std::vector<Puff>& puffs, float x, float y) {
  for (auto puff = puffs.rbegin(); puff != puffs.rend(); ++puff) {
    const float light = SphereLight(x - puff->x, y - puff->y, puff->radius);
    if (light >= 0) {
      // Each puff is lit as its own little ball, dimmed a touch towards the heap's shaded side.
      const float heap = std::max(0.0f, SphereLight(x, y, 28.0f));
      return Shade({kCotton0, kCotton1, kCotton2, kCotton3}, 0.55f * light + 0.55f * heap);
    }
  }
  return kClear;
}

Ink RobotAt(float x, float y) {
  constexpr float kRadius = 25.0f;
  // Antenna with a red beacon on top.
  if (std::fabs(x) < 0.9f && y < -kRadius + 1 && y > -28.0f) {
    return kMetal2;
  }
  if ((x * x + (y + 28.5f) * (y + 28.5f)) < 2.2f * 2.2f) {
    return kBeacon;
  }
  const float light = SphereLight(x, y, kRadius);
  if (light < 0) {
    return kClear;
  }
  // A visor band round the equator with two glowing eyes.
  if (std::fabs(y - 1.0f) < 4.2f && std::fabs(x) < 21.0f) {
    for (float eye : {-8.5f, 8.5f}) {
      if ((x - eye) * (x - eye) + (y - 1.0f) * (y - 1.0f) < 2.6f * 2.6f) {
        return kVisorGlow;
      }
    }
    return std::fabs(y - 1.0f) > 3.2f ? kMetalLine : kVisor;
  }
  // Panel seams along a few latitudes and meridians, rivets where they cross.
  const float nz = std::sqrt(std::max(0.0f, 1.0f - (x * x + y * y) / (kRadius * kRadius)));
  const float lat = std::asin(y / kRadius);
  const float lon = std::atan2(x / kRadius, nz);
  const float latStep = std::fmod(std::fabs(lat) + 0.26f, 0.52f);
  const float lonStep = std::fmod(lon + 3 * kPi + 0.35f, 0.7f);
  if (latStep < 0.045f || lonStep < 0.06f) {
    return light > 0.45f ? kMetal2 : kMetal3;
  }
  if (latStep > 0.43f && latStep < 0.49f && std::fmod(lon + 3 * kPi, 0.35f) < 0.07f) {
    return kMetal0;  // rivet
  }
  return Shade({kMetal0, kMetal1, kMetal2, kMetal3}, light);
}

Canvas Painted(const Sampler& sampler, Ink outline) {
  Canvas canvas(kPlanetSize, kPlanetSize);
  Render(canvas, kCentre, kCentre, sampler);
  Outline(canvas, outline);
  return canvas;
}

}  // namespace

Canvas PaintFurPlanet() {
  return Painted(FurAt, kFurLine);
}

Canvas PaintCottonPlanet() {
  const std::vector<Puff> puffs = CottonPuffs();
  return Painted([&puffs](float x, float y) { return CottonAt(puffs, x, y); }, kCottonLine);
}

Canvas PaintRobotPlanet() {
  return Painted(RobotAt, kOutline);
}
