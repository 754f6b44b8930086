// Camera-relative drawing: the camera point shows at the centre of the canvas, and only the
// visible piece of an image is handed to the renderer.
#include "platform/dp.h"

namespace {

constexpr SDL_Rect kCanvas = {0, 0, kCanvasWidth, kCanvasHeight};

}  // namespace

SDL_Rect GetRect(SDL_Texture* texture) {
  SDL_Rect rect = {0, 0, 0, 0};
  if (SDL_QueryTexture(texture, nullptr, nullptr, &rect.w, &rect.h) != 0) {
    rect = {0, 0, 0, 0};
  }
  return rect;
}

SDL_Rect IntersectRect(SDL_Rect a, SDL_Rect b) {
  SDL_Rect overlap = {0, 0, 0, 0};
  SDL_IntersectRect(&a, &b, &overlap);
  return overlap;
}

void Dp::Blit(int image, int x, int y) {
  SDL_Texture* texture = textures[image];
  const SDL_Rect size = GetRect(texture);
  // Halves truncate: an odd-sized image has its middle pixel on the point, an even-sized one
  // the first pixel past its middle line.
  const int left = x + kCanvasWidth / 2 - size.w / 2 - cameraX;
  const int top = y + kCanvasHeight / 2 - size.h / 2 - cameraY;
  const SDL_Rect visible = IntersectRect(kCanvas, SDL_Rect{left, top, size.w, size.h});
  if (visible.w < 1 || visible.h < 1) {
    return;
  }
  const SDL_Rect source = {left < 0 ? -left : 0, top < 0 ? -top : 0, visible.w, visible.h};
  const SDL_Rect destination = {left < 0 ? 0 : left, top < 0 ? 0 : top, visible.w, visible.h};
  SDL_RenderCopy(renderer, texture, &source, &destination);
}
