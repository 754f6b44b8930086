// The window's two sizes: 1280x720, and the whole screen. Called by KeyToExit on F11 and
// Alt+Enter.
#include "platform/dp.h"

void Dp::ToggleFullscreen() {
  const bool fullscreen = (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) != 0;
  // Desktop fullscreen keeps the screen's own mode, so switching is quick and nothing flickers;
  // the renderer's logical size and integer scale then centre the canvas with black bars.
  SDL_SetWindowFullscreen(window, fullscreen ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
  SDL_ShowCursor(fullscreen ? SDL_ENABLE : SDL_DISABLE);
}
