// Preloaded into the game by tools/figures.py to measure the path of renderers that cannot draw
// to a texture on a machine whose renderer can: SDL's renderer info loses the target flag.
#include <dlfcn.h>

#include <cstdint>

struct SDL_Renderer;
struct SDL_RendererInfo {
  const char* name;
  uint32_t flags;
  // the rest is left as SDL wrote it
};

constexpr uint32_t kTargetTexture = 0x00000008;  // SDL_RENDERER_TARGETTEXTURE

extern "C" int SDL_GetRendererInfo(SDL_Renderer* renderer, SDL_RendererInfo* info) {
  using GetInfo = int (*)(SDL_Renderer*, SDL_RendererInfo*);
  static const GetInfo getInfo = reinterpret_cast<GetInfo>(dlsym(RTLD_NEXT, "SDL_GetRendererInfo"));
  const int result = getInfo(renderer, info);
  info->flags &= ~kTargetTexture;
  return result;
}
