// One painter per kind of picture; the art tool's main decides which image each one paints.
#pragma once

#include "art/canvas.h"

// Rockets and flames: 40 by 40, centred on pixel (20, 20), `heading` 0 to 15 clockwise from up.
constexpr int kRocketSize = 40;
constexpr float kPortholeRadius = 3.2f;
Canvas PaintRocket(int heading);
Canvas PaintFlame(int heading);
// The captain's eyes fill the rocket's porthole exactly: `lookRight` picks the pupils' side.
Canvas PaintEyes(bool lookRight);
// True for the pixels, as offsets from the centre pixel, that the porthole leaves see-through.
bool InPorthole(int dx, int dy);

Canvas PaintFurPlanet();
Canvas PaintCottonPlanet();
Canvas PaintRobotPlanet();

// Star layers, 1280 by 720: depth 0 is the nearest and brightest, 2 the farthest and faintest.
Canvas PaintStars(int depth);

// The astronaut set, loaded by the game but not drawn yet.
enum class Pose { kStanding, kMidAir, kWalkingA, kWalkingB, kWalkingC };
Canvas PaintBody(Pose pose);
Canvas PaintHelmet(bool lookRight);
Canvas PaintAstronautEyes(bool blinking);

// The application icon, `size` pixels square (at least 42): kIconSize for desktop menus and
// Windows, kWebIconSizes for the web page's manifest.
constexpr int kIconSize = 128;
constexpr int kWebIconSizes[] = {192, 512};
Canvas PaintIcon(int size = kIconSize);

// The collision masks header: fixed self-test tables and the silhouettes of our pictures.
bool WriteMaskHeader(const std::string& path);
