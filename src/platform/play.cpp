// Camera-relative sound: a sound's world point is placed as seen from the camera, the middle of
// the canvas.
#include <cstdint>

#include "platform/audio.h"
#include "platform/dp.h"
#include "sound/placement.h"

void Dp::Play(Sound sound, int x, int y) {
  if (audio == nullptr) {
    return;
  }
  const Gains gains = PlaceSound(float(int64_t(x) - cameraX), float(int64_t(y) - cameraY),
                                 kCanvasWidth, kCanvasHeight);
  if (gains.left > 0 || gains.right > 0) {
    audio->Play(sound, gains.left, gains.right);
  }
}
