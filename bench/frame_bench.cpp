// One frame's work, everything but the 41 ms wait, headless with the software renderer: the
// real lists stepped once, against a bare loop that makes the same SDL calls with the same
// images at the same places and nothing else. Their ratio is the cost of the game's own code.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "core/game_cycle.h"
#include "platform/frame_services.h"

namespace {

struct Drawn {
  int image, x, y;
};

// The platform and the game record, made once for all the benchmarks.
struct World {
  Dp dp;
  Db db = {};
  GameCo* serviceSlots[3] = {Singleton<RefreshScreen<Db*>>(), Singleton<KeyToExit<Db*>>(), nullptr};
  GameCos services{serviceSlots};
  GameCo* slots[kTopLevelSlots] = {};

  World() {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_RENDER_DRIVER", "software", 1);
    dp = Dp::Init();
    FillTopLevel(slots, &services);
  }
};

World& TheWorld() {
  static World world;
  return world;
}

// What a frame at rest draws, in order: star layers, planets, eyes, rocket, ball.
std::vector<Drawn> RestingFrame(const Db& db) {
  return {{46, 0, 0},     {47, 0, 0},       {48, 0, 0},
          {12, 100, 100}, {11, -100, -100}, {13, 100, -100},
          {8, 0, 0},      {14, 0, 0},       {8, db.FlipperBallX, db.FlipperBallY}};
}

void BM_GameFrame(benchmark::State& state) {
  World& w = TheWorld();
  GameCos game(w.slots);
  for (auto _ : state) {
    game.Routine(&w.dp, &w.db);
  }
}

void BM_BareFrame(benchmark::State& state) {
  World& w = TheWorld();
  const std::vector<Drawn> drawn = RestingFrame(w.db);
  const SDL_Rect canvas = {0, 0, kCanvasWidth, kCanvasHeight};
  SDL_Event event;
  for (auto _ : state) {
    SDL_RenderClear(w.dp.renderer);
    for (const Drawn& d : drawn) {
      SDL_Texture* texture = w.dp.textures[d.image];
      int width = 0, height = 0;
      SDL_QueryTexture(texture, nullptr, nullptr, &width, &height);
      const int left = d.x + 160 - width / 2, top = d.y + 90 - height / 2;
      const SDL_Rect placed = {left, top, width, height};
      SDL_Rect visible = {0, 0, 0, 0};
      SDL_IntersectRect(&canvas, &placed, &visible);
      if (visible.w < 1 || visible.h < 1) {
        continue;
      }
      const SDL_Rect source = {left < 0 ? -left : 0, top < 0 ? -top : 0, visible.w, visible.h};
      const SDL_Rect target = {left < 0 ? 0 : left, top < 0 ? 0 : top, visible.w, visible.h};
      SDL_RenderCopy(w.dp.renderer, texture, &source, &target);
    }
    SDL_RenderPresent(w.dp.renderer);
    while (SDL_PollEvent(&event)) {
    }
  }
}

}  // namespace

BENCHMARK(BM_GameFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BareFrame)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
