// The one palette every bitmap of the game is painted with. Entry 0 is the colour the game keys
// out as transparent; nothing visible may come near it, or keyed edges would show pink.
#pragma once

#include <cstdint>

struct Rgb {
  uint8_t r, g, b;
};

enum Ink : uint8_t {
  kClear,  // the transparent key
  kOutline,
  kHull0,
  kHull1,
  kHull2,
  kHull3,  // rocket hull, lit to shaded
  kRed0,
  kRed1,
  kRed2,
  kRed3,  // nose, fins, stripe
  kBrass0,
  kBrass1,
  kBrass2,  // porthole rim
  kSteel0,
  kSteel1,  // nozzle
  kFlame0,
  kFlame1,
  kFlame2,
  kFlame3,  // flame, core to edge
  kGlass,
  kGlint,
  kWhite,
  kPupil,  // cockpit glass and eyes
  kFur0,
  kFur1,
  kFur2,
  kFur3,
  kFur4,
  kFurLine,
  kCotton0,
  kCotton1,
  kCotton2,
  kCotton3,
  kCottonLine,
  kMetal0,
  kMetal1,
  kMetal2,
  kMetal3,
  kMetalLine,
  kVisor,
  kVisorGlow,
  kBeacon,
  kStar0,
  kStar1,
  kStar2,
  kStar3,
  kStar4,
  kStar5,  // star greys, brightest first
  kStarBlue,
  kStarGold,
  kStarDimBlue,
  kSuit0,
  kSuit1,
  kSuit2,
  kSuitTrim,
  kBoot,
  kBackdrop,  // only behind the preview sheet
  kInkCount
};

// clang-format off
constexpr Rgb kPalette[kInkCount] = {
    {222, 173, 190},  // kClear
    { 18,  20,  38},  // kOutline
    {244, 246, 250}, {206, 212, 226}, {156, 166, 190}, {104, 114, 144},  // kHull0..3
    {250, 104,  84}, {214,  58,  58}, {158,  34,  52}, { 98,  22,  44},  // kRed0..3
    {255, 222, 128}, {222, 164,  66}, {150,  98,  44},                   // kBrass0..2
    { 96, 100, 114}, { 58,  60,  74},                                    // kSteel0..1
    {255, 252, 214}, {255, 214,  80}, {252, 136,  36}, {214,  64,  32},  // kFlame0..3
    { 22,  34,  72}, {120, 170, 255}, {250, 250, 250}, { 16,  16,  24},  // kGlass kGlint kWhite kPupil
    {255, 216, 130}, {240, 168,  76}, {200, 118,  50}, {144,  76,  40}, { 96,  50,  34}, { 56,  30,  26},
    {252, 252, 246}, {226, 232, 240}, {190, 200, 218}, {142, 154, 184}, { 62,  72, 108},
    {214, 220, 230}, {164, 174, 192}, {112, 122, 144}, { 72,  80, 100}, { 34,  38,  54},
    { 24,  40,  56}, { 90, 240, 230}, {255,  72,  60},                   // kVisor kVisorGlow kBeacon
    {255, 255, 255}, {214, 218, 226}, {170, 176, 190}, {128, 134, 150}, { 92,  98, 116}, { 62,  66,  84},
    {170, 200, 255}, {255, 232, 170}, { 84, 104, 150},
    {236, 238, 242}, {184, 190, 204}, {130, 138, 160}, {255, 150,  40}, { 70,  74,  90},
    { 44,  48,  66},  // kBackdrop
};
// clang-format on
