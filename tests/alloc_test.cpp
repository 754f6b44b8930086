// Play allocates nothing: after the first frames, stepping the real lists makes no heap
// allocation in the game's code. Every C++ allocation is counted through a replaced operator new
// (the game's code allocates only that way; SDL's own C allocations are not ours). The same
// operator new hands out dirty memory, so start-up state that a fresh process's zeroed pages
// would hide shows here.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <new>

#include "headless.h"

namespace {

bool counting = false;
long allocations = 0;

void* Allocate(std::size_t size) {
  if (counting) {
    ++allocations;
  }
  if (void* p = std::malloc(size == 0 ? 1 : size)) {
    return std::memset(p, 0xA5, size);
  }
  throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) {
  return Allocate(size);
}
void* operator new[](std::size_t size) {
  return Allocate(size);
}
// GoogleTest (from 1.15, Debian 13's) allocates with the nothrow form; it must come from the
// same heap as the delete below frees to.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
  std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
  std::free(p);
}

using AllocationTest = Headless;

// Fills a stretch of the stack below the caller with a pattern, where the next call's frame
// will lie.
[[gnu::noinline]] void DirtyTheStack() {
  volatile unsigned char junk[1 << 16];
  for (size_t i = 0; i < sizeof junk; ++i) {
    junk[i] = 0xA5;
  }
}

TEST_F(AllocationTest, StartUpStateDoesNotComeFromFreshMemory) {
  DirtyTheStack();
  Dp fresh = Dp::Init();
  for (int k = 0; k < kKeyCount; ++k) {
    EXPECT_EQ(fresh.keys[k], 0) << "flag " << k;
  }
  EXPECT_EQ(fresh.cameraX, 0);
  EXPECT_EQ(fresh.cameraY, 0);
  EXPECT_EQ(fresh.event.type, 0u);
  Release(fresh);
}

TEST_F(AllocationTest, SteppingFramesAllocatesNothing) {
  GameCos services = GameCycle();
  GameCo* slots[kTopLevelSlots];
  FillTopLevel(slots, &services);
  GameCos game(slots);
  VirtualPad pad;  // plugged in before the count starts: opening a pad may allocate
  Step(&game);     // the start states
  Step(&game);

  counting = true;
  allocations = 0;
  delete new int(1);  // the counter itself works
  EXPECT_EQ(allocations, 1);
  allocations = 0;
  // Turn, thrust, coast and turn back, with real key events read by KeyToExit, and the pad's
  // stick and thrust button read with them; the sound off and on again, the rumble and the
  // ball's knocks playing.
  db.FlipperBallX = 140;
  const SDL_Keycode script[] = {SDLK_RIGHT, SDLK_UP, SDLK_LEFT, SDLK_DOWN, SDLK_a, SDLK_m};
  for (int frame = 0; frame < 48; ++frame) {
    const SDL_Keycode key = script[frame / 4 % 6];
    PushKey(frame % 4 == 3 ? SDL_KEYUP : SDL_KEYDOWN, key);
    pad.Tilt(SDL_CONTROLLER_AXIS_LEFTX, frame % 8 < 3 ? -20000 : 0);
    pad.Press(SDL_CONTROLLER_BUTTON_A, frame % 6 == 0);
    Step(&game);
  }
  counting = false;
  EXPECT_EQ(allocations, 0) << "heap allocations while stepping 48 frames";
  EXPECT_NE(db.RocketX, 0) << "the script flew the rocket";
}
