#include "headless.h"

#include <cstdlib>

Frame::Frame(SDL_Renderer* renderer) {
  SDL_GetRendererOutputSize(renderer, &width_, &height_);
  scale_ = width_ / kCanvasWidth;
  pixels_.resize(size_t(width_) * height_);
  SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, pixels_.data(), width_ * 4);
}

uint32_t Frame::At(int x, int y) const {
  return pixels_[size_t(y * scale_) * width_ + x * scale_] & 0xFFFFFF;
}

void Frame::Save(const std::string& path) const {
  SDL_Surface* s =
      SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(pixels_.data()), width_, height_, 32,
                                         width_ * 4, SDL_PIXELFORMAT_ARGB8888);
  SDL_SaveBMP(s, path.c_str());
  SDL_FreeSurface(s);
}

void Headless::SetUp() {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_RENDER_DRIVER", "software", 1);
  dp = Dp::Init();
  db = Db{};
  SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}

void Headless::TearDown() {
  // Leave no injected event behind, and release what Init made, so the sanitized suite can tell
  // a leak of the game's from the harness's.
  SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
  delete[] dp.textures;
  delete[] dp.scratch;
  delete[] dp.keys;
  SDL_DestroyRenderer(dp.renderer);  // and every texture made on it
  SDL_DestroyWindow(dp.window);
  SDL_Quit();
}

uint32_t CoordinateColour(int x, int y) {
  const uint32_t blue = 0x80 | ((x >> 8) << 4) | (y >> 8);
  return (uint32_t(x & 0xFF) << 16) | (uint32_t(y & 0xFF) << 8) | blue;
}

SDL_Texture* CoordinateTexture(SDL_Renderer* renderer, int w, int h) {
  std::vector<uint32_t> texels(size_t(w) * h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      texels[size_t(y) * w + x] = 0xFF000000 | CoordinateColour(x, y);
    }
  }
  SDL_Texture* texture =
      SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, w, h);
  SDL_UpdateTexture(texture, nullptr, texels.data(), w * 4);
  return texture;
}

void PushKey(Uint32 type, SDL_Keycode key) {
  SDL_Event event{};
  event.type = type;
  event.key.type = type;
  event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  event.key.keysym.sym = key;
  SDL_PushEvent(&event);
}

void PushEvent(Uint32 type) {
  SDL_Event event{};
  event.type = type;
  SDL_PushEvent(&event);
}

void GameTest::SetUp() {
  Headless::SetUp();
  FillTopLevel(slots_, &quiet_);
  game_ = std::make_unique<GameCos>(slots_);
}
