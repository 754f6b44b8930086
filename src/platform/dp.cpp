// Start-up of the platform object: SDL, the window, the renderer and the image table.
#include "platform/dp.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/asset_files.h"
#include "platform/audio.h"
#include "platform/controls.h"
#include "platform/frame_trace.h"
#include "platform/image_table.h"

namespace {

constexpr int kWindowWidth = 1280;
constexpr int kWindowHeight = 720;
constexpr int kScratchBytes = 1600;
// Pixels of this colour are see-through in every image.
constexpr Uint8 kKeyRed = 222, kKeyGreen = 173, kKeyBlue = 190;

#ifdef __EMSCRIPTEN__
// The page sizes the canvas by the device's pixel ratio itself, which SDL's high-DPI backing
// store would fight.
constexpr Uint32 kWindowFlags = SDL_WINDOW_SHOWN;
#else
// On a scaled desktop the window keeps its size in the desktop's units and the renderer draws
// into all its real pixels, where the logical size centres the canvas at the largest whole
// scale: 6x at 150%, 8x at 200%. Unscaled screens and X11 see no difference.
constexpr Uint32 kWindowFlags = SDL_WINDOW_SHOWN | SDL_WINDOW_ALLOW_HIGHDPI;

// Asks the systems that scale windows by themselves for the real pixels instead. Set before
// SDL_Init, which reads them.
void AskForRealPixels() {
#ifdef _WIN32
  // SDL then sizes the window in the desktop's units. The exe's manifest has declared the game
  // aware of each monitor's scale, so the system stretches nothing; without this the window
  // would be a small 1280x720 pixels.
  SDL_SetHint(SDL_HINT_WINDOWS_DPI_SCALING, "1");
#endif
  // SDL3 beneath SDL2's name (sdl2-compat) sizes every Wayland window in screen pixels,
  // whatever its flags: a quarter-size window on a 200% desktop. It sets this as SDL starts, so
  // only an override outlasts it; a player's own choice in the environment still stands.
  // Classic SDL2 keeps a hint it does not know and never reads it.
  constexpr const char* kScaleToDisplay = "SDL_VIDEO_WAYLAND_SCALE_TO_DISPLAY";
  if (std::getenv(kScaleToDisplay) == nullptr) {
    SDL_SetHintWithPriority(kScaleToDisplay, "0", SDL_HINT_OVERRIDE);
  }
}
#endif

}  // namespace

Dp Dp::Init(bool muted) {
  // A display found by SDL itself, not a driver named on purpose (headless tests).
  const bool searched = std::getenv("SDL_VIDEODRIVER") == nullptr;
#ifndef __EMSCRIPTEN__
  AskForRealPixels();
#endif
  if (SDL_Init(SDL_INIT_VIDEO) < 0) {
    // SDL3 beneath SDL2's name (sdl2-compat) fails here when it finds no display at all.
    Crash(searched ? "No display to open the window on" : "SDL could not initialize");
  }
  // With no display classic SDL2 quietly falls back to a window nobody can see or steer.
  const char* driver = SDL_GetCurrentVideoDriver();
  if (searched && driver != nullptr &&
      (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0)) {
    SDL_SetError("no display was found (is DISPLAY or WAYLAND_DISPLAY set?)");
    Crash("No display to open the window on");
  }
  // Without game controllers the keyboard still plays, so their failure is no reason to stop.
  SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER);
  SDL_Window* window = SDL_CreateWindow("title", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                        kWindowWidth, kWindowHeight, kWindowFlags);
  if (window == nullptr) {
    Crash("Window could not be created");
  }
  // Pixel art stays crisp: whole-pixel sampling when the canvas is scaled up.
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED);
  if (renderer == nullptr) {
    // No GPU, or a browser that lends the page no WebGL: SDL draws the same picture itself.
    // Should that fail too, the reason given is the first one, as it always was.
    const std::string reason = SDL_GetError();
    renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    if (renderer == nullptr) {
      SDL_SetError("%s", reason.c_str());
      Crash("Renderer could not be created");
    }
  }
  SDL_SetRenderDrawColor(renderer, 0, 0, 0, 0);
  SDL_RenderSetIntegerScale(renderer, SDL_TRUE);
  SDL_RenderSetLogicalSize(renderer, kCanvasWidth, kCanvasHeight);

  Dp dp{};
  dp.renderer = renderer;
  dp.window = window;
  dp.canvas = MakeCanvas(renderer);
  if (dp.canvas == nullptr) {
    // Standard output is the game's log and stays as it is; this only explains a slow machine.
    std::fprintf(stderr,
                 "rocket: the renderer cannot draw to a texture; each image is scaled into the "
                 "window on its own, which is slower\n");
  }
  dp.DrawOnCanvas();
  dp.scratch = new uint8_t[kScratchBytes];
  dp.keys = new uint8_t[kKeyCount]();
  dp.controls = new Controls();
  dp.textures = new SDL_Texture*[kImageCount];
  const std::string root = FindAssetRoot();
  for (int image = 0; image < kImageCount; ++image) {
    dp.LoadImage(image, ImagePath(image), root);
  }
  dp.audio = new Audio(muted);
  dp.trace = FrameTrace::FromEnvironment();
  return dp;
}

void Dp::LoadImage(int image, const char* filePath, const std::string& root) {
  std::printf("loading %s\n", filePath);
  // A file that cannot be opened is reported with the reason for that ("Couldn't open ..."),
  // not the bitmap reader's complaint about a null stream.
  SDL_RWops* file = OpenAsset((root + filePath).c_str());
  SDL_Surface* surface = file != nullptr ? SDL_LoadBMP_RW(file, 1) : nullptr;
  if (surface == nullptr) {
    Crash("Unable to load");
  }
  SDL_SetColorKey(surface, SDL_TRUE, SDL_MapRGB(surface->format, kKeyRed, kKeyGreen, kKeyBlue));
  SDL_Texture* texture = SDL_CreateTextureFromSurface(renderer, surface);
  if (texture == nullptr) {
    Crash("Unable to create texture");
  }
  SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
  SDL_FreeSurface(surface);
  textures[image] = texture;
}

void Crash(const char* message) {
  const std::string line = std::string("error : ") + message + " ! " + SDL_GetError() + " ";
  std::printf("%s\n", line.c_str());
#if defined(_WIN32) || defined(ROCKET_ERROR_BOX)
  // A player who started the game from Explorer or a file manager has no terminal to read the
  // line in.
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Rocket", line.c_str(), nullptr);
#endif
  SDL_Quit();
  std::exit(1);
}
