// Three sparse star fields for the parallax layers. The nearest layer has few, bright stars,
// some with a sparkle; the farthest has many faint specks.
#include "art/painters.h"

namespace {

constexpr int kFieldWidth = 1280;
constexpr int kFieldHeight = 720;

struct Layer {
  int stars;         // how many
  int sparkles;      // how many of them get a cross of light
  float brightness;  // 0 faint to 1 bright
};

// clang-format off
constexpr Layer kLayers[3] = {
    // stars sparkles brightness
    {  260,   28,     1.0f },  // nearest
    {  520,    6,     0.6f },
    {  900,    0,     0.25f},  // farthest
};
// clang-format on

Ink StarInk(int depth, int star) {
  const float pick = Random01(star, depth, 11);
  const float glow = kLayers[depth].brightness * (0.55f + 0.45f * Random01(star, depth, 12));
  if (pick < 0.12f) {
    return glow > 0.5f ? kStarBlue : kStarDimBlue;
  }
  if (pick < 0.22f && glow > 0.4f) {
    return kStarGold;
  }
  return Shade({kStar0, kStar1, kStar2, kStar3, kStar4, kStar5}, glow);
}

}  // namespace

Canvas PaintStars(int depth) {
  Canvas canvas(kFieldWidth, kFieldHeight);
  const Layer& layer = kLayers[depth];
  for (int star = 0; star < layer.stars; ++star) {
    const int x = int(Random01(star, depth, 1) * kFieldWidth);
    const int y = int(Random01(star, depth, 2) * kFieldHeight);
    const Ink ink = StarInk(depth, star);
    canvas.Set(x, y, ink);
    if (star < layer.sparkles) {
      // The sparkle's arms are a step dimmer than its heart; the largest reach two pixels.
      const int reach = star % 4 == 0 ? 2 : 1;
      for (int d = 1; d <= reach; ++d) {
        const Ink arm = d == 1 ? kStar2 : kStar4;
        canvas.Set(x - d, y, arm);
        canvas.Set(x + d, y, arm);
        canvas.Set(x, y - d, arm);
        canvas.Set(x, y + d, arm);
      }
      canvas.Set(x, y, kStar0);
    }
  }
  return canvas;
}
