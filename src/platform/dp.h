// The platform object: everything the game takes from SDL. Made once by Dp::Init before the
// frame loop, then handed by pointer to every Routine. Only src/platform talks to SDL.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>

#include "platform/image_table.h"
#include "sound/sound_table.h"

class Audio;
class Controls;
class FrameTrace;

// Indices of the key flags: 1 while the key is held.
enum Key { kKeyUp, kKeyDown, kKeyLeft, kKeyRight, kKeySpare, kKeyCount };

constexpr int kCanvasWidth = 320;
constexpr int kCanvasHeight = 180;

struct Dp {
  SDL_Event event;         // the buffer KeyToExit polls each pending event into
  SDL_Renderer* renderer;  // the window's renderer, drawing on the 320x180 logical canvas
  SDL_Window* window;      // the game window
  SDL_Texture** textures;  // heap array of one texture per image number
  uint8_t* scratch;        // 1600 heap bytes reserved for later use; nothing touches them
  uint8_t* keys;           // heap array of kKeyCount flags, written by KeyToExit
  int32_t cameraX;         // the world point shown at the centre of the canvas
  int32_t cameraY;
  SDL_Texture* canvas;  // the frame, drawn 1:1; null where images go straight to the window
  Controls* controls;   // the keyboard's levels and the open game controllers, behind `keys`
  Audio* audio;         // the sound device and its mixer; silent when there is no device
  FrameTrace* trace;    // a line a frame on standard error for tests; null unless asked for

  // Starts SDL, opens the window and loads every image, then the sound, off from the start if
  // `muted`; ends the process through Crash on any failure but the sound's. Called once, by
  // main.
  static Dp Init(bool muted = false);

  // Loads one bitmap with its key colour made transparent into textures[image]. The file is
  // read from `root` + `filePath`; the loading line names `filePath` alone.
  void LoadImage(int image, const char* filePath, const std::string& root = "");

  // Draws image number `image` centred on world point (x, y) as seen from the camera, clipped
  // to the canvas. The one drawing operation of the game.
  void Blit(int image, int x, int y);

  // Plays `sound` in this frame as heard from world point (x, y): balanced left or right by
  // where the point lies across the canvas, and fading with its distance beyond the canvas's
  // edge, to nothing two canvas widths out. The one sound operation of the game.
  void Play(Sound sound, int x, int y);

  // The two halves of presenting, called by RefreshScreen around SDL_RenderPresent. The first
  // scales the finished canvas into the window (black wherever the window is not an exact
  // multiple) and leaves the window as the render target, so that a frame can be read back
  // before it is presented; the second turns drawing back to the canvas. Both do nothing when
  // images are drawn straight to the window.
  void ComposeWindow();
  void DrawOnCanvas();

  // Switches between the 1280x720 window and desktop fullscreen, where the canvas is scaled by
  // the largest whole number that fits, with black bars, and the mouse pointer is hidden.
  void ToggleFullscreen();
};

// A 320x180 texture to draw a frame on, or null where the renderer cannot draw to a texture.
SDL_Texture* MakeCanvas(SDL_Renderer* renderer);

// The size of a texture as the rectangle (0, 0, width, height); all zero if SDL cannot tell.
SDL_Rect GetRect(SDL_Texture* texture);

// The overlap of two rectangles; its width or height is 0 or less when they do not overlap.
SDL_Rect IntersectRect(SDL_Rect a, SDL_Rect b);

// Reports a start-up failure with SDL's reason on standard output (and in a message box on
// Windows) and ends the process with exit status 1: a game that could not start must not look
// like it ran.
[[noreturn]] void Crash(const char* message);
