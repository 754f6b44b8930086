// What is heard: the sounds themselves, where they are placed, the device found and lost, and
// the game's frames as the player hears them through SDL's disk driver.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "headless.h"
#include "platform/audio.h"
#include "platform/frame_services.h"

using SoundTest = Headless;

// A sound is balanced by where its point lies across the canvas, as seen from the camera, and
// fades beyond the canvas's edge, to nothing two canvas widths out.
TEST_F(SoundTest, PlayBalancesBySideAndFadesWithDistanceFromTheView) {
  dp.cameraX = 1000;
  dp.cameraY = -50;
  const auto knock = [this](int x, int y) {
    dp.Play(kSoundKnock, x, y);
    const Peaks heard = PeaksOf(Listen(dp));
    for (int frame = 0; frame < 3; ++frame) {
      Listen(dp);  // to its end, before the next
    }
    return heard;
  };
  const Peaks centre = knock(1000, -50), left = knock(1000 - 150, -50);
  const Peaks right = knock(1000 + 150, 40), below = knock(1000, -50 + 300);
  EXPECT_EQ(centre.left, centre.right);
  EXPECT_GT(left.left, 3 * left.right);
  EXPECT_GT(right.right, 3 * right.left);
  EXPECT_GT(left.right, 0) << "the far speaker keeps a little";
  EXPECT_NEAR(left.left, right.right, 2) << "the two sides mirror each other";
  EXPECT_EQ(below.left, below.right);
  EXPECT_LT(below.left, centre.left) << "past the bottom edge";
  const Peaks inside = knock(1000, -50 + 85);
  EXPECT_EQ(inside.left, centre.left) << "anywhere on the canvas is as near as its centre";
  dp.audio->GetMixer().Ask(kSoundKnock, 0.70710678f, 0.70710678f);  // full gain, balanced
  EXPECT_NEAR(PeaksOf(Listen(dp)).left, centre.left, 1) << "the centre is heard at full gain";
  for (int frame = 0; frame < 3; ++frame) {
    Listen(dp);
  }
  dp.Play(kSoundKnock, 1000 + 600, -50);  // two in one frame: one knock, as loud as the louder
  EXPECT_EQ(knock(1000, -50).left, centre.left);
  int last = INT_MAX;
  for (int beyond : {0, 40, 160, 320, 600}) {  // leaving the view to the right
    const int heard = knock(1000 + 160 + beyond, -50).Both();
    EXPECT_LT(heard, last) << beyond << " pixels past the edge";
    EXPECT_GT(heard, 0) << beyond << " pixels past the edge";
    last = heard;
  }
  // The two laws the sound's page states. Loudness: (1 - d / 640) squared, d pixels past the
  // canvas's edge. Balance: at the edge and beyond, the far speaker keeps 0.158 of the near
  // one's level (cos 81 / sin 81 degrees); at the centre each has 0.707 of full.
  const double full = centre.left / 0.70710678;
  for (int beyond : {40, 160, 320, 480}) {
    const Peaks heard = knock(1000 + 160 + beyond, -50);
    const double curve = (1 - beyond / 640.0) * (1 - beyond / 640.0);
    EXPECT_NEAR(heard.right / 0.98768834 / full, curve, 0.002) << beyond << " pixels past the edge";
    EXPECT_NEAR(double(heard.left) / heard.right, 0.15838444, 0.002) << beyond << " pixels out";
    const Peaks mirrored = knock(1000 - 160 - beyond, -50);
    EXPECT_NEAR(double(mirrored.right) / mirrored.left, 0.15838444, 0.002) << beyond << " left";
  }
  const Peaks edge = knock(1000 - 160, -50);
  EXPECT_NEAR(double(edge.right) / edge.left, 0.15838444, 0.002) << "the far speaker at the edge";
  EXPECT_NEAR(edge.left / 0.98768834, full, 2) << "the whole canvas is as near as its centre";
  EXPECT_EQ(knock(1000 + 160 + 640, -50).Both(), 0);
  EXPECT_EQ(knock(1000 - 160 - 700, -50 - 90 - 700).Both(), 0);
  EXPECT_EQ(knock(INT32_MIN, INT32_MAX).Both(), 0);
}

// The samples are a pure function of what the frames asked for: the same every time, and the
// same as when this test was written (the synthesizer and its noise seed). A change of any
// sound's row or of the synthesizer changes the sum below; look at the sound, then update it.
TEST(Sound, EverySoundIsTheSameEveryTime) {
  const auto play = [] {
    Mixer mixer(48000);
    std::vector<int16_t> frame(1968 * 2);
    uint64_t hash = 1469598103934665603u;  // FNV-1a over every sample
    for (int f = 0; f < 6; ++f) {
      if (f < 4) {
        mixer.Ask(kSoundThruster, 0.7f, 0.7f);
      }
      if (f == 1) {
        mixer.Ask(kSoundKnock, 0.9f, 0.3f);
      }
      mixer.Render(frame.data(), 1968);
      for (const int16_t sample : frame) {
        hash = (hash ^ uint16_t(sample)) * 1099511628211u;
      }
    }
    return hash;
  };
  EXPECT_EQ(play(), play());
  // One sum for each architecture: AArch64's C library rounds a few sines and exponentials
  // otherwise than x86-64's, which moves 6 of these 23616 samples by one step.
#if defined(__aarch64__)
  EXPECT_EQ(play(), 0xa1324663f3d83936u);
#else
  EXPECT_EQ(play(), 0x5a850f314bd2313au);
#endif
}

// However many sounds play at once, the mix stays below full scale.
TEST_F(SoundTest, SoundsPlayingAtOnceNeverReachFullScale) {
  int loudest = 0;
  for (int frame = 0; frame < 12; ++frame) {
    dp.Play(kSoundThruster, 0, 0);
    for (int x : {-160, 0, 160}) {
      dp.Play(kSoundKnock, x, 0);
    }
    Mixer& mixer = dp.audio->GetMixer();
    mixer.Ask(kSoundKnock, 1, 1);  // louder than any point can make it
    mixer.Ask(kSoundThruster, 1, 1);
    const std::vector<int16_t> sound = Listen(dp);
    for (const int16_t sample : sound) {
      ASSERT_LT(std::abs(int(sample)), 32767) << "frame " << frame;
      ASSERT_GT(sample, INT16_MIN);
    }
    loudest = std::max(loudest, PeaksOf(sound).Both());
  }
  EXPECT_GT(loudest, 32767 / 3) << "the test played something loud";
}

// Frames with the thruster asked for until the device is back or `ms` pass; how long it took.
Uint32 FramesUntilADevice(Audio& audio, Uint32 ms) {
  const Uint32 start = SDL_GetTicks();
  while (!audio.HasDevice() && SDL_GetTicks() - start < ms) {
    audio.Play(kSoundThruster, 1, 1);
    audio.Flush();
    SDL_Delay(10);
  }
  return SDL_GetTicks() - start;
}

// With no sound device, or one lost during play, the game plays on silently after one line on
// standard error, and takes a device when there is one again, with one more line.
TEST(Sound, WithoutADeviceTheGamePlaysOnSilently) {
  for (const char* driver : {"nonexistent", "disk"}) {
    setenv("SDL_AUDIODRIVER", driver, 1);
    setenv("SDL_DISKAUDIOFILE", "/nonexistent/folder/sound.raw", 1);  // cannot be written
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    {
      Audio audio(false);
      EXPECT_FALSE(audio.HasDevice()) << driver;
      audio.Play(kSoundKnock, 1, 1);
      audio.Flush();
      audio.ToggleMute();
      audio.Flush();
    }
    SDL_Quit();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.rfind("rocket: no sound (", 0), 0u) << driver << ": " << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << driver << ": " << said;
  }
  // None at start, then one that only SDL's audio started anew can find (here another driver;
  // a sound server that starts after the game is found the same way).
  setenv("SDL_AUDIODRIVER", "disk", 1);  // still with a file that cannot be written
  testing::internal::CaptureStderr();
  {
    Audio audio(false);
    ASSERT_FALSE(audio.HasDevice());
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    FramesUntilADevice(audio, 3000);
    EXPECT_TRUE(audio.HasDevice()) << "a device that came after the game is taken";
    EXPECT_TRUE(audio.GetMixer().Idle()) << "what was asked with no device is not played late";
  }
  SDL_Quit();
  std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(said.rfind("rocket: no sound (", 0), 0u) << said;
  EXPECT_NE(said.find("\nrocket: sound is back\n"), std::string::npos) << said;
  // A device lost during play (here SDL's audio stops under the game), even with nothing
  // sounding: one line, then silence; about a second later it is looked for again and found,
  // with one more line, still muted if it was.
  testing::internal::CaptureStderr();
  {
    Audio audio(false);
    ASSERT_TRUE(audio.HasDevice());
    audio.ToggleMute();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    audio.Flush();
    EXPECT_FALSE(audio.HasDevice()) << "a loss at rest is noticed in the next frame";
    EXPECT_GE(FramesUntilADevice(audio, 3000), 900u) << "looked for once a second, not every frame";
    ASSERT_TRUE(audio.HasDevice()) << "the device came back";
    EXPECT_TRUE(audio.Muted());
    audio.Play(kSoundThruster, 1, 1);
    EXPECT_TRUE(audio.GetMixer().Idle()) << "muted across the loss";
  }
  SDL_Quit();
  said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(said.rfind("rocket: the sound device was lost", 0), 0u) << said;
  EXPECT_NE(said.find("\nrocket: sound is back\n"), std::string::npos) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 2) << said;
}

namespace {

// Marks the sample frames up to `last` where the device had nothing to play: runs of four or
// more silent ones, which the rumble's noise never gives. A frame made late by a busy machine
// lets the queue run dry; the steps into and out of that are the machine's, not the game's.
std::vector<bool> RanDry(const std::vector<int16_t>& played, int last) {
  std::vector<bool> dry(played.size() / 2 + 1, false);
  const auto silent = [&](int i) {
    return played[2 * size_t(i)] == 0 && played[2 * size_t(i) + 1] == 0;
  };
  for (int i = 0; i <= last;) {
    int j = i;
    while (j <= last && silent(j)) {
      ++j;
    }
    for (int k = i; j - i >= 4 && k < j; ++k) {
      dry[size_t(k)] = true;
    }
    i = std::max(j, i + 1);
  }
  return dry;
}

}  // namespace

// The game as the player hears it: the real frame services with SDL's disk driver, which
// writes what the device plays to a file, paced as a sound card would take it.
class DiskSoundTest : public Headless {
 protected:
  void SetUp() override {
    path_ = testing::TempDir() + "rocket-sound-" + std::to_string(getpid()) + ".raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", path_.c_str(), 1);
    Headless::SetUp();
  }
  void TearDown() override {
    Headless::TearDown();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::remove(path_.c_str());
  }
  // Closes the device, which writes out the last it had, and reads everything it played.
  std::vector<int16_t> Played() {
    delete dp.audio;
    dp.audio = nullptr;
    std::vector<int16_t> samples;
    if (FILE* file = std::fopen(path_.c_str(), "rb")) {
      int16_t pair[2];
      while (std::fread(pair, sizeof pair, 1, file) == 1) {
        samples.insert(samples.end(), pair, pair + 2);
      }
      std::fclose(file);
    }
    return samples;
  }
  std::string path_;
};

TEST_F(DiskSoundTest, ThePlayerHearsTheRumbleWhileTheFlameShowsAndTheKnockOnTheBallsSide) {
  const int rate = dp.audio->GetMixer().Rate();
  GameCos services = GameCycle();
  GameCo* slots[kTopLevelSlots];
  FillTopLevel(slots, &services);
  GameCos game(slots);
  Step(&game);
  Step(&game);
  db.FlipperBallX = 150;  // to the right side, where it turns in a few frames, under the rumble
  CallLog log(dp);
  int flames = 0;
  size_t flameQueued = 0;  // sample frames queued by the frames that showed the flame
  for (int frame = 0; frame < 24; ++frame) {
    if (frame == 2 || frame == 14) {
      PushKey(frame == 2 ? SDL_KEYDOWN : SDL_KEYUP, SDLK_UP);
    }
    const size_t before = log.Queued().size();
    Step(&game);
    if (log.Take().find("copy:rocketThrust") != std::string::npos) {
      ++flames;
      flameQueued += (log.Queued().size() - before) / 2;
    }
  }
  const std::vector<int16_t> played = Played();
  const int frames = int(played.size() / 2);
  int first = -1, last = -1;
  for (int i = 0; i < frames; ++i) {
    if (played[2 * i] != 0 || played[2 * i + 1] != 0) {
      first = first < 0 ? i : first;
      last = i;
    }
  }
  ASSERT_GE(first, 0) << "nothing was heard";
  EXPECT_GT(first, rate / 20) << "the silence at rest, before the flame, was not there";
  // What is heard from the rumble's start to its end, the knock under it included, but not the
  // moments the device ran dry because a frame came late on a busy machine: they are silent.
  int heard = 0;
  for (int i = first; i <= last; ++i) {
    heard += played[2 * i] != 0 || played[2 * i + 1] != 0;
  }
  EXPECT_EQ(flames, 12);
  // Every sample the flame's frames queued is the rumble, and after them only its 14 ms fade
  // (a sample or two of the fade's ends round to silence).
  EXPECT_GE(heard + rate / 1000, int(flameQueued)) << "the rumble stops before the flame";
  EXPECT_LE(heard, int(flameQueued) + rate * 15 / 1000) << "the rumble goes on after the flame";
  const Peaks peaks = PeaksOf(played);
  EXPECT_GT(peaks.right, peaks.left + 1000) << "the knock on the right is louder on the right";
  EXPECT_LT(peaks.Both(), 32767) << "the rumble and the knock together stay below full scale";
}

// A sound is queued in the frame that shows its cause, and the queue holds the lead and no more:
// from the start nothing is queued until the ball's first knock; then, with the rumble held and
// the ball knocking under it, what waits for the device after a frame is at most the lead (66 ms)
// and a frame's worth, and the rumble is queued in the first frame that shows the flame.
TEST_F(DiskSoundTest, ASoundIsQueuedInTheFrameOfItsCauseAndTheQueueHoldsTheLead) {
  const uint32_t rate = uint32_t(dp.audio->GetMixer().Rate());
  GameCos services = GameCycle();
  GameCo* slots[kTopLevelSlots];
  FillTopLevel(slots, &services);
  GameCos game(slots);
  CallLog log(dp);
  bool knocked = false;
  for (int frame = 0; !knocked && frame < 120; ++frame) {
    const int32_t vx = db.FlipperBallVx, vy = db.FlipperBallVy;
    Step(&game);
    knocked = frame > 0 && (db.FlipperBallVx != vx || db.FlipperBallVy != vy);  // it turned
    const bool queued = log.Take().find("queue") != std::string::npos;
    ASSERT_EQ(queued, knocked) << "frame " << frame << ": only the ball's first knock is queued";
  }
  ASSERT_TRUE(knocked);
  // The next knock, on the vertical, comes ten frames later, while the engine burns.
  PushKey(SDL_KEYDOWN, SDLK_UP);
  int flames = 0;
  for (int frame = 0; frame < 20; ++frame) {
    if (frame == 12) {
      PushKey(SDL_KEYUP, SDLK_UP);
    }
    Step(&game);
    const std::string calls = log.Take();
    if (calls.find("copy:rocketThrust") != std::string::npos && flames++ == 0) {
      EXPECT_NE(calls.find("queue"), std::string::npos) << "the rumble waits for a later frame";
    }
    const uint32_t queued = SDL_GetQueuedAudioSize(log.QueuedDevice()) / (2 * sizeof(int16_t));
    EXPECT_LE(queued, rate * (66 + 41) / 1000) << "frame " << frame << ": more than the lead";
  }
  EXPECT_EQ(flames, 12);
  // Each frame tops the queue up to the lead exactly, by what the game saw waiting: whatever
  // the machine's pace, the device is never left short while the game keeps its frames.
  for (const uint32_t waiting : log.TopUps()) {
    EXPECT_EQ(waiting, rate * 66 / 1000) << "a frame left the device short, or queued too much";
  }
}

// At quit with the engine burning, the rumble fades out after what was queued and the device
// plays it: the last sound falls to silence over a few milliseconds, by no larger
// steps than the rumble's own, and then nothing is left to play.
TEST_F(DiskSoundTest, AQuitFadesTheSoundOutAndLetsTheDevicePlayIt) {
  GameCos services = GameCycle();
  GameCo* slots[kTopLevelSlots];
  FillTopLevel(slots, &services);
  GameCos game(slots);
  PushKey(SDL_KEYDOWN, SDLK_UP);
  for (int frame = 0; frame < 10; ++frame) {
    Step(&game);
  }
  const int rate = dp.audio->GetMixer().Rate();
  {
    CallLog log(dp);
    dp.audio->Finish();
    // What the quit queued: the fade, 5 ms, then silence only.
    const std::vector<int16_t>& last = log.Queued();
    int sounding = 0;
    for (size_t i = 0; i < last.size(); ++i) {
      sounding = last[i] != 0 ? int(i / 2) + 1 : sounding;
    }
    EXPECT_GT(sounding, 0) << "the quit queued no fade";
    EXPECT_LE(sounding, rate * 5 / 1000 + 1) << "the sound is not faded out in 5 ms";
    EXPECT_GE(int(last.size() / 2) - sounding, rate * 20 / 1000) << "no silence after the fade";
  }
  EXPECT_FALSE(dp.audio->HasDevice());
  const std::vector<int16_t> played = Played();
  std::vector<int> left;
  for (size_t i = 0; i < played.size(); i += 2) {
    left.push_back(played[i]);
  }
  int last = int(left.size()) - 1;
  while (last > 0 && left[size_t(last)] == 0) {
    --last;
  }
  ASSERT_GT(last, rate / 4) << "the rumble was heard";
  const std::vector<bool> dry = RanDry(played, last);
  int level = 0, rumbleStep = 0, tailStep = 0, half = 0;
  for (int i = last - rate / 4; i < last - rate / 50; ++i) {
    level = std::max(level, std::abs(left[size_t(i)]));
    if (!dry[size_t(i)] && !dry[size_t(i) + 1]) {
      rumbleStep = std::max(rumbleStep, std::abs(left[size_t(i) + 1] - left[size_t(i)]));
    }
  }
  for (int i = last - rate / 50; i <= last; ++i) {
    // The fade's steps (its 5 ms), down to the silence after it.
    if (i >= last - rate * 5 / 1000 && !dry[size_t(i)] && !dry[size_t(i) + 1]) {
      tailStep = std::max(tailStep, std::abs(left[size_t(i) + 1] - left[size_t(i)]));
    }
    half = std::abs(left[size_t(i)]) > level / 2 ? i : half;
  }
  EXPECT_GT(level, 1000);
  EXPECT_GE(last - half, rate * 2 / 1000) << "the rumble falls to silence over 2 ms or more";
  // A step of the fade is the rumble's own step, scaled down, plus the fall of the fade's gain
  // over one sample times the level: never more than both together, where a click would be a
  // step of about the level itself.
  const int rampStep = level / (rate * 5 / 1000) + 1;
  EXPECT_LE(tailStep, rumbleStep + rampStep) << "with no step larger than the rumble's own";
  EXPECT_GE(left.size() - size_t(last), size_t(rate / 1000)) << "and silence is played after it";
}

TEST_F(DiskSoundTest, MutedFromTheStartNothingIsHeard) {
  Release(dp);
  dp = Dp::Init(true);
  EXPECT_TRUE(dp.audio->Muted());
  GameCos services = GameCycle();
  GameCo* slots[kTopLevelSlots];
  FillTopLevel(slots, &services);
  GameCos game(slots);
  Step(&game);
  db.FlipperBallX = 150;  // a knock in a few frames, under the rumble
  PushKey(SDL_KEYDOWN, SDLK_UP);
  for (int frame = 0; frame < 16; ++frame) {
    Step(&game);
  }
  const std::vector<int16_t> played = Played();
  EXPECT_EQ(PeaksOf(played).Both(), 0) << "of " << played.size() / 2 << " samples";
}
