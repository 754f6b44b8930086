// Preloaded into the game to time start-up: the first call of SDL_RenderPresent writes the
// monotonic clock, in nanoseconds, to the file named by FIRST_FRAME_FILE, then every call goes
// on to SDL's own.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

struct SDL_Renderer;

extern "C" void SDL_RenderPresent(SDL_Renderer* renderer) {
  using Present = void (*)(SDL_Renderer*);
  static const Present present = reinterpret_cast<Present>(dlsym(RTLD_NEXT, "SDL_RenderPresent"));
  static bool first = true;
  if (first) {
    first = false;
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    if (const char* path = std::getenv("FIRST_FRAME_FILE")) {
      if (FILE* file = std::fopen(path, "w")) {
        std::fprintf(file, "%lld\n", now.tv_sec * 1000000000LL + now.tv_nsec);
        std::fclose(file);
      }
    }
  }
  present(renderer);
}
