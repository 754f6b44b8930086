// A headless harness for tests that run the real platform code: the dummy video driver, the
// software renderer, the real Dp::Init and the generated assets (tests run in the build tree).
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/game_cycle.h"
#include "platform/audio.h"

// One frame read back from the renderer's current target (the canvas, or the window once
// composed), addressed in canvas (logical) pixels.
class Frame {
 public:
  explicit Frame(SDL_Renderer* renderer);
  // The pixel as 0xRRGGBB.
  uint32_t At(int x, int y) const;
  // Every pixel read, in output pixels.
  const std::vector<uint32_t>& Pixels() const { return pixels_; }
  // Writes the frame as a bitmap, to look at what a test saw.
  void Save(const std::string& path) const;

 private:
  int width_ = 0;
  int height_ = 0;
  int scale_ = 1;
  std::vector<uint32_t> pixels_;
};

class Headless : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Steps a list once, as the frame loop does.
  void Step(GameCo* co) { co->Routine(&dp, &db); }

  Dp dp{};
  Db db{};
};

// Turns a platform object made by Dp::Init to the path of renderers that cannot draw to a
// texture: from now on every image is scaled straight into the window.
void DrawStraightToWindow(Dp& dp);

// Releases what Dp::Init made but SDL itself, so the sanitized suite can tell a leak of the
// game's from the harness's.
void Release(Dp& dp);

// While one is alive, the SDL calls that make up a frame are noted in order: "present",
// "wait<ms>", "poll" for one reading of the event queue, however many events it takes (SDL3
// beneath SDL2's name has a few more at the start), "queue" for samples handed to the sound device,
// and "copy:<name>" for a copy of an image's texture, by its file name ("copy:canvas" for the
// canvas). The test binaries define these SDL functions themselves, pass every call on to SDL, and
// note it only while a log is alive.
class CallLog {
 public:
  explicit CallLog(const Dp& dp);
  ~CallLog();
  // The calls since the last Take, separated by blanks.
  std::string Take();
  void Note(const std::string& call);
  void NoteRead();
  void NoteCopy(SDL_Texture* texture);
  // The sound device samples were last queued for, 0 before any.
  SDL_AudioDeviceID QueuedDevice() const { return queuedDevice_; }
  // Every sample queued while the log is alive, in order, left and right interleaved.
  const std::vector<int16_t>& Queued() const { return queued_; }
  // For each queueing, the sample frames it left waiting for the device, by the game's own
  // reckoning: what its last look at the queue found, and what it added.
  const std::vector<uint32_t>& TopUps() const { return topUps_; }
  void NoteQueue(SDL_AudioDeviceID device, const void* data, Uint32 bytes);
  void NoteQueuedSize(Uint32 bytes) { seenBytes_ = bytes; }

 private:
  const Dp& dp_;
  std::string calls_;
  SDL_AudioDeviceID queuedDevice_ = 0;
  std::vector<int16_t> queued_;
  std::vector<uint32_t> topUps_;
  Uint32 seenBytes_ = 0;
};

// While true, SDL_CreateRenderer makes no software renderer, whether asked for one or given one
// for want of a better, as on a window nothing can draw on at all (the test binaries stand in
// for that call too).
extern bool refuseSoftwareRenderer;

// A texture whose every pixel tells where it came from: red and green hold x and y (low bytes),
// blue their high bits with the top bit set, so no texel is black.
SDL_Texture* CoordinateTexture(SDL_Renderer* renderer, int w, int h);
uint32_t CoordinateColour(int x, int y);

// A frame's sound, as the mixer renders it for the queue: one 41 ms frame of stereo samples at
// the mixer's rate, left and right interleaved, without the device.
std::vector<int16_t> Listen(Dp& dp);

// The loudest sample of each channel, over sample frames [from, to) of `samples`, `to` cut
// at the end (-1 for the end).
struct Peaks {
  int left = 0, right = 0;
  int Both() const { return left > right ? left : right; }
};
Peaks PeaksOf(const std::vector<int16_t>& samples, int from = 0, int to = -1);

// Puts a key event of `type` for `key`, with modifier keys `mod` held, on SDL's queue; with
// `repeat`, as the key repeat of a held key.
void PushKey(Uint32 type, SDL_Keycode key, Uint16 mod = KMOD_NONE, bool repeat = false);
void PushEvent(Uint32 type);

// A game controller made by SDL's virtual joystick driver: SDL sees it plugged in, and the
// test sets its buttons and axes. Unplugged when it goes out of scope, if not before.
class VirtualPad {
 public:
  VirtualPad();
  ~VirtualPad();
  void Press(SDL_GameControllerButton button, bool down = true);
  void Tilt(SDL_GameControllerAxis axis, int value);
  void Unplug();

 private:
  int device_ = -1;
  SDL_Joystick* joystick_ = nullptr;
};

// The real top-level list, with a services list that neither presents nor waits, so frames can
// be stepped quickly and read back afterwards.
class GameTest : public Headless {
 protected:
  void SetUp() override;
  // One frame of the top-level list; what it drew stays in the renderer until the next frame.
  void RunFrame() { Step(game_.get()); }
  void RunFrames(int n) {
    for (int i = 0; i < n; ++i) {
      RunFrame();
    }
  }
  GameCo* RocketState() const { return slots_[3]; }
  GameCo* CaptainState() const { return slots_[2]; }

 private:
  GameCo* noServices_[1] = {nullptr};
  GameCos quiet_{noServices_};
  GameCo* slots_[kTopLevelSlots] = {};
  std::unique_ptr<GameCos> game_;
};
