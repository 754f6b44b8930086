// The rocket's sixteen headings, clockwise from straight up in steps of 22.5 degrees.
// Read by the rocket's states and by the art tool, which paints one rocket and flame per row.
#pragma once

#include "platform/image_table.h"

struct Heading {
  const char* label;  // in the state and image names; the tenth is "207", not "202"
  Image rocketImage;  // the rocket at this heading
  Image flameImage;   // its flame, drawn under the rocket while thrusting
  int thrustX;        // what one frame of thrust adds to the rocket's velocity
  int thrustY;
};

constexpr int kHeadingCount = 16;

// clang-format off
constexpr Heading kHeadings[kHeadingCount] = {
    // label rocket          flame                  thrust
    {"00",  kImageRocket00,  kImageRocketThrust00,   0, -2},  // up
    {"22",  kImageRocket22,  kImageRocketThrust22,  +1, -2},
    {"45",  kImageRocket45,  kImageRocketThrust45,  +2, -2},  // up-right
    {"67",  kImageRocket67,  kImageRocketThrust67,  +2, -1},
    {"90",  kImageRocket90,  kImageRocketThrust90,  +2,  0},  // right
    {"112", kImageRocket112, kImageRocketThrust112, +2, +1},
    {"135", kImageRocket135, kImageRocketThrust135, +2, +2},  // down-right
    {"157", kImageRocket157, kImageRocketThrust157, +1, +2},
    {"180", kImageRocket180, kImageRocketThrust180,  0, +2},  // down
    {"207", kImageRocket207, kImageRocketThrust207, -1, +2},
    {"225", kImageRocket225, kImageRocketThrust225, -2, +2},  // down-left
    {"247", kImageRocket247, kImageRocketThrust247, -2, +1},
    {"270", kImageRocket270, kImageRocketThrust270, -2,  0},  // left
    {"292", kImageRocket292, kImageRocketThrust292, -2, -1},
    {"315", kImageRocket315, kImageRocketThrust315, -2, -2},  // up-left
    {"337", kImageRocket337, kImageRocketThrust337, -1, -2},
};
// clang-format on

constexpr int PreviousHeading(int heading) {
  return (heading + kHeadingCount - 1) % kHeadingCount;
}
constexpr int NextHeading(int heading) {
  return (heading + 1) % kHeadingCount;
}
