// Image numbers are positions in this byte-wise sorted list: capitals sort before small letters,
// and the heading numbers sort as text.
#include "platform/image_table.h"

namespace {

// clang-format off
constexpr const char* kImagePaths[] = {
    "assets/body.bmp",                 //  0
    "assets/bodyMidAir.bmp",           //  1
    "assets/bodyRWalkingB.bmp",        //  2
    "assets/bodyRWalkingC.bmp",        //  3
    "assets/bodyRwalking.bmp",         //  4
    "assets/eyeBlinkR.bmp",            //  5
    "assets/eyeStareR.bmp",            //  6
    "assets/eyesL.bmp",                //  7
    "assets/eyesR.bmp",                //  8
    "assets/helmetL.bmp",              //  9
    "assets/helmetR.bmp",              // 10
    "assets/planetCotton.bmp",         // 11
    "assets/planetFur.bmp",            // 12
    "assets/planetRobot.bmp",          // 13
    "assets/rocket00.bmp",             // 14
    "assets/rocket112.bmp",            // 15
    "assets/rocket135.bmp",            // 16
    "assets/rocket157.bmp",            // 17
    "assets/rocket180.bmp",            // 18
    "assets/rocket207.bmp",            // 19
    "assets/rocket22.bmp",             // 20
    "assets/rocket225.bmp",            // 21
    "assets/rocket247.bmp",            // 22
    "assets/rocket270.bmp",            // 23
    "assets/rocket292.bmp",            // 24
    "assets/rocket315.bmp",            // 25
    "assets/rocket337.bmp",            // 26
    "assets/rocket45.bmp",             // 27
    "assets/rocket67.bmp",             // 28
    "assets/rocket90.bmp",             // 29
    "assets/rocketThrust00.bmp",       // 30
    "assets/rocketThrust112.bmp",      // 31
    "assets/rocketThrust135.bmp",      // 32
    "assets/rocketThrust157.bmp",      // 33
    "assets/rocketThrust180.bmp",      // 34
    "assets/rocketThrust207.bmp",      // 35
    "assets/rocketThrust22.bmp",       // 36
    "assets/rocketThrust225.bmp",      // 37
    "assets/rocketThrust247.bmp",      // 38
    "assets/rocketThrust270.bmp",      // 39
    "assets/rocketThrust292.bmp",      // 40
    "assets/rocketThrust315.bmp",      // 41
    "assets/rocketThrust337.bmp",      // 42
    "assets/rocketThrust45.bmp",       // 43
    "assets/rocketThrust67.bmp",       // 44
    "assets/rocketThrust90.bmp",       // 45
    "assets/starsDragonFly.bmp",       // 46
    "assets/starsOwl.bmp",             // 47
    "assets/starsSquid.bmp",           // 48
};
// clang-format on
static_assert(sizeof(kImagePaths) / sizeof(kImagePaths[0]) == kImageCount, "one path per image");

}  // namespace

const char* ImagePath(int image) {
  if (image < 0 || image >= kImageCount) {
    return "";
  }
  return kImagePaths[image];
}
