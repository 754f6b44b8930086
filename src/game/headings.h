// The rocket's sixteen headings, clockwise from straight up in steps of 22.5 degrees.
// Read by the rocket's states and by the art tool, which paints one rocket and flame per row.
#pragma once

struct Heading {
  const char* label;  // in the state and image names; the tenth is "207", not "202"
  int rocketImage;    // image number of the rocket at this heading
  int flameImage;     // image number of its flame, drawn under the rocket while thrusting
  int thrustX;        // what one frame of thrust adds to the rocket's velocity
  int thrustY;
};

constexpr int kHeadingCount = 16;

// clang-format off
constexpr Heading kHeadings[kHeadingCount] = {
    // label  rocket flame   thrust
    {"00",    14,    30,      0, -2},  // up
    {"22",    20,    36,     +1, -2},
    {"45",    27,    43,     +2, -2},  // up-right
    {"67",    28,    44,     +2, -1},
    {"90",    29,    45,     +2,  0},  // right
    {"112",   15,    31,     +2, +1},
    {"135",   16,    32,     +2, +2},  // down-right
    {"157",   17,    33,     +1, +2},
    {"180",   18,    34,      0, +2},  // down
    {"207",   19,    35,     -1, +2},
    {"225",   21,    37,     -2, +2},  // down-left
    {"247",   22,    38,     -2, +1},
    {"270",   23,    39,     -2,  0},  // left
    {"292",   24,    40,     -2, -1},
    {"315",   25,    41,     -2, -2},  // up-left
    {"337",   26,    42,     -1, -2},
};
// clang-format on

constexpr int PreviousHeading(int heading) {
  return (heading + kHeadingCount - 1) % kHeadingCount;
}
constexpr int NextHeading(int heading) {
  return (heading + 1) % kHeadingCount;
}
