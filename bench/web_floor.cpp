// The floor for the web page's start, built by make web-figures: the same SDL, window,
// renderer and 49 images as the game, then nothing but clearing and presenting at the game's
// pace. The game's first frame is measured against this page's.
#include <SDL.h>

#include "platform/dp.h"

int main(int argc, char* argv[]) {
  (void)argc;
  (void)argv;
  Dp dp = Dp::Init();
  for (;;) {
    SDL_RenderClear(dp.renderer);
    dp.ComposeWindow();
    SDL_RenderPresent(dp.renderer);
    dp.DrawOnCanvas();
    SDL_Delay(41);
  }
}
