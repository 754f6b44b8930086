// Preloaded into the game by tools/figures.py to time its presents. The first call of
// SDL_RenderPresent writes the monotonic clock, in nanoseconds, to the file named by
// FIRST_FRAME_FILE; with PRESENTS_FILE set, the time of every present is kept and written
// there, one a line, when the game exits; with PRESENT_PIXEL="x y" too, each line also holds
// the colour (0xRRGGBB) of that window pixel in the frame presented. Every call goes on to
// SDL's own.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

struct SDL_Renderer;
struct SDL_Rect {
  int x, y, w, h;
};

namespace {

constexpr int kMostPresents = 1 << 16;  // 45 minutes of frames
long long presents[kMostPresents];
unsigned pixels[kMostPresents];
int presentCount = 0;

long long Now() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1000000000LL + now.tv_nsec;
}

void WritePresents() {
  if (FILE* file = std::fopen(std::getenv("PRESENTS_FILE"), "w")) {
    for (int i = 0; i < presentCount; ++i) {
      if (std::getenv("PRESENT_PIXEL") != nullptr) {
        std::fprintf(file, "%lld 0x%06x\n", presents[i], pixels[i] & 0xFFFFFF);
      } else {
        std::fprintf(file, "%lld\n", presents[i]);
      }
    }
    std::fclose(file);
  }
}

}  // namespace

extern "C" void SDL_RenderPresent(SDL_Renderer* renderer) {
  using Present = void (*)(SDL_Renderer*);
  static const Present present = reinterpret_cast<Present>(dlsym(RTLD_NEXT, "SDL_RenderPresent"));
  static const bool keepAll =
      std::getenv("PRESENTS_FILE") != nullptr && std::atexit(WritePresents) == 0;
  const long long now = Now();
  if (presentCount == 0) {
    if (const char* path = std::getenv("FIRST_FRAME_FILE")) {
      if (FILE* file = std::fopen(path, "w")) {
        std::fprintf(file, "%lld\n", now);
        std::fclose(file);
      }
    }
  }
  if (presentCount == 0 || (keepAll && presentCount < kMostPresents)) {
    if (const char* at = std::getenv("PRESENT_PIXEL")) {
      using Read = int (*)(SDL_Renderer*, const SDL_Rect*, unsigned, void*, int);
      static const Read read = reinterpret_cast<Read>(dlsym(RTLD_DEFAULT, "SDL_RenderReadPixels"));
      SDL_Rect pixel = {0, 0, 1, 1};
      std::sscanf(at, "%d %d", &pixel.x, &pixel.y);
      constexpr unsigned kArgb8888 = 0x16362004u;  // SDL_PIXELFORMAT_ARGB8888
      read(renderer, &pixel, kArgb8888, &pixels[presentCount], 4);
    }
    presents[presentCount++] = now;
  }
  present(renderer);
}
