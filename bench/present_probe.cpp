// Preloaded into the game by tools/figures.py to time its presents. The first call of
// SDL_RenderPresent writes the monotonic clock, in nanoseconds, to the file named by
// FIRST_FRAME_FILE; with PRESENTS_FILE set, the time of every present is kept and written
// there, one a line, when the game exits. Every call goes on to SDL's own.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

struct SDL_Renderer;

namespace {

constexpr int kMostPresents = 1 << 16;  // 45 minutes of frames
long long presents[kMostPresents];
int presentCount = 0;

long long Now() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1000000000LL + now.tv_nsec;
}

void WritePresents() {
  if (FILE* file = std::fopen(std::getenv("PRESENTS_FILE"), "w")) {
    for (int i = 0; i < presentCount; ++i) {
      std::fprintf(file, "%lld\n", presents[i]);
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
    presents[presentCount++] = now;
  }
  present(renderer);
}
