// The images' paths, from the one list of them.
#include "platform/image_table.h"

namespace {

constexpr const char* kImagePaths[] = {
#define ROCKET_IMAGE_PATH(name, file) "assets/" file ".bmp",
    ROCKET_IMAGES(ROCKET_IMAGE_PATH)
#undef ROCKET_IMAGE_PATH
};
static_assert(sizeof(kImagePaths) / sizeof(kImagePaths[0]) == kImageCount, "one path per image");

}  // namespace

const char* ImagePath(int image) {
  if (image < 0 || image >= kImageCount) {
    return "";
  }
  return kImagePaths[image];
}
