#include "headless.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/audio.h"
#include "platform/controls.h"
#include "platform/frame_trace.h"
#include "platform/image_table.h"

Frame::Frame(SDL_Renderer* renderer) {
  SDL_GetRendererOutputSize(renderer, &width_, &height_);
  scale_ = width_ / kCanvasWidth;
  pixels_.resize(size_t(width_) * height_);
  SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, pixels_.data(), width_ * 4);
}

uint32_t Frame::At(int x, int y) const {
  return pixels_[size_t(y * scale_) * width_ + x * scale_] & 0xFFFFFF;
}

void Frame::Save(const std::string& path) const {
  SDL_Surface* s =
      SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(pixels_.data()), width_, height_, 32,
                                         width_ * 4, SDL_PIXELFORMAT_ARGB8888);
  SDL_SaveBMP(s, path.c_str());
  SDL_FreeSurface(s);
}

namespace {

// The tests in process draw with the dummy driver and never reach a display. One named in the
// environment would still lead SDL's D-Bus code to start a session bus through X, which fails
// where none can be started and leaves a buffer of libdbus's to the leak checker.
[[maybe_unused]] const int kNoDisplay = unsetenv("DISPLAY");

}  // namespace

void Headless::SetUp() {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_RENDER_DRIVER", "software", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 0);  // unless a test named a driver of its own
  dp = Dp::Init();
  db = Db{};
  SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}

void Headless::TearDown() {
  SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);  // leave no injected event behind
  Release(dp);
  SDL_Quit();
}

void Release(Dp& dp) {
  delete[] dp.textures;
  delete[] dp.scratch;
  delete[] dp.keys;
  delete dp.controls;  // closes the pads it had open
  delete dp.audio;     // and the sound device
  delete dp.trace;
  // Back on the window first: SDL 2.26 leaks a little when the renderer dies drawing to a
  // texture.
  SDL_SetRenderTarget(dp.renderer, nullptr);
  SDL_DestroyRenderer(dp.renderer);  // and every texture made on it
  SDL_DestroyWindow(dp.window);
}

VirtualPad::VirtualPad() {
  // SDL ignores pads while no window of the program has the keyboard's focus, and the dummy
  // driver's window never has it.
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  SDL_VirtualJoystickDesc desc{};
  desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  desc.naxes = SDL_CONTROLLER_AXIS_MAX;  // in SDL's controller order, so mapped one to one
  desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
  desc.name = "virtual pad";
  device_ = SDL_JoystickAttachVirtualEx(&desc);
  EXPECT_GE(device_, 0) << SDL_GetError();
  joystick_ = SDL_JoystickOpen(device_);
  EXPECT_NE(joystick_, nullptr) << SDL_GetError();
}

VirtualPad::~VirtualPad() {
  Unplug();
}

void VirtualPad::Press(SDL_GameControllerButton button, bool down) {
  SDL_JoystickSetVirtualButton(joystick_, button, down ? SDL_PRESSED : SDL_RELEASED);
}

void VirtualPad::Tilt(SDL_GameControllerAxis axis, int value) {
  SDL_JoystickSetVirtualAxis(joystick_, axis, Sint16(value));
}

void VirtualPad::Unplug() {
  if (joystick_ == nullptr) {
    return;
  }
  const SDL_JoystickID id = SDL_JoystickInstanceID(joystick_);
  SDL_JoystickClose(joystick_);
  joystick_ = nullptr;
  for (int i = 0; i < SDL_NumJoysticks(); ++i) {
    if (SDL_JoystickGetDeviceInstanceID(i) == id) {
      SDL_JoystickDetachVirtual(i);
    }
  }
}

void DrawStraightToWindow(Dp& dp) {
  SDL_SetRenderTarget(dp.renderer, nullptr);
  SDL_DestroyTexture(dp.canvas);
  dp.canvas = nullptr;
}

namespace {

CallLog* activeLog = nullptr;

// SDL's own definition of a function that the test binaries define too.
template <typename Function>
Function Next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

CallLog::CallLog(const Dp& dp) : dp_(dp) {
  activeLog = this;
}

CallLog::~CallLog() {
  activeLog = nullptr;
}

std::string CallLog::Take() {
  std::string calls;
  calls.swap(calls_);
  return calls;
}

void CallLog::Note(const std::string& call) {
  calls_ += calls_.empty() ? call : " " + call;
}

void CallLog::NoteRead() {
  const std::string poll = "poll";
  if (calls_.size() < poll.size() ||
      calls_.compare(calls_.size() - poll.size(), poll.size(), poll) != 0) {
    Note(poll);
  }
}

void CallLog::NoteQueue(SDL_AudioDeviceID device, const void* data, Uint32 bytes) {
  Note("queue");
  queuedDevice_ = device;
  const auto* samples = static_cast<const int16_t*>(data);
  queued_.insert(queued_.end(), samples, samples + bytes / sizeof(int16_t));
  topUps_.push_back((seenBytes_ + bytes) / (2 * sizeof(int16_t)));
}

void CallLog::NoteCopy(SDL_Texture* texture) {
  if (texture == dp_.canvas) {
    Note("copy:canvas");
    return;
  }
  for (int image = 0; image < kImageCount; ++image) {
    if (dp_.textures[image] == texture) {
      const std::string path = ImagePath(image);  // "assets/<name>.bmp"
      Note("copy:" + path.substr(7, path.size() - 11));
      return;
    }
  }
  Note("copy:?");
}

extern "C" {

void SDL_RenderPresent(SDL_Renderer* renderer) {
  static const auto next = Next<void (*)(SDL_Renderer*)>("SDL_RenderPresent");
  if (activeLog != nullptr) {
    activeLog->Note("present");
  }
  next(renderer);
}

void SDL_Delay(Uint32 ms) {
  static const auto next = Next<void (*)(Uint32)>("SDL_Delay");
  if (activeLog != nullptr) {
    activeLog->Note("wait" + std::to_string(ms));
  }
  next(ms);
}

int SDL_QueueAudio(SDL_AudioDeviceID device, const void* data, Uint32 bytes) {
  static const auto next = Next<int (*)(SDL_AudioDeviceID, const void*, Uint32)>("SDL_QueueAudio");
  if (activeLog != nullptr) {
    activeLog->NoteQueue(device, data, bytes);
  }
  return next(device, data, bytes);
}

Uint32 SDL_GetQueuedAudioSize(SDL_AudioDeviceID device) {
  static const auto next = Next<Uint32 (*)(SDL_AudioDeviceID)>("SDL_GetQueuedAudioSize");
  const Uint32 bytes = next(device);
  if (activeLog != nullptr) {
    activeLog->NoteQueuedSize(bytes);
  }
  return bytes;
}

int SDL_PollEvent(SDL_Event* event) {
  static const auto next = Next<int (*)(SDL_Event*)>("SDL_PollEvent");
  if (activeLog != nullptr) {
    activeLog->NoteRead();
  }
  return next(event);
}

int SDL_RenderCopy(SDL_Renderer* renderer, SDL_Texture* texture, const SDL_Rect* source,
                   const SDL_Rect* destination) {
  static const auto next =
      Next<int (*)(SDL_Renderer*, SDL_Texture*, const SDL_Rect*, const SDL_Rect*)>(
          "SDL_RenderCopy");
  if (activeLog != nullptr) {
    activeLog->NoteCopy(texture);
  }
  return next(renderer, texture, source, destination);
}

SDL_Renderer* SDL_CreateRenderer(SDL_Window* window, int index, Uint32 flags) {
  static const auto next = Next<SDL_Renderer* (*)(SDL_Window*, int, Uint32)>("SDL_CreateRenderer");
  if (refuseSoftwareRenderer && (flags & SDL_RENDERER_SOFTWARE) != 0) {
    SDL_SetError("no software renderer either");
    return nullptr;
  }
  SDL_Renderer* renderer = next(window, index, flags);
  SDL_RendererInfo info{};
  // SDL3 beneath SDL2's name answers a request for an accelerated renderer with a software one
  // where there is nothing better; classic SDL2 refuses it.
  if (refuseSoftwareRenderer && renderer != nullptr && SDL_GetRendererInfo(renderer, &info) == 0 &&
      std::strcmp(info.name, "software") == 0) {
    SDL_DestroyRenderer(renderer);
    SDL_SetError("no accelerated renderer");
    return nullptr;
  }
  return renderer;
}

}  // extern "C"

bool refuseSoftwareRenderer = false;

uint32_t CoordinateColour(int x, int y) {
  const uint32_t blue = 0x80 | ((x >> 8) << 4) | (y >> 8);
  return (uint32_t(x & 0xFF) << 16) | (uint32_t(y & 0xFF) << 8) | blue;
}

SDL_Texture* CoordinateTexture(SDL_Renderer* renderer, int w, int h) {
  std::vector<uint32_t> texels(size_t(w) * h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      texels[size_t(y) * w + x] = 0xFF000000 | CoordinateColour(x, y);
    }
  }
  SDL_Texture* texture =
      SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, w, h);
  SDL_UpdateTexture(texture, nullptr, texels.data(), w * 4);
  return texture;
}

std::vector<int16_t> Listen(Dp& dp) {
  Mixer& mixer = dp.audio->GetMixer();
  const int frames = mixer.Rate() * 41 / 1000;
  std::vector<int16_t> samples(size_t(frames) * 2);
  mixer.Render(samples.data(), frames);
  return samples;
}

Peaks PeaksOf(const std::vector<int16_t>& samples, int from, int to) {
  Peaks peaks;
  const int frames = int(samples.size() / 2);
  const int end = to < 0 || to > frames ? frames : to;
  for (int i = from; i < end; ++i) {
    peaks.left = std::max(peaks.left, std::abs(int(samples[2 * size_t(i)])));
    peaks.right = std::max(peaks.right, std::abs(int(samples[2 * size_t(i) + 1])));
  }
  return peaks;
}

void PushKey(Uint32 type, SDL_Keycode key, Uint16 mod, bool repeat) {
  SDL_Event event{};
  event.key.keysym.mod = mod;
  event.key.repeat = repeat ? 1 : 0;
  event.type = type;
  event.key.type = type;
  event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  event.key.keysym.sym = key;
  SDL_PushEvent(&event);
}

void PushEvent(Uint32 type) {
  SDL_Event event{};
  event.type = type;
  SDL_PushEvent(&event);
}

void GameTest::SetUp() {
  Headless::SetUp();
  FillTopLevel(slots_, &quiet_);
  game_ = std::make_unique<GameCos>(slots_);
}
