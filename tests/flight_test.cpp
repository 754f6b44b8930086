// Rocket flight through the real top-level list, with the key flags set as KeyToExit would.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "game/rocket.h"
#include "headless.h"

namespace {

template <int... H>
GameCo* StateOf(bool thrusting, int heading, std::integer_sequence<int, H...>) {
  GameCo* coast[] = {Singleton<RocketCoast<H>>()...};
  GameCo* thrust[] = {Singleton<RocketThrust<H>>()...};
  return thrusting ? thrust[heading] : coast[heading];
}

GameCo* Coasting(int heading) {
  return StateOf(false, heading, std::make_integer_sequence<int, kHeadingCount>());
}
GameCo* Thrusting(int heading) {
  return StateOf(true, heading, std::make_integer_sequence<int, kHeadingCount>());
}

class FlightTest : public GameTest {
 protected:
  void ExpectCameraOnRocket() {
    EXPECT_EQ(dp.cameraX, db.RocketX);
    EXPECT_EQ(dp.cameraY, db.RocketY);
  }
  // The record and the camera the golden script has always ended with.
  void ExpectGoldenEnd() {
    const Db expected = {884, 621, 3, 10, 0, 0, -158, 28, -2, 2};
    EXPECT_EQ(db.RocketX, expected.RocketX);
    EXPECT_EQ(db.RocketY, expected.RocketY);
    EXPECT_EQ(db.RocketVx, expected.RocketVx);
    EXPECT_EQ(db.RocketVy, expected.RocketVy);
    EXPECT_EQ(db.FlipperBallX, expected.FlipperBallX);
    EXPECT_EQ(db.FlipperBallY, expected.FlipperBallY);
    EXPECT_EQ(db.FlipperBallVx, expected.FlipperBallVx);
    EXPECT_EQ(db.FlipperBallVy, expected.FlipperBallVy);
    EXPECT_EQ(RocketState(), Singleton<Rocket180>());
    ExpectCameraOnRocket();
  }
};

}  // namespace

TEST_F(FlightTest, AtRestNothingMoves) {
  db.RocketX = 77;  // the start state puts the rocket back at the origin
  RunFrames(30);
  EXPECT_EQ(RocketState(), Singleton<Rocket00>());
  EXPECT_EQ(db.RocketX, 0);
  EXPECT_EQ(db.RocketY, 0);
  EXPECT_EQ(db.RocketVx, 0);
  EXPECT_EQ(db.RocketVy, 0);
  ExpectCameraOnRocket();
}

TEST_F(FlightTest, HoldingUpAcceleratesToTheCapOneFrameAfterTheFlagIsSeen) {
  dp.keys[kKeyUp] = 1;
  RunFrame();  // start state
  RunFrame();  // Rocket00 sees the flag and only switches
  EXPECT_EQ(RocketState(), Singleton<RocketThrust00>());
  EXPECT_EQ(db.RocketVy, 0);
  const int velocities[] = {-2, -4, -6, -8, -10, -10, -10, -10};
  const int moves[] = {-2, -4, -6, -8, -10, -12, -12, -12};
  for (int i = 0; i < 8; ++i) {
    const int before = db.RocketY;
    RunFrame();
    EXPECT_EQ(db.RocketVy, velocities[i]) << "frame " << i;
    EXPECT_EQ(db.RocketY - before, moves[i]) << "frame " << i;
    EXPECT_EQ(db.RocketX, 0);
    ExpectCameraOnRocket();
  }
  dp.keys[kKeyUp] = 0;
  RunFrame();  // the last thrust frame sees the flag cleared
  RunFrame();
  EXPECT_EQ(RocketState(), Singleton<Rocket00>());
  const int coasting = db.RocketY;
  RunFrame();
  EXPECT_EQ(db.RocketY - coasting, -10) << "coasting at the cap";
}

TEST_F(FlightTest, HoldingRightVisitsEveryHeadingInOrderAndWraps) {
  dp.keys[kKeyRight] = 1;
  RunFrame();
  for (int step = 1; step <= kHeadingCount + 2; ++step) {
    RunFrame();
    EXPECT_EQ(RocketState(), Coasting(step % kHeadingCount)) << "step " << step;
  }
  dp.keys[kKeyRight] = 0;
  dp.keys[kKeyLeft] = 1;
  RunFrame();
  EXPECT_EQ(RocketState(), Coasting(1));
  RunFrame();
  RunFrame();
  EXPECT_EQ(RocketState(), Coasting(15));
  EXPECT_EQ(db.RocketVx, 0);
  EXPECT_EQ(db.RocketVy, 0);
}

TEST_F(FlightTest, TurningWhileCoastingNeverThrusts) {
  dp.keys[kKeyLeft] = 1;
  dp.keys[kKeyUp] = 1;
  for (int i = 0; i < 40; ++i) {
    RunFrame();
    EXPECT_EQ(db.RocketVx, 0);
    EXPECT_EQ(db.RocketVy, 0);
  }
  EXPECT_EQ(RocketState(), Coasting((16 - 39 % 16) % 16));
}

TEST_F(FlightTest, TurningWhileThrustingKeepsTheEngineOnUntilTheTurnEnds) {
  dp.keys[kKeyUp] = 1;
  RunFrames(2);
  EXPECT_EQ(RocketState(), Thrusting(0));
  dp.keys[kKeyUp] = 0;
  dp.keys[kKeyRight] = 1;
  RunFrame();  // thrusts at 00, turns to 22
  EXPECT_EQ(db.RocketVx, 0);
  EXPECT_EQ(db.RocketVy, -2);
  RunFrame();  // thrusts at 22 with up released
  EXPECT_EQ(db.RocketVx, 1);
  EXPECT_EQ(db.RocketVy, -4);
  RunFrame();  // thrusts at 45
  EXPECT_EQ(db.RocketVx, 3);
  EXPECT_EQ(db.RocketVy, -6);
  EXPECT_EQ(RocketState(), Thrusting(3));
  dp.keys[kKeyRight] = 0;
  RunFrame();  // thrusts at 67, then back to coasting
  EXPECT_EQ(db.RocketVx, 5);
  EXPECT_EQ(db.RocketVy, -7);
  EXPECT_EQ(RocketState(), Coasting(3));
  RunFrame();
  EXPECT_EQ(db.RocketVx, 5);
  EXPECT_EQ(db.RocketVy, -7);
  ExpectCameraOnRocket();
}

TEST_F(FlightTest, EveryHeadingThrustsAlongItsOwnDirection) {
  dp.keys[kKeyUp] = 1;
  RunFrames(2);
  dp.keys[kKeyRight] = 1;
  for (const Heading& heading : kHeadings) {
    db.RocketVx = 0;
    db.RocketVy = 0;
    RunFrame();
    EXPECT_EQ(db.RocketVx, heading.thrustX) << heading.label;
    EXPECT_EQ(db.RocketVy, heading.thrustY) << heading.label;
  }
  EXPECT_EQ(RocketState(), Thrusting(0));

  // Each heading from rest, the engine held for eight frames with the down flag set too (nothing
  // reads it): on both signs of each axis the speed caps at 10 after the move, and every frame
  // draws that heading's own flame under its own rocket.
  dp.keys[kKeyRight] = 0;
  dp.keys[kKeyDown] = 1;
  CallLog log(dp);
  for (int h = 0; h < kHeadingCount; ++h) {
    const std::string label = kHeadings[h].label;
    // A component is 2 away from the axes and on the diagonals, 1 within 30 degrees of the other
    // axis, 0 along it; y grows downwards.
    const double angle = h * 22.5 * 3.14159265358979 / 180;
    auto thrust = [](double part) {
      const int size = std::abs(part) < 0.01 ? 0 : std::abs(part) < 0.5 ? 1 : 2;
      return part < 0 ? -size : size;
    };
    const int tx = thrust(std::sin(angle)), ty = thrust(-std::cos(angle));
    // After eight frames of thrust t from rest: |t| = 2 moves 2, 4, ..., 10, then 12 a frame,
    // capped at 10; |t| = 1 never reaches the cap.
    const int speed[] = {0, 8, 10}, distance[] = {0, 36, 66};
    db = Db{};
    GameCo* state = Thrusting(h);
    for (int frame = 0; frame < 8; ++frame) {
      log.Take();
      state = state->Routine(&dp, &db);
      Singleton<RocketMomentum>()->Routine(&dp, &db);
      ASSERT_EQ(log.Take(), "copy:rocketThrust" + label + " copy:rocket" + label) << label;
    }
    EXPECT_EQ(state, Thrusting(h)) << label;
    auto sign = [](int v) { return (v > 0) - (v < 0); };
    EXPECT_EQ(db.RocketVx, sign(tx) * speed[std::abs(tx)]) << label;
    EXPECT_EQ(db.RocketVy, sign(ty) * speed[std::abs(ty)]) << label;
    EXPECT_EQ(db.RocketX, sign(tx) * distance[std::abs(tx)]) << label;
    EXPECT_EQ(db.RocketY, sign(ty) * distance[std::abs(ty)]) << label;
    // Up released, down still held: coasting, no thrust.
    dp.keys[kKeyUp] = 0;
    state = state->Routine(&dp, &db)->Routine(&dp, &db);
    EXPECT_EQ(state, Coasting(h)) << label;
    EXPECT_EQ(log.Take(),
              "copy:rocketThrust" + label + " copy:rocket" + label + " copy:rocket" + label);
    EXPECT_EQ(db.RocketVx, sign(tx) * (speed[std::abs(tx)] + std::abs(tx))) << label;
    dp.keys[kKeyUp] = 1;
  }
}

TEST_F(FlightTest, TheRocketIsAlwaysDrawnAtTheCanvasCentre) {
  dp.keys[kKeyUp] = 1;
  dp.keys[kKeyRight] = 1;
  RunFrames(2);
  dp.keys[kKeyRight] = 0;
  for (int i = 0; i < 12; ++i) {
    RunFrame();
    const Frame frame(dp.renderer);
    // The eyes' glass fills the porthole at the centre; the hull rings it.
    EXPECT_EQ(frame.At(160, 90), 0x162248u) << "frame " << i;
    EXPECT_NE(frame.At(160, 85), 0u) << "frame " << i;
  }
}

TEST_F(FlightTest, AThrustingFrameDrawsTheFlameUnderTheRocket) {
  RunFrames(2);
  const uint32_t coastingTail = Frame(dp.renderer).At(160, 90 + 17);
  dp.keys[kKeyUp] = 1;
  RunFrames(2);
  const Frame frame(dp.renderer);
  frame.Save("thrusting-frame.bmp");
  const uint32_t tail = frame.At(160, 90 + 17);
  EXPECT_NE(tail, coastingTail);
  EXPECT_GT(tail >> 16, 200u) << std::hex << tail << " is not flame-coloured";
  EXPECT_LT(tail & 0xFF, 120u) << std::hex << tail << " is not flame-coloured";
  // Over the flame's top the rocket's nozzle is drawn, not the flame.
  EXPECT_LT(frame.At(160, 90 + 9) >> 16, 120u);
}

// The rumble starts with the first frame that shows the flame and stops with the last: it is
// there through every frame that draws it, fades in from silence, and after the last it fades
// out within 15 ms and is silent after. A turn while thrusting keeps both on.
TEST_F(FlightTest, TheThrusterRumblesExactlyWhileTheFlameShows) {
  CallLog log(dp);
  RunFrames(2);
  log.Take();
  const int ms = dp.audio->GetMixer().Rate() / 1000;
  struct Keys {
    bool up, right;
  };
  int flames = 0;
  bool before = false;
  int lastSample = 0;
  for (int frame = 0; frame < 24; ++frame) {
    const Keys keys = frame < 4    ? Keys{false, false}
                      : frame < 10 ? Keys{true, false}
                      : frame < 13 ? Keys{false, true}
                      : frame < 16 ? Keys{false, false}
                      : frame < 19 ? Keys{true, false}
                                   : Keys{false, false};
    dp.keys[kKeyUp] = keys.up;
    dp.keys[kKeyRight] = keys.right;
    RunFrame();
    const bool flame = log.Take().find("copy:rocketThrust") != std::string::npos;
    const std::vector<int16_t> sound = Listen(dp);
    SCOPED_TRACE(testing::Message() << "frame " << frame << (flame ? ", flame" : ""));
    flames += flame;
    const Peaks start = PeaksOf(sound, 0, 1), after = PeaksOf(sound, 15 * ms);
    if (flame) {
      EXPECT_GT(after.Both(), 200) << "the rumble must go on while the flame shows";
      EXPECT_EQ(after.left, after.right) << "the rocket is at the centre";
      for (int at = 15 * ms; at + 5 * ms <= 41 * ms; at += 5 * ms) {
        EXPECT_GT(PeaksOf(sound, at, at + 5 * ms).Both(), 20) << "a gap at " << at / ms << " ms";
      }
    } else {
      EXPECT_EQ(after.Both(), 0) << "coasting is silent";
    }
    if (flame && !before) {
      EXPECT_LT(start.Both(), 30) << "a step up to the rumble clicks";
      EXPECT_GT(PeaksOf(sound, 0, 5 * ms).Both(), start.Both());
    }
    if (!flame && before) {  // it fades on from where the last frame left it
      EXPECT_LT(std::abs(sound[0] - lastSample), 200) << "a step down from the rumble clicks";
      EXPECT_GT(PeaksOf(sound, 8 * ms, 12 * ms).Both(), 0) << "the fade is cut short";
    }
    before = flame;
    lastSample = sound[sound.size() - 2];
  }
  EXPECT_EQ(flames, 6 + 3 + 3);
}

namespace {

// The keys of a golden run: 240 frames that turn, thrust, coast and turn while thrusting.
struct ScriptStep {
  int until;  // frames up to this one (exclusive) hold these keys
  bool up, left, right;
};
// clang-format off
constexpr ScriptStep kGoldenScript[] = {
    { 10, false, false, false},
    { 30, true,  false, false},
    { 34, false, false, true },
    { 60, true,  false, false},
    { 75, true,  true,  false},
    {110, false, false, false},
    {130, true,  false, true },
    {131, false, true,  true },
    {170, true,  false, false},
    {240, false, false, false},
};
// clang-format on

// Calls frame(number) once a frame of the script, with the script's keys set in every `dps`.
template <typename Frame>
void PlayGoldenScript(std::initializer_list<Dp*> dps, Frame frame) {
  int number = 0;
  for (const ScriptStep& step : kGoldenScript) {
    for (; number < step.until; ++number) {
      for (Dp* dp : dps) {
        dp->keys[kKeyUp] = step.up;
        dp->keys[kKeyLeft] = step.left;
        dp->keys[kKeyRight] = step.right;
      }
      frame(number);
    }
  }
}

}  // namespace

// A golden run: the script through the real lists, compared with the record and the camera this
// script has always ended with. It guards the whole of play against changes that the focused
// cases above might miss.
TEST_F(FlightTest, GoldenRun) {
  PlayGoldenScript({&dp}, [&](int) { RunFrame(); });
  ExpectGoldenEnd();
}

// The down flag steers nothing: held through the whole script, with up and without, through
// thrusts that start from coasting, it changes nothing.
TEST_F(FlightTest, GoldenRunWithDownHeldThroughout) {
  dp.keys[kKeyDown] = 1;
  PlayGoldenScript({&dp}, [&](int) { RunFrame(); });
  ExpectGoldenEnd();
}

// Composing on the canvas and scaling it once must show the player exactly what scaling every
// image into the window shows: the same game played on both paths, every window pixel of every
// frame compared before the present.
TEST_F(FlightTest, TheCanvasShowsTheSameWindowAsDrawingStraightToIt) {
  ASSERT_NE(dp.canvas, nullptr) << "the software renderer can draw to a texture";
  Dp direct = Dp::Init();
  DrawStraightToWindow(direct);
  Db directDb = {};
  GameCo* noServices[1] = {nullptr};
  GameCos quiet(noServices);
  GameCo* slots[kTopLevelSlots];
  FillTopLevel(slots, &quiet);
  GameCos directGame(slots);

  PlayGoldenScript({&dp, &direct}, [&](int number) {
    if (HasFailure()) {
      return;  // one differing frame says enough
    }
    RunFrame();
    directGame.Routine(&direct, &directDb);
    dp.ComposeWindow();
    const Frame composed(dp.renderer);
    const Frame straight(direct.renderer);
    dp.DrawOnCanvas();
    ASSERT_EQ(composed.Pixels().size(), 1280u * 720u);
    ASSERT_EQ(straight.Pixels().size(), 1280u * 720u);
    if (composed.Pixels() != straight.Pixels()) {
      composed.Save("canvas-path.bmp");
      straight.Save("straight-path.bmp");
      FAIL() << "frame " << number << " differs (canvas-path.bmp, straight-path.bmp)";
    }
  });
  EXPECT_EQ(db.RocketX, directDb.RocketX);
  Release(direct);
}
