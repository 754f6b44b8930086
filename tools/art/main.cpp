// rocket_art OUTDIR: paints the game's 49 bitmaps into OUTDIR/assets, a preview sheet of all
// of them into OUTDIR/art-preview.bmp and the application icon into OUTDIR/rocket.png and, for
// Windows, OUTDIR/rocket.ico, and the web page's OUTDIR/rocket-192.png and rocket-512.png. The
// output is the same, byte for byte, on every run.
// rocket_art --masks FILE: writes the collision masks header made from the same pictures.
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "art/painters.h"
#include "game/headings.h"
#include "platform/image_table.h"

namespace {

Canvas PaintImage(int image) {
  for (int h = 0; h < kHeadingCount; ++h) {
    if (image == kHeadings[h].rocketImage) {
      return PaintRocket(h);
    }
    if (image == kHeadings[h].flameImage) {
      return PaintFlame(h);
    }
  }
  switch (image) {
    case kImageBody:
      return PaintBody(Pose::kStanding);
    case kImageBodyMidAir:
      return PaintBody(Pose::kMidAir);
    case kImageBodyRWalkingB:
      return PaintBody(Pose::kWalkingB);
    case kImageBodyRWalkingC:
      return PaintBody(Pose::kWalkingC);
    case kImageBodyRwalking:
      return PaintBody(Pose::kWalkingA);
    case kImageEyeBlinkR:
      return PaintAstronautEyes(true);
    case kImageEyeStareR:
      return PaintAstronautEyes(false);
    case kImageEyesL:
      return PaintEyes(false);
    case kImageEyesR:
      return PaintEyes(true);
    case kImageHelmetL:
      return PaintHelmet(false);
    case kImageHelmetR:
      return PaintHelmet(true);
    case kImagePlanetCotton:
      return PaintCottonPlanet();
    case kImagePlanetFur:
      return PaintFurPlanet();
    case kImagePlanetRobot:
      return PaintRobotPlanet();
    case kImageStarsDragonFly:
      return PaintStars(0);
    case kImageStarsOwl:
      return PaintStars(1);
    case kImageStarsSquid:
      return PaintStars(2);
  }
  std::fprintf(stderr, "rocket_art: no painter for image %d\n", image);
  std::exit(1);
}

// Every image in a cell of its own on a dark backdrop, small ones enlarged; a star field shows
// the middle piece of itself.
Canvas PreviewSheet(const std::vector<Canvas>& images) {
  constexpr int kCell = 96, kColumns = 8;
  const int rows = (int(images.size()) + kColumns - 1) / kColumns;
  Canvas sheet(kCell * kColumns, kCell * rows);
  for (int y = 0; y < sheet.Height(); ++y) {
    for (int x = 0; x < sheet.Width(); ++x) {
      const bool gap = x % kCell == 0 || y % kCell == 0;
      sheet.Set(x, y, gap ? kOutline : kBackdrop);
    }
  }
  for (int i = 0; i < int(images.size()); ++i) {
    const Canvas& image = images[i];
    const int scale = std::clamp((kCell - 8) / std::max(image.Width(), image.Height()), 1, 4);
    const int shown = std::min(kCell - 2, image.Width() * scale);
    const int shownHeight = std::min(kCell - 2, image.Height() * scale);
    const int fromX = (image.Width() * scale - shown) / 2;
    const int fromY = (image.Height() * scale - shownHeight) / 2;
    const int left = (i % kColumns) * kCell + (kCell - shown) / 2;
    const int top = (i / kColumns) * kCell + (kCell - shownHeight) / 2;
    for (int y = 0; y < shownHeight; ++y) {
      for (int x = 0; x < shown; ++x) {
        const Ink ink = image.At((fromX + x) / scale, (fromY + y) / scale);
        if (ink != kClear) {
          sheet.Set(left + x, top + y, ink);
        }
      }
    }
  }
  return sheet;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc == 3 && std::string(argv[1]) == "--masks") {
    return WriteMaskHeader(argv[2]) ? 0 : 1;
  }
  if (argc != 2) {
    std::fprintf(stderr, "usage: rocket_art OUTDIR | rocket_art --masks FILE\n");
    return 2;
  }
  const std::string out = argv[1];
  SDL_SetMainReady();
  std::vector<Canvas> images;
  for (int image = 0; image < kImageCount; ++image) {
    images.push_back(PaintImage(image));
  }
  std::error_code error;
  std::filesystem::create_directories(out + "/assets", error);
  bool ok = !error;
  for (int image = 0; ok && image < kImageCount; ++image) {
    ok = SaveBitmap(images[image], out + "/" + ImagePath(image));
  }
  ok = ok && SaveBitmap(PreviewSheet(images), out + "/art-preview.bmp");
  const Canvas icon = PaintIcon();
  ok = ok && SavePng(icon, out + "/rocket.png");
  ok = ok && SaveIco(icon, out + "/rocket.ico");
  for (int size : kWebIconSizes) {
    ok = ok && SavePng(PaintIcon(size), out + "/rocket-" + std::to_string(size) + ".png");
  }
  return ok ? 0 : 1;
}
