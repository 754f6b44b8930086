// The frame services headless: key flags from injected events, and the quit a frame later.
#include "platform/frame_services.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "headless.h"

namespace {

class KeyToExitTest : public Headless {
 protected:
  // One end-of-frame poll; true if it asked to quit, by handing over a new Quit.
  bool Poll() {
    GameCo* keys = Singleton<KeyToExit<Db*>>();
    GameCo* next = keys->Routine(&dp, &db);
    if (next == keys) {
      return false;
    }
    auto* quit = dynamic_cast<Quit<Db*>*>(next);
    EXPECT_NE(quit, nullptr) << "a quit request must hand the slot to a Quit";
    delete quit;  // never stepped here: stepping it would end the test process
    return true;
  }
  std::string Flags() const {
    std::string flags;
    for (int k = 0; k < kKeyCount; ++k) {
      flags += char('0' + dp.keys[k]);
    }
    return flags;
  }
};

}  // namespace

TEST_F(KeyToExitTest, ArrowsSetAndClearTheirFlags) {
  PushKey(SDL_KEYDOWN, SDLK_UP);
  PushKey(SDL_KEYDOWN, SDLK_DOWN);
  PushKey(SDL_KEYDOWN, SDLK_LEFT);
  PushKey(SDL_KEYDOWN, SDLK_RIGHT);
  EXPECT_FALSE(Poll());
  EXPECT_EQ(Flags(), "11110");
  PushKey(SDL_KEYUP, SDLK_LEFT);
  PushKey(SDL_KEYUP, SDLK_DOWN);
  EXPECT_FALSE(Poll());
  EXPECT_EQ(Flags(), "10010");
  PushKey(SDL_KEYUP, SDLK_UP);
  PushKey(SDL_KEYUP, SDLK_RIGHT);
  EXPECT_FALSE(Poll());
  EXPECT_EQ(Flags(), "00000");
}

TEST_F(KeyToExitTest, AHeldKeyStaysSetThroughRepeatsAndQuietFrames) {
  PushKey(SDL_KEYDOWN, SDLK_RIGHT);
  EXPECT_FALSE(Poll());
  EXPECT_FALSE(Poll());  // nothing queued: the flag is a level, not an edge
  PushKey(SDL_KEYDOWN, SDLK_RIGHT);
  PushKey(SDL_KEYDOWN, SDLK_RIGHT);
  EXPECT_FALSE(Poll());
  EXPECT_EQ(Flags(), "00010");
  PushKey(SDL_KEYUP, SDLK_RIGHT);
  EXPECT_FALSE(Poll());
  EXPECT_EQ(Flags(), "00000");
}

TEST_F(KeyToExitTest, APressAndReleaseBetweenTwoPollsIsNeverSeen) {
  PushKey(SDL_KEYDOWN, SDLK_UP);
  PushKey(SDL_KEYUP, SDLK_UP);
  EXPECT_FALSE(Poll());
  EXPECT_EQ(Flags(), "00000");
}

TEST_F(KeyToExitTest, OtherKeysAndMouseEventsChangeNothing) {
  PushKey(SDL_KEYDOWN, SDLK_UP);
  EXPECT_FALSE(Poll());
  PushKey(SDL_KEYDOWN, SDLK_a);
  PushKey(SDL_KEYUP, SDLK_a);
  PushKey(SDL_KEYUP, SDLK_SPACE);
  PushEvent(SDL_MOUSEBUTTONDOWN);
  PushEvent(SDL_MOUSEMOTION);
  EXPECT_FALSE(Poll());
  EXPECT_EQ(Flags(), "10000");
}

TEST_F(KeyToExitTest, ReleasingEscapeOrQDoesNotCutTheThruster) {
  // Their key-downs went to another window; only the releases reach the game.
  PushKey(SDL_KEYDOWN, SDLK_UP);
  EXPECT_FALSE(Poll());
  dp.keys[kKeySpare] = 1;
  PushKey(SDL_KEYUP, SDLK_ESCAPE);
  EXPECT_FALSE(Poll());
  EXPECT_EQ(Flags(), "10000");
  PushKey(SDL_KEYUP, SDLK_q);
  EXPECT_FALSE(Poll());
  EXPECT_EQ(Flags(), "10000");
}

TEST_F(KeyToExitTest, QuitRequestsStopThePollAndLeaveLaterEventsQueued) {
  for (Uint32 request : {Uint32(SDL_QUIT), Uint32(SDLK_ESCAPE), Uint32(SDLK_q)}) {
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    if (request == SDL_QUIT) {
      PushEvent(SDL_QUIT);
    } else {
      PushKey(SDL_KEYDOWN, SDL_Keycode(request));
    }
    PushKey(SDL_KEYDOWN, SDLK_RIGHT);
    EXPECT_TRUE(Poll()) << request;
    EXPECT_EQ(dp.keys[kKeyRight], 0) << "the event behind the request was read";
    SDL_Event left;
    EXPECT_EQ(SDL_PeepEvents(&left, 1, SDL_PEEKEVENT, SDL_KEYDOWN, SDL_KEYDOWN), 1);
  }
}

// Game controllers through SDL's virtual joystick driver and the real event service.
TEST_F(KeyToExitTest, TheLeftStickTurnsPastItsDeadZoneAndLetsGoInsideIt) {
  VirtualPad pad;
  EXPECT_FALSE(Poll());  // the plug-in is read
  const std::pair<int, const char*> tilts[] = {
      {-6000, "00000"},                    // inside the dead zone
      {-8190, "00000"},                    // just short of a quarter
      {-8191, "00100"},                    // a quarter
      {-7500, "00100"},                    // back inside, but not below a fifth: still turning
      {-6554, "00100"}, {-6552, "00000"},  // below a fifth
      {9000, "00010"},                     // the other way
      {6553, "00010"},                     // a fifth: still turning
      {6552, "00000"},  {-9000, "00100"},  // straight across
      {7500, "00000"},                     // past the centre
      {32767, "00010"},                    // hard over
      {0, "00000"},
  };
  for (const auto& [x, flags] : tilts) {
    pad.Tilt(SDL_CONTROLLER_AXIS_LEFTX, x);
    EXPECT_FALSE(Poll());
    EXPECT_EQ(Flags(), flags) << "stick at " << x;
  }
}

TEST_F(KeyToExitTest, AFlagHoldsWhileAnySourceHoldsIt) {
  VirtualPad pad;
  VirtualPad second;
  EXPECT_FALSE(Poll());
  pad.Tilt(SDL_CONTROLLER_AXIS_LEFTX, -20000);
  PushKey(SDL_KEYDOWN, SDLK_LEFT);
  EXPECT_FALSE(Poll());
  EXPECT_EQ(Flags(), "00100");
  PushKey(SDL_KEYUP, SDLK_LEFT);  // the stick still points left
  EXPECT_FALSE(Poll());
  EXPECT_EQ(Flags(), "00100");
  PushKey(SDL_KEYDOWN, SDLK_LEFT);
  pad.Tilt(SDL_CONTROLLER_AXIS_LEFTX, 0);  // the arrow still holds it
  EXPECT_FALSE(Poll());
  EXPECT_EQ(Flags(), "00100");
  PushKey(SDL_KEYUP, SDLK_LEFT);
  EXPECT_FALSE(Poll());
  EXPECT_EQ(Flags(), "00000");

  // Each pad's buttons, and both pads at once.
  const std::pair<SDL_GameControllerButton, const char*> buttons[] = {
      {SDL_CONTROLLER_BUTTON_DPAD_LEFT, "00100"}, {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, "00010"},
      {SDL_CONTROLLER_BUTTON_DPAD_UP, "10000"},   {SDL_CONTROLLER_BUTTON_DPAD_DOWN, "01000"},
      {SDL_CONTROLLER_BUTTON_A, "10000"},         {SDL_CONTROLLER_BUTTON_B, "00000"},
      {SDL_CONTROLLER_BUTTON_START, "00000"},
  };
  for (VirtualPad* which : {&pad, &second}) {
    for (const auto& [button, flags] : buttons) {
      which->Press(button);
      EXPECT_FALSE(Poll());
      EXPECT_EQ(Flags(), flags) << "button " << button;
      which->Press(button, false);
    }
  }
  pad.Press(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
  // A virtual trigger's travel is the whole axis, so its half-way point is 0.
  second.Tilt(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -1000);
  PushKey(SDL_KEYDOWN, SDLK_DOWN);
  EXPECT_FALSE(Poll());
  EXPECT_EQ(Flags(), "01100");
  second.Tilt(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 1000);
  EXPECT_FALSE(Poll());
  EXPECT_EQ(Flags(), "11100") << "thrust from one pad, turning from the other, down from a key";
}

TEST_F(KeyToExitTest, AnUnpluggedPadLetsGoOfEverything) {
  VirtualPad pad;
  EXPECT_FALSE(Poll());
  pad.Tilt(SDL_CONTROLLER_AXIS_LEFTX, 32767);
  pad.Press(SDL_CONTROLLER_BUTTON_A);
  PushKey(SDL_KEYDOWN, SDLK_DOWN);
  EXPECT_FALSE(Poll());
  EXPECT_EQ(Flags(), "11010");
  pad.Unplug();
  EXPECT_FALSE(Poll());
  EXPECT_EQ(Flags(), "01000") << "the keyboard's own flag stays";
  VirtualPad again;  // plugged back in: steers again
  again.Press(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
  EXPECT_FALSE(Poll());
  EXPECT_EQ(Flags(), "01010");
}

// SDL tells of an output device gone with the game's own device's id, or with 0 for one the game
// did not open, which over SDL3 may be the device behind the default: either is let go of, with
// one line, and looked for again. A microphone's going is none of the game's business.
TEST_F(KeyToExitTest, AnOutputDeviceGoneIsLetGoOfAndLookedForAgain) {
  const auto removed = [](SDL_AudioDeviceID which, bool capture) {
    SDL_Event event{};
    event.type = SDL_AUDIODEVICEREMOVED;
    event.adevice.which = which;
    event.adevice.iscapture = capture;
    SDL_PushEvent(&event);
  };
  for (const bool unopened : {true, false}) {
    delete dp.audio;
    dp.audio = new Audio(false);
    ASSERT_TRUE(dp.audio->HasDevice());
    const SDL_AudioDeviceID id = dp.audio->DeviceId();
    removed(0, true);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(Poll());
    EXPECT_TRUE(dp.audio->HasDevice()) << "a microphone";
    removed(unopened ? 0 : id, false);
    removed(0, false);
    SDL_SetError("an earlier failure");  // not the reason, and not said
    EXPECT_FALSE(Poll());
    EXPECT_FALSE(dp.audio->HasDevice());
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "rocket: the sound device was lost; playing on without sound\n");
  }
}

TEST_F(KeyToExitTest, BackQuitsAsEscapeDoes) {
  VirtualPad pad;
  EXPECT_FALSE(Poll());
  pad.Press(SDL_CONTROLLER_BUTTON_BACK);
  PushKey(SDL_KEYDOWN, SDLK_RIGHT);
  EXPECT_TRUE(Poll());
  EXPECT_EQ(dp.keys[kKeyRight], 0) << "the event behind the request was read";
}

TEST_F(KeyToExitTest, TheFullscreenKeysToggleTheWindowAndTouchNoFlag) {
  // Desktop fullscreen, never a change of the screen's mode, whose flag is a part of it.
  const auto fullscreen = [this] {
    const Uint32 flags = SDL_GetWindowFlags(dp.window);
    EXPECT_NE(flags & SDL_WINDOW_FULLSCREEN_DESKTOP, SDL_WINDOW_FULLSCREEN) << "a mode change";
    return (flags & SDL_WINDOW_FULLSCREEN_DESKTOP) == SDL_WINDOW_FULLSCREEN_DESKTOP;
  };
  PushKey(SDL_KEYDOWN, SDLK_F11);
  EXPECT_FALSE(Poll());
  EXPECT_TRUE(fullscreen());
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
  for (int repeat = 0; repeat < 3; ++repeat) {  // F11 held: the window must not flicker
    PushKey(SDL_KEYDOWN, SDLK_F11, KMOD_NONE, true);
    EXPECT_FALSE(Poll());
    EXPECT_TRUE(fullscreen()) << "toggled by key repeat " << repeat;
  }
  PushKey(SDL_KEYUP, SDLK_F11);
  PushKey(SDL_KEYDOWN, SDLK_RETURN);  // Enter alone is no toggle
  EXPECT_FALSE(Poll());
  EXPECT_TRUE(fullscreen());
  PushKey(SDL_KEYDOWN, SDLK_RETURN, KMOD_LALT);
  EXPECT_FALSE(Poll());
  EXPECT_FALSE(fullscreen());
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
  PushKey(SDL_KEYDOWN, SDLK_KP_ENTER, KMOD_RALT);  // either Alt, either Enter
  EXPECT_FALSE(Poll());
  EXPECT_TRUE(fullscreen());
  PushKey(SDL_KEYDOWN, SDLK_RETURN, KMOD_RALT);
  EXPECT_FALSE(Poll());
  EXPECT_FALSE(fullscreen());
  EXPECT_EQ(Flags(), "00000");
}

// M turns the sound off on its key-down, and on again at the next; its repeats and its release
// do nothing, and it touches no key flag. What plays fades out at once, and nothing is heard
// while the sound is off.
TEST_F(KeyToExitTest, MTurnsTheSoundOffAndOnAndTouchesNoFlag) {
  const int ms = dp.audio->GetMixer().Rate() / 1000;
  PushKey(SDL_KEYDOWN, SDLK_UP);
  EXPECT_FALSE(Poll());
  dp.Play(kSoundThruster, 0, 0);
  dp.Play(kSoundKnock, 0, 0);
  EXPECT_GT(PeaksOf(Listen(dp)).Both(), 0);
  PushKey(SDL_KEYDOWN, SDLK_m);
  EXPECT_FALSE(Poll());
  EXPECT_TRUE(dp.audio->Muted());
  dp.Play(kSoundThruster, 0, 0);
  const std::vector<int16_t> fading = Listen(dp);
  EXPECT_GT(PeaksOf(fading, 0, 1).Both(), 0) << "no step to silence";
  EXPECT_GT(PeaksOf(fading, 3 * ms, 4 * ms).Both(), 0) << "the fade is cut short";
  EXPECT_EQ(PeaksOf(fading, 5 * ms).Both(), 0) << "silent within 5 ms";
  for (const bool repeat : {true, false}) {
    PushKey(repeat ? SDL_KEYDOWN : SDL_KEYUP, SDLK_m, KMOD_NONE, repeat);
    EXPECT_FALSE(Poll());
    EXPECT_TRUE(dp.audio->Muted()) << (repeat ? "a key repeat" : "the key-up") << " toggled";
    dp.Play(kSoundKnock, 0, 0);
    EXPECT_EQ(PeaksOf(Listen(dp)).Both(), 0);
  }
  PushKey(SDL_KEYDOWN, SDLK_m);
  EXPECT_FALSE(Poll());
  EXPECT_FALSE(dp.audio->Muted());
  dp.Play(kSoundKnock, 0, 0);
  EXPECT_GT(PeaksOf(Listen(dp)).Both(), 0);
  EXPECT_EQ(Flags(), "10000");
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
  EXPECT_LE(tailStep, rumbleStep) << "with no step larger than the rumble's own";
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

using QuitTest = Headless;

// The services present the frame, then wait 41 ms, then read the keyboard; a quit request read
// in one frame ends the process with status 0 only after the next frame has been presented and
// paced. The calls are noted by a CallLog and written out as the process ends.
TEST_F(QuitTest, FramesArePresentedPacedThenReadAndAQuitEndsAfterTheNextFrame) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        static CallLog* log = new CallLog(dp);
        std::atexit([] { std::fprintf(stderr, "[%s]\n", log->Take().c_str()); });
        GameCos services = GameCycle();
        GameCo* slots[kTopLevelSlots];
        FillTopLevel(slots, &services);
        GameCos game(slots);
        Step(&game);  // a quiet frame
        PushKey(SDL_KEYDOWN, SDLK_ESCAPE);
        PushKey(SDL_KEYDOWN, SDLK_RIGHT);
        Step(&game);  // the frame in which the request is read
        Step(&game);  // the next frame is drawn, presented and paced, then Quit ends it
        std::exit(3);
      },
      ::testing::ExitedWithCode(0),
      "\\[(copy:[^ ]* )*present wait41 poll (copy:[^ ]* )*present wait41 poll "
      "(copy:[^ ]* )*present wait41\\]");
}
