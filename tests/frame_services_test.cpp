// The frame services headless: key flags from injected events, and the quit a frame later.
#include "platform/frame_services.h"

#include <gtest/gtest.h>

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
