// The application icon for menus, home screens and the Windows program: the rocket climbing to
// the upper right with the captain at the porthole, over a rounded square of night sky, each art
// pixel shown as a square as large as the icon's size allows.
#include <cmath>

#include "art/painters.h"

namespace {

constexpr int kIconSource = 42;  // art pixels across: the 40-pixel rocket and a margin
constexpr int kCornerRadius = 7;

bool InRoundedSquare(int x, int y, int size, int radius) {
  const int cx = x < radius ? radius : x >= size - radius ? size - radius - 1 : x;
  const int cy = y < radius ? radius : y >= size - radius ? size - radius - 1 : y;
  const int dx = x - cx, dy = y - cy;
  return dx * dx + dy * dy <= radius * radius;
}

}  // namespace

Canvas PaintIcon(int size) {
  Canvas art(kIconSource, kIconSource);
  for (int y = 0; y < kIconSource; ++y) {
    for (int x = 0; x < kIconSource; ++x) {
      if (InRoundedSquare(x, y, kIconSource, kCornerRadius)) {
        art.Set(x, y, kBackdrop);
      }
    }
  }
  for (const auto& star : {Point{7, 9}, Point{31, 6}, Point{34, 29}, Point{9, 33}, Point{22, 4}}) {
    art.Set(int(star.x), int(star.y), kStar1);
  }
  const int offset = (kIconSource - kRocketSize) / 2;
  for (const Canvas& layer : {PaintFlame(2), PaintRocket(2)}) {
    for (int y = 0; y < kRocketSize; ++y) {
      for (int x = 0; x < kRocketSize; ++x) {
        if (layer.At(x, y) != kClear) {
          art.Set(offset + x, offset + y, layer.At(x, y));
        }
      }
    }
  }
  const Canvas eyes = PaintEyes(true);
  const int centre = offset + kRocketSize / 2 - eyes.Width() / 2;
  for (int y = 0; y < eyes.Height(); ++y) {
    for (int x = 0; x < eyes.Width(); ++x) {
      if (eyes.At(x, y) != kClear) {
        art.Set(centre + x, centre + y, eyes.At(x, y));
      }
    }
  }
  const int scale = size / kIconSource;
  Canvas icon(size, size);
  const int margin = (size - kIconSource * scale) / 2;
  for (int y = 0; y < kIconSource * scale; ++y) {
    for (int x = 0; x < kIconSource * scale; ++x) {
      icon.Set(margin + x, margin + y, art.At(x / scale, y / scale));
    }
  }
  return icon;
}
