// The sound output device: the default one, opened at start and, whenever there is none, looked
// for again about once a second. Sound servers restart (after an update, on resume, when
// headphones change profile), and SDL connects to one only when its audio starts, so a search
// starts SDL's audio anew; it runs on a thread of its own, off the frame, since connecting to a
// server that is still starting can block.
#pragma once

#include <SDL.h>

class AudioDevice {
 public:
  // Opens the default device now. Without one (none there, or SDL's audio cannot start) the
  // game plays on silently, after one line on standard error.
  AudioDevice();
  ~AudioDevice() { Close(); }
  AudioDevice(const AudioDevice&) = delete;
  AudioDevice& operator=(const AudioDevice&) = delete;

  // Samples are 16-bit, left and right interleaved.
  static constexpr int kChannels = 2;

  // 0 while there is none.
  SDL_AudioDeviceID Id() const { return id_; }
  int Rate() const { return rate_; }
  // What the device holds beyond SDL's queue, in sample frames.
  int BufferFrames() const { return bufferFrames_; }

  // Once a frame. With a device, notices its loss (one line, then none) whether or not anything
  // sounds. Without one, takes over the device a finished search found (one line; then true),
  // or starts a search when a second has passed since the last one started.
  bool Watch();

  // Lets go of the device after a failure, with one line saying why, and looks for another.
  void Drop(const char* why);

  // SDL's word that an output device went away: `which` is the game's own device, or 0 for one
  // it did not open.
  void Removed(SDL_AudioDeviceID which);

  // Closes the device for good, at quit: no more searches.
  void Close();

 private:
  struct Opened {
    SDL_AudioDeviceID id = 0;
    int rate = 0;
    int bufferFrames = 0;
  };
  static Opened Open();
  static int Search(void* self);
  void Take(const Opened& opened);

  SDL_AudioDeviceID id_ = 0;
  SDL_AudioDeviceID lost_ = 0;  // let go of, not yet closed
  int rate_ = 0;
  int bufferFrames_ = 0;
  SDL_Thread* search_ = nullptr;
  SDL_atomic_t searchDone_{};
  Opened found_;              // what the search found, read once searchDone_ is set
  Uint32 searchStarted_ = 0;  // SDL_GetTicks of the last search's start, or of the loss
  bool closed_ = false;
};
