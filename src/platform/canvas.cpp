// Composing a frame at canvas resolution: every image is drawn 1:1 on a 320x180 texture, which is
// scaled into the window once a frame. The window shows the same pixels as drawing each image
// scaled, for a small part of the work (most of a frame is three full-canvas star layers).
#include <cstdio>

#include "platform/dp.h"

SDL_Texture* MakeCanvas(SDL_Renderer* renderer) {
  SDL_RendererInfo info;
  if (SDL_GetRendererInfo(renderer, &info) != 0 || !(info.flags & SDL_RENDERER_TARGETTEXTURE)) {
    return nullptr;
  }
  SDL_Texture* canvas = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888,
                                          SDL_TEXTUREACCESS_TARGET, kCanvasWidth, kCanvasHeight);
  if (canvas == nullptr) {
    return nullptr;
  }
  // Blended images land on the canvas; the canvas itself replaces whatever the window held.
  SDL_SetTextureBlendMode(canvas, SDL_BLENDMODE_NONE);
  return canvas;
}

void Dp::ComposeWindow() {
  if (canvas == nullptr) {
    return;
  }
  // Back on the window, the renderer's logical size and integer scale apply again. They are
  // set anew each frame: SDL3 beneath SDL2's name (sdl2-compat) works them out again when the
  // window changes size, from whatever is the target then, which here is the canvas, and would
  // leave a fullscreen canvas unscaled in a corner.
  SDL_SetRenderTarget(renderer, nullptr);
  SDL_RenderSetLogicalSize(renderer, kCanvasWidth, kCanvasHeight);
  SDL_RenderClear(renderer);
  SDL_RenderCopy(renderer, canvas, nullptr, nullptr);
}

void Dp::DrawOnCanvas() {
  if (canvas != nullptr) {
    SDL_SetRenderTarget(renderer, canvas);
  }
}
