#include "game/space.h"

namespace {

// clang-format off
// A layer drawn at camera / k moves across the canvas at (1 - 1/k) of the camera's motion, so
// the first layer seems nearest. Each is one picture, drawn once: no tiling.
struct StarLayer { Image image; int32_t divisor; };
constexpr StarLayer kStarLayers[] = {
    {kImageStarsDragonFly, 4},  // nearest
    {kImageStarsOwl,       3},
    {kImageStarsSquid,     2},  // farthest
};

struct Planet { Image image; int32_t x, y; };
constexpr Planet kPlanets[] = {
    {kImagePlanetFur,     100,  100},
    {kImagePlanetCotton, -100, -100},
    {kImagePlanetRobot,   100, -100},
};
// clang-format on

}  // namespace

GameCo* Space::Routine(Dp* dp, Db*) {
  for (const StarLayer& layer : kStarLayers) {
    // Division truncates toward zero, as C++ does: layers drift symmetrically about the origin.
    dp->Blit(layer.image, dp->cameraX / layer.divisor, dp->cameraY / layer.divisor);
  }
  for (const Planet& planet : kPlanets) {
    dp->Blit(planet.image, planet.x, planet.y);
  }
  return this;
}
