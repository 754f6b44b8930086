// One frame's work, everything but the 41 ms wait, headless with the software renderer: the real
// lists stepped once, on the canvas path and on the path of renderers that cannot draw to a
// texture, against the floor: a bare loop that composes the same images at the same places on a
// 320x180 texture and scales it once, and nothing else.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/game_cycle.h"
#include "platform/frame_services.h"
#include "sound/mixer.h"

namespace {

struct Drawn {
  int image, x, y;
};

// A platform object, a game record and the real lists, but for the wait.
struct Game {
  Dp dp;
  Db db = {};
  GameCo* serviceSlots[3] = {Singleton<RefreshScreen<Db*>>(), Singleton<KeyToExit<Db*>>(), nullptr};
  GameCos services{serviceSlots};
  GameCo* slots[kTopLevelSlots] = {};

  explicit Game(bool canvas) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_RENDER_DRIVER", "software", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    dp = Dp::Init();
    if (!canvas) {
      SDL_SetRenderTarget(dp.renderer, nullptr);
      SDL_DestroyTexture(dp.canvas);
      dp.canvas = nullptr;
    }
    FillTopLevel(slots, &services);
  }
};

Game& TheGame(bool canvas) {
  static Game onCanvas(true);
  static Game straight(false);
  return canvas ? onCanvas : straight;
}

// What a frame at rest draws, in order: star layers, planets, eyes, rocket, ball.
std::vector<Drawn> RestingFrame(const Db& db) {
  return {{kImageStarsDragonFly, 0, 0},
          {kImageStarsOwl, 0, 0},
          {kImageStarsSquid, 0, 0},
          {kImagePlanetFur, 100, 100},
          {kImagePlanetCotton, -100, -100},
          {kImagePlanetRobot, 100, -100},
          {kImageEyesR, 0, 0},
          {kImageRocket00, 0, 0},
          {kImageEyesR, db.FlipperBallX, db.FlipperBallY}};
}

// Arg 1: on the canvas; 0: straight to the window.
void BM_GameFrame(benchmark::State& state) {
  Game& game = TheGame(state.range(0) == 1);
  GameCos top(game.slots);
  for (auto _ : state) {
    top.Routine(&game.dp, &game.db);
  }
}

// The floor: the same images composed 1:1 on a 320x180 texture, scaled into the window once.
void BM_FloorFrame(benchmark::State& state) {
  Game& game = TheGame(true);
  SDL_Renderer* renderer = game.dp.renderer;
  SDL_Texture* canvas = game.dp.canvas;
  const std::vector<Drawn> drawn = RestingFrame(game.db);
  const SDL_Rect canvasRect = {0, 0, kCanvasWidth, kCanvasHeight};
  SDL_Event event;
  for (auto _ : state) {
    SDL_SetRenderTarget(renderer, canvas);
    SDL_RenderClear(renderer);
    for (const Drawn& d : drawn) {
      SDL_Texture* texture = game.dp.textures[d.image];
      int width = 0, height = 0;
      SDL_QueryTexture(texture, nullptr, nullptr, &width, &height);
      const int left = d.x + 160 - width / 2, top = d.y + 90 - height / 2;
      const SDL_Rect placed = {left, top, width, height};
      SDL_Rect visible = {0, 0, 0, 0};
      SDL_IntersectRect(&canvasRect, &placed, &visible);
      if (visible.w < 1 || visible.h < 1) {
        continue;
      }
      const SDL_Rect source = {left < 0 ? -left : 0, top < 0 ? -top : 0, visible.w, visible.h};
      const SDL_Rect target = {left < 0 ? 0 : left, top < 0 ? 0 : top, visible.w, visible.h};
      SDL_RenderCopy(renderer, texture, &source, &target);
    }
    SDL_SetRenderTarget(renderer, nullptr);
    SDL_RenderClear(renderer);
    SDL_RenderCopy(renderer, canvas, nullptr, nullptr);
    SDL_RenderPresent(renderer);
    while (SDL_PollEvent(&event)) {
    }
  }
  SDL_SetRenderTarget(renderer, canvas);
}

}  // namespace

// A frame's sound, the most a frame makes: 41 ms of the rumble with a knock over it (the ball
// knocks at most every few frames), mixed at 48 kHz as the queue is topped up.
void BM_FrameSound(benchmark::State& state) {
  constexpr int kRate = 48000, kFrames = kRate * 41 / 1000;
  Mixer mixer(kRate);
  std::vector<int16_t> samples(2 * kFrames);
  int frame = 0;
  for (auto _ : state) {
    mixer.Ask(kSoundThruster, 0.7f, 0.7f);
    if (frame++ % 3 == 0) {
      mixer.Ask(kSoundKnock, 0.9f, 0.3f);
    }
    mixer.Render(samples.data(), kFrames);
    benchmark::DoNotOptimize(samples.data());
  }
}

BENCHMARK(BM_GameFrame)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameSound)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FloorFrame)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
